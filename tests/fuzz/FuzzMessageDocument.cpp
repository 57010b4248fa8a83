// Message documents (".tcx" and text files opened as messages).
#include "messages/MessageDocument.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto document = tidecast::messages::parseMessageText(text);
    (void)tidecast::messages::messageBody(text);
    (void)tidecast::messages::parseDocumentDate(text);
    (void)document;
    return 0;
}
