// "ej.dat" and the other INI files: read, written back and read again to the same values.
#include "settings/IniFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using tidecast::settings::IniFile;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto first = IniFile::parse(text);
    const auto written = first.serialize();
    if (IniFile::parse(written).serialize() != written) {
        std::abort();
    }
    return 0;
}
