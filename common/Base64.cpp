#include "common/Base64.h"

#include <algorithm>
#include <cassert>

namespace tidecast
{

namespace
{

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

inline unsigned byteAt(std::string_view data, std::size_t i)
{
    return static_cast<unsigned char>(data[i]);
}

// Encodes whole groups of three bytes; `count` is a multiple of 3.
inline char* encodeGroups(char* out, std::string_view data, std::size_t from, std::size_t count)
{
    for (std::size_t i = from; i < from + count; i += 3) {
        const unsigned triple = (byteAt(data, i) << 16) | (byteAt(data, i + 1) << 8) | byteAt(data, i + 2);
        out[0] = kAlphabet[(triple >> 18) & 0x3F];
        out[1] = kAlphabet[(triple >> 12) & 0x3F];
        out[2] = kAlphabet[(triple >> 6) & 0x3F];
        out[3] = kAlphabet[triple & 0x3F];
        out += 4;
    }
    return out;
}

} // namespace

void appendBase64(std::string& out, std::string_view data, std::size_t lineLength)
{
    assert(lineLength % 4 == 0);
    const std::size_t encodedSize = (data.size() + 2) / 3 * 4;
    const std::size_t lines = lineLength == 0 || encodedSize == 0 ? 1 : (encodedSize + lineLength - 1) / lineLength;
    const std::size_t start = out.size();
    out.resize(start + encodedSize + (lines - 1) * 2);
    char* p = out.data() + start;

    const std::size_t bytesPerLine = lineLength == 0 ? data.size() - data.size() % 3 : lineLength / 4 * 3;
    const std::size_t whole = data.size() - data.size() % 3;
    std::size_t i = 0;
    while (i < whole) {
        const std::size_t chunk = std::min(bytesPerLine, whole - i);
        p = encodeGroups(p, data, i, chunk);
        i += chunk;
        if (chunk == bytesPerLine && lineLength != 0 && (i < whole || i < data.size())) {
            *p++ = '\r';
            *p++ = '\n';
        }
    }
    const std::size_t rest = data.size() - whole;
    if (rest != 0) {
        const unsigned first = byteAt(data, whole);
        const unsigned second = rest == 2 ? byteAt(data, whole + 1) : 0;
        *p++ = kAlphabet[first >> 2];
        *p++ = kAlphabet[((first & 0x03) << 4) | (second >> 4)];
        *p++ = rest == 2 ? kAlphabet[(second & 0x0F) << 2] : '=';
        *p++ = '=';
    }
    assert(p == out.data() + out.size());
}

std::string base64Encode(std::string_view data, std::size_t lineLength)
{
    std::string out;
    appendBase64(out, data, lineLength);
    return out;
}

} // namespace tidecast
