#include "common/WordWrap.h"

namespace tidecast
{

std::string wordWrap(std::string_view text, std::size_t width)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            count = 0;
        } else if (c == '\n') {
            continue;
        } else if (c != ' ' && c != '\t') {
            out += c;
            if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
                ++count;
            }
        } else if (count < width) {
            out += c;
            ++count;
        } else {
            out += c;
            if (i + 1 >= text.size() || text[i + 1] != '\r') {
                out += "\r\n";
            }
            count = 0;
        }
    }
    return out;
}

} // namespace tidecast
