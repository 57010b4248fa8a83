#include "mime/QuotedPrintable.h"

#include <array>
#include <cstddef>

namespace tidecast::mime
{

namespace
{

constexpr std::size_t kMaxLine = 76; // characters per line, including a soft break's "="
constexpr char kHex[] = "0123456789ABCDEF";

// True for bytes that stand for themselves anywhere in a line.
constexpr std::array<bool, 256> makeLiteralTable()
{
    std::array<bool, 256> table{};
    for (int c = 33; c <= 126; ++c) {
        table[static_cast<std::size_t>(c)] = c != '=';
    }
    return table;
}
constexpr std::array<bool, 256> kLiteral = makeLiteralTable();

} // namespace

std::string quotedPrintableEncode(std::string_view text)
{
    // Worst case: every byte as "=XX" plus a soft break every 25 bytes.
    std::string out;
    out.resize(text.size() * 3 + text.size() / 24 * 3 + 8);
    char* const begin = out.data();
    char* p = begin;
    char* lineStart = p;

    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // Most bytes stand for themselves and fit on the line with room for a soft break.
        if (kLiteral[c] && p - lineStart < static_cast<std::ptrdiff_t>(kMaxLine - 1)) {
            *p++ = static_cast<char>(c);
            continue;
        }
        if (c == '\r' || c == '\n') {
            *p++ = '\r';
            *p++ = '\n';
            lineStart = p;
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
                ++i;
            }
            continue;
        }
        bool literal = kLiteral[c];
        if (c == ' ' || c == '\t') {
            // Trailing white space is encoded; inner white space stays readable.
            literal = i + 1 < n && text[i + 1] != '\r' && text[i + 1] != '\n';
        }
        const std::size_t width = literal ? 1 : 3;
        // Keep room for a soft break "=" unless this character ends the line anyway.
        const bool endsLine = i + 1 == n || text[i + 1] == '\r' || text[i + 1] == '\n';
        const std::size_t limit = endsLine ? kMaxLine : kMaxLine - 1;
        if (static_cast<std::size_t>(p - lineStart) + width > limit) {
            *p++ = '=';
            *p++ = '\r';
            *p++ = '\n';
            lineStart = p;
        }
        if (literal) {
            *p++ = static_cast<char>(c);
        } else {
            *p++ = '=';
            *p++ = kHex[c >> 4];
            *p++ = kHex[c & 0x0F];
        }
    }
    out.resize(static_cast<std::size_t>(p - begin));
    return out;
}

} // namespace tidecast::mime
