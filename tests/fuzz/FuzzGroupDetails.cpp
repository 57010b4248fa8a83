// Group identity files (a group's sender, reply address and signature).
#include "store/GroupDetails.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)tidecast::store::parseGroupDetailsText(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
