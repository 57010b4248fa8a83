#include "mime/MimeText.h"

#include "common/Base64.h"
#include "common/Text.h"
#include "mime/QuotedPrintable.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tidecast::mime
{

namespace
{

constexpr std::size_t kMaxEncodedWord = 75; // RFC 2047 section 2
constexpr char kHex[] = "0123456789ABCDEF";

bool isUtf8Charset(std::string_view charset)
{
    return equalsIgnoreCase(charset, "utf-8") || equalsIgnoreCase(charset, "utf8");
}

// Length of the UTF-8 sequence that starts with this byte (1 for anything else).
std::size_t utf8SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    if (lead >= 0xE0) {
        return lead <= 0xEF ? 3 : 1;
    }
    if (lead >= 0xC2) {
        return 2;
    }
    return 1;
}

void appendQ(std::string& word, unsigned char c, bool utf8)
{
    const bool special = c < 0x20 || c == '=' || c == '?' || c == '_' || c == '"' || c == 0x7F;
    const bool high = utf8 ? c >= 0x80 : c >= 0xA0;
    if (c == ' ') {
        word += '_';
    } else if (special || high) {
        word += '=';
        word += kHex[c >> 4];
        word += kHex[c & 0x0F];
    } else {
        word += static_cast<char>(c);
    }
}

} // namespace

bool contains8bit(std::string_view text)
{
    const char* p = text.data();
    std::size_t n = text.size();
    // Skip eight ASCII bytes at a time; only words with a high bit need a byte-wise look.
    while (n >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if ((word & 0x8080808080808080ULL) != 0) {
            for (int i = 0; i < 8; ++i) {
                if (static_cast<unsigned char>(p[i]) > 0x80) {
                    return true;
                }
            }
        }
        p += 8;
        n -= 8;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (static_cast<unsigned char>(p[i]) > 0x80) {
            return true;
        }
    }
    return false;
}

std::string encodeHeaderText(std::string_view text, std::string_view charset)
{
    if (!contains8bit(text)) {
        return std::string(text);
    }
    const bool utf8 = isUtf8Charset(charset);
    const bool bForm = static_cast<unsigned char>(text.front()) >= 0xA0;
    const std::string prefix = "=?" + std::string(charset) + (bForm ? "?B?" : "?Q?");
    const std::size_t room = kMaxEncodedWord > prefix.size() + 2 + 12 ? kMaxEncodedWord - prefix.size() - 2 : 12;

    std::string out;
    std::string word;
    auto flush = [&] {
        if (!out.empty()) {
            out += ' ';
        }
        out += prefix;
        out += word;
        out += "?=";
        word.clear();
    };

    std::size_t i = 0;
    if (bForm) {
        const std::size_t maxBytes = room / 4 * 3;
        while (i < text.size()) {
            std::size_t end = std::min(text.size(), i + maxBytes);
            if (utf8) {
                // Back off to the start of a character so no word ends inside one.
                while (end < text.size() && end > i + 1 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
                    --end;
                }
            }
            word = base64Encode(text.substr(i, end - i), 0);
            flush();
            i = end;
        }
        return out;
    }

    std::string piece;
    while (i < text.size()) {
        const std::size_t length =
            utf8 ? std::min(utf8SequenceLength(static_cast<unsigned char>(text[i])), text.size() - i) : 1;
        piece.clear();
        for (std::size_t k = i; k < i + length; ++k) {
            appendQ(piece, static_cast<unsigned char>(text[k]), utf8);
        }
        if (!word.empty() && word.size() + piece.size() > room) {
            flush();
        }
        word += piece;
        i += length;
    }
    flush();
    return out;
}

std::string_view normalizedEncoding(std::string_view encoding)
{
    if (equalsIgnoreCase(encoding, "printed")) {
        return "print";
    }
    return encoding;
}

std::string_view transferEncodingName(std::string_view encoding, std::string_view text)
{
    encoding = normalizedEncoding(encoding);
    if (equalsIgnoreCase(encoding, "base64")) {
        return "base64";
    }
    if (equalsIgnoreCase(encoding, "none")) {
        return contains8bit(text) ? "8bit" : "7bit";
    }
    return "quoted-printable";
}

std::string encodeBody(std::string_view text, std::string_view encoding)
{
    const std::string_view name = transferEncodingName(encoding, text);
    if (text.empty() || name == "8bit" || name == "7bit") {
        std::string plain(text);
        replaceLoneDotLines(plain);
        return plain;
    }
    if (name == "base64") {
        return base64Encode(text);
    }
    std::string encoded = quotedPrintableEncode(text);
    replaceLoneDotLines(encoded);
    return encoded;
}

void replaceLoneDotLines(std::string& text)
{
    // Finds CR LF "." CR LF by its LF, which memchr finds fast; no match is the usual case.
    const auto isLoneDotAt = [&text](std::size_t lf) {
        return lf >= 1 && text[lf - 1] == '\r' && lf + 3 < text.size() && text[lf + 1] == '.' && text[lf + 2] == '\r' &&
               text[lf + 3] == '\n';
    };
    std::size_t at = 0;
    bool found = false;
    while (at < text.size()) {
        const void* lf = std::memchr(text.data() + at, '\n', text.size() - at);
        if (lf == nullptr) {
            break;
        }
        at = static_cast<std::size_t>(static_cast<const char*>(lf) - text.data());
        if (isLoneDotAt(at)) {
            found = true;
            break;
        }
        ++at;
    }
    if (!found) {
        return;
    }
    // Drop the full stops in one pass from the first match, judging each by the original bytes
    // (the CR LF that ends one lone full stop line may start the next).
    const std::string source = text;
    std::size_t write = at + 1;
    for (std::size_t read = at + 1; read < source.size(); ++read) {
        if (source[read] == '.' && source[read - 1] == '\n' && read >= 2 && source[read - 2] == '\r' &&
            read + 2 < source.size() && source[read + 1] == '\r' && source[read + 2] == '\n') {
            continue;
        }
        text[write++] = source[read];
    }
    text.resize(write);
}

void normalizeLineBreaks(std::string& text)
{
    // Clean when every LF follows a CR and there are as many CRs as LFs.
    std::size_t lineFeeds = 0;
    bool clean = true;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const void* lf = std::memchr(text.data() + at, '\n', text.size() - at);
        if (lf == nullptr) {
            break;
        }
        at = static_cast<std::size_t>(static_cast<const char*>(lf) - text.data());
        if (at == 0 || text[at - 1] != '\r') {
            clean = false;
            break;
        }
        ++lineFeeds;
    }
    if (clean && static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r')) == lineFeeds) {
        return;
    }
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else if (text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    text = std::move(out);
}

bool hasLineLongerThan(std::string_view text, std::size_t limit)
{
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (end - start > limit) {
            return true;
        }
        start = end + 2;
    }
    return false;
}

std::string headerSafe(std::string_view value)
{
    std::string out(value);
    for (char& c : out) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return out;
}

std::string singleToString(float value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(value));
    return buffer;
}

std::string doubleToString(double value)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

} // namespace tidecast::mime
