#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

namespace tidecast::transfer
{

// How the bytes of a text were found to be encoded.
enum class TextEncoding
{
    Unmarked, // no byte-order mark: each line UTF-8 when valid, else Windows-1252
    Utf8,     // UTF-8 byte-order mark
    Utf16Le,
    Utf16Be,
};

// Appends one code point as UTF-8.
void appendUtf8(std::string& out, char32_t code);

// Windows-1252 bytes as UTF-8; the five bytes it leaves undefined keep their Latin-1 meaning.
std::string windows1252ToUtf8(std::string_view text);

// Reads the lines of a text file or stream as UTF-8. A UTF-8, UTF-16LE or UTF-16BE byte-order
// mark is honoured and removed; without one, a line that is valid UTF-8 is taken as it is and
// any other line as Windows-1252. Lines end in CR LF, LF or CR alone; the last line counts
// without a line end. NUL bytes are dropped. Memory stays at a few read blocks whatever the
// size of the input.
class LineReader
{
public:
    explicit LineReader(std::istream& in);

    // The next line without its line end, valid until the next call; false at the end of input.
    bool next(std::string_view& line);

    // Bytes of input consumed so far, for progress over a file's length.
    std::int64_t bytesRead() const { return m_bytesRead; }
    // True when reading stopped because of a read error rather than the end of the input.
    bool failed() const { return m_failed; }
    TextEncoding encoding() const { return m_encoding; }

private:
    bool fill(); // appends the next block to m_text; false at the end of input
    void detectMark();
    void decodeUtf16(std::string_view bytes);

    std::istream& m_in;
    std::string m_block;
    std::string m_text; // decoded text not yet handed out, from m_position
    std::size_t m_position = 0;
    // The next LF at or after m_position, else the text's size; npos until looked for.
    std::size_t m_newlineAt = std::string::npos;
    std::string m_line;    // a line that had to be changed on the way out
    std::string m_pending; // an odd UTF-16 byte left from the previous block
    char16_t m_highSurrogate = 0;
    TextEncoding m_encoding = TextEncoding::Unmarked;
    bool m_started = false;
    bool m_atEnd = false;
    bool m_failed = false;
    std::int64_t m_bytesRead = 0;
};

} // namespace tidecast::transfer
