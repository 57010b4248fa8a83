#include "mime/CharsetConverter.h"

#include "common/Text.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iconv.h>

namespace tidecast::mime
{

struct CharsetConverter::Handle
{
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    ~Handle()
    {
        if (cd != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(cd);
        }
    }
};

namespace
{

// Decodes the UTF-8 character at the start of `text`; `length` gets its byte count.
char32_t decodeUtf8(std::string_view text, std::size_t& length)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t count = 1;
    char32_t value = lead;
    if (lead >= 0xF0) {
        count = 4;
        value = lead & 0x07;
    } else if (lead >= 0xE0) {
        count = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xC0) {
        count = 2;
        value = lead & 0x1F;
    }
    if (count > text.size()) {
        count = 1;
        value = lead;
    }
    for (std::size_t i = 1; i < count; ++i) {
        value = (value << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    }
    length = count;
    return value;
}

} // namespace

CharsetConverter::CharsetConverter(std::string charset, std::shared_ptr<Handle> handle, bool utf8)
    : m_charset(std::move(charset))
    , m_handle(std::move(handle))
    , m_utf8(utf8)
{}

Result<CharsetConverter> CharsetConverter::open(std::string_view charset)
{
    std::string name(trimBlanks(charset));
    // The message setup stores the two Cyrillic sets under an old misspelling.
    if (equalsIgnoreCase(name, "ko18-r")) {
        name = "koi8-r";
    } else if (equalsIgnoreCase(name, "ko18-u")) {
        name = "koi8-u";
    }
    if (equalsIgnoreCase(name, "utf-8") || equalsIgnoreCase(name, "utf8")) {
        return CharsetConverter(name, nullptr, true);
    }
    auto handle = std::make_shared<Handle>();
    handle->cd = iconv_open(name.c_str(), "UTF-8");
    if (handle->cd == reinterpret_cast<iconv_t>(-1)) {
        return Error{ErrorCode::Encoding, "The character set \"" + name + "\" is not known on this system.", 0};
    }
    return CharsetConverter(name, std::move(handle), false);
}

Result<std::string> CharsetConverter::convert(std::string_view utf8, std::string_view what) const
{
    if (m_utf8) {
        if (!isValidUtf8(utf8)) {
            return Error{ErrorCode::Encoding, "The " + std::string(what) + " is not valid UTF-8 text.", 0};
        }
        return std::string(utf8);
    }
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        // Copy the ASCII run as it is: every offered character set shares ASCII.
        std::size_t ascii = i;
        while (ascii + 8 <= utf8.size()) {
            std::uint64_t word;
            std::memcpy(&word, utf8.data() + ascii, 8);
            if ((word & 0x8080808080808080ULL) != 0) {
                break;
            }
            ascii += 8;
        }
        while (ascii < utf8.size() && static_cast<unsigned char>(utf8[ascii]) < 0x80) {
            ++ascii;
        }
        out.append(utf8.data() + i, ascii - i);
        i = ascii;
        if (i == utf8.size()) {
            break;
        }
        std::size_t end = i;
        while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) >= 0x80) {
            ++end;
        }
        char* in = const_cast<char*>(utf8.data() + i);
        std::size_t inLeft = end - i;
        const std::size_t start = out.size();
        out.resize(start + inLeft * 4 + 8);
        char* outPtr = out.data() + start;
        std::size_t outLeft = out.size() - start;
        const std::size_t result = iconv(m_handle->cd, &in, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        out.resize(static_cast<std::size_t>(outPtr - out.data()));
        if (result == static_cast<std::size_t>(-1)) {
            iconv(m_handle->cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state
            const std::string_view rest = utf8.substr(static_cast<std::size_t>(in - utf8.data()));
            if (error == EILSEQ && !rest.empty()) {
                std::size_t length = 0;
                const char32_t codePoint = decodeUtf8(rest, length);
                return Error{ErrorCode::Encoding,
                             unsupportedCharacterMessage(rest.substr(0, length), codePoint, what, m_charset), 0};
            }
            return Error{ErrorCode::Encoding, "The " + std::string(what) + " is not valid UTF-8 text.", 0};
        }
        i = end;
    }
    return out;
}

std::string unsupportedCharacterMessage(std::string_view character, char32_t codePoint, std::string_view what,
                                        std::string_view charset)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(codePoint));
    return "The character \"" + std::string(character) + "\" (" + code + ") in the " + std::string(what) +
           " cannot be sent in the character set \"" + std::string(charset) +
           "\". Choose \"UTF-8\" as the character set in the message setup to send it.";
}

} // namespace tidecast::mime
