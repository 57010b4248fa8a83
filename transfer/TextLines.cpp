#include "transfer/TextLines.h"

#include "common/Text.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tidecast::transfer
{

namespace
{

constexpr std::size_t kReadBlock = 1 << 20;

// Code points of Windows-1252's bytes 0x80 to 0x9F; zero where the code page defines none.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool isAscii(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

constexpr char32_t kReplacement = 0xFFFD;

} // namespace

void appendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string windows1252ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0 && kWindows1252High[byte - 0x80] != 0) {
            appendUtf8(out, kWindows1252High[byte - 0x80]);
        } else {
            appendUtf8(out, byte);
        }
    }
    return out;
}

LineReader::LineReader(std::istream& in)
    : m_in(in)
    , m_block(kReadBlock, '\0')
{}

void LineReader::detectMark()
{
    const std::string_view text = m_text;
    if (text.starts_with("\xEF\xBB\xBF")) {
        m_encoding = TextEncoding::Utf8;
        m_position = 3;
    } else if (text.starts_with("\xFF\xFE")) {
        m_encoding = TextEncoding::Utf16Le;
    } else if (text.starts_with("\xFE\xFF")) {
        m_encoding = TextEncoding::Utf16Be;
    }
    if (m_encoding == TextEncoding::Utf16Le || m_encoding == TextEncoding::Utf16Be) {
        std::string bytes = m_text.substr(2);
        m_text.clear();
        decodeUtf16(bytes);
    }
}

void LineReader::decodeUtf16(std::string_view bytes)
{
    std::string joined;
    if (!m_pending.empty()) {
        joined = m_pending + std::string(bytes);
        bytes = joined;
        m_pending.clear();
    }
    const bool little = m_encoding == TextEncoding::Utf16Le;
    std::size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        const auto low = static_cast<unsigned char>(bytes[at + (little ? 0 : 1)]);
        const auto high = static_cast<unsigned char>(bytes[at + (little ? 1 : 0)]);
        const auto unit = static_cast<char16_t>(high << 8 | low);
        if (m_highSurrogate != 0) {
            const char16_t first = m_highSurrogate;
            m_highSurrogate = 0;
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                appendUtf8(m_text, 0x10000 + ((char32_t(first) - 0xD800) << 10) + (unit - 0xDC00));
                continue;
            }
            appendUtf8(m_text, kReplacement);
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            m_highSurrogate = unit;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            appendUtf8(m_text, kReplacement);
        } else {
            appendUtf8(m_text, unit);
        }
    }
    m_pending.assign(bytes.substr(at));
}

bool LineReader::fill()
{
    if (m_atEnd) {
        return false;
    }
    m_in.read(m_block.data(), static_cast<std::streamsize>(m_block.size()));
    const auto got = static_cast<std::size_t>(m_in.gcount());
    if (got < m_block.size()) {
        m_atEnd = true;
        m_failed = m_in.bad() || !m_in.eof();
    }
    m_bytesRead += static_cast<std::int64_t>(got);
    // Handed-out text is dropped before the block is added, so the buffer holds one line plus
    // one block at most.
    m_text.erase(0, m_position);
    m_position = 0;
    m_newlineAt = std::string::npos;
    const std::string_view bytes(m_block.data(), got);
    if (m_encoding == TextEncoding::Utf16Le || m_encoding == TextEncoding::Utf16Be) {
        decodeUtf16(bytes);
    } else {
        m_text.append(bytes);
    }
    if (!m_started && (m_text.size() >= 3 || m_atEnd)) {
        m_started = true;
        detectMark();
    }
    return got > 0 || !m_text.empty();
}

bool LineReader::next(std::string_view& line)
{
    while (true) {
        const char* data = m_text.data() + m_position;
        const std::size_t available = m_started ? m_text.size() - m_position : 0;
        // The next LF is looked for once per LF, so that text whose lines end in CR alone is
        // not searched to its end for every line.
        if (m_newlineAt < m_position || m_newlineAt > m_text.size()) {
            const auto* newline = static_cast<const char*>(std::memchr(data, '\n', available));
            m_newlineAt = newline ? m_position + static_cast<std::size_t>(newline - data) : m_text.size();
        }
        std::size_t end = std::min(m_newlineAt - m_position, available);
        if (const auto* cr = static_cast<const char*>(std::memchr(data, '\r', end))) {
            end = static_cast<std::size_t>(cr - data);
        }
        // A CR as the last byte may be the first half of CR LF: read on before deciding.
        const bool complete = end < available && (data[end] == '\n' || end + 1 < available || m_atEnd);
        if (complete || (m_atEnd && available > 0)) {
            std::string_view raw(data, end);
            std::size_t used = end;
            if (end < available) {
                used += (data[end] == '\r' && end + 1 < available && data[end + 1] == '\n') ? 2 : 1;
            }
            m_position += used;
            const bool hasNul = std::memchr(raw.data(), '\0', raw.size()) != nullptr;
            const bool needsDecoding = m_encoding == TextEncoding::Unmarked && !isAscii(raw) && !isValidUtf8(raw);
            if (!hasNul && !needsDecoding) {
                line = raw;
                return true;
            }
            std::string cleaned;
            if (hasNul) {
                cleaned.reserve(raw.size());
                for (const char c : raw) {
                    if (c != '\0') {
                        cleaned += c;
                    }
                }
                raw = cleaned;
            }
            m_line =
                (m_encoding == TextEncoding::Unmarked && !isValidUtf8(raw)) ? windows1252ToUtf8(raw) : std::string(raw);
            line = m_line;
            return true;
        }
        if (!fill()) {
            return false;
        }
    }
}

} // namespace tidecast::transfer
