#include "transfer/TextLines.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tidecast::transfer
{
namespace
{

std::vector<std::string> readLines(const std::string& bytes, TextEncoding* encoding = nullptr)
{
    std::istringstream in(bytes);
    LineReader reader(in);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line)) {
        lines.emplace_back(line);
    }
    EXPECT_FALSE(reader.failed());
    EXPECT_EQ(reader.bytesRead(), static_cast<std::int64_t>(bytes.size()));
    if (encoding != nullptr) {
        *encoding = reader.encoding();
    }
    return lines;
}

std::string utf16(std::u16string_view text, bool little)
{
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += little ? low : high;
        bytes += little ? high : low;
    }
    return bytes;
}

TEST(LineReader, DecodesEveryEncodingAndLineEnd)
{
    using Lines = std::vector<std::string>;
    const struct
    {
        std::string bytes;
        Lines lines;
        TextEncoding encoding;
    } cases[] = {
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}, TextEncoding::Unmarked},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}, TextEncoding::Unmarked},
        {"\xEF\xBB\xBFJos\xC3\xA9\r\n", {"Jos\xC3\xA9"}, TextEncoding::Utf8},
        {"Jos\xE9;M\xFCller\r\n\x80 \x9D",
         {"Jos\xC3\xA9;M\xC3\xBCller", "\xE2\x82\xAC \xC2\x9D"},
         TextEncoding::Unmarked},
        {"caf\xC3\xA9\nna\xEFve", {"caf\xC3\xA9", "na\xC3\xAFve"}, TextEncoding::Unmarked}, // judged line by line
        {std::string("a\0b\r\n\0", 6), {"ab", ""}, TextEncoding::Unmarked},
        {utf16(u"Jos\u00e9\tx\r\n\U0001F600", true), {"Jos\xC3\xA9\tx", "\xF0\x9F\x98\x80"}, TextEncoding::Utf16Le},
        {utf16(u"a\rb", false), {"a", "b"}, TextEncoding::Utf16Be},
        {"", {}, TextEncoding::Unmarked},
        {"\xEF\xBB", {"\xC3\xAF\xC2\xBB"}, TextEncoding::Unmarked},
    };
    for (const auto& c : cases) {
        TextEncoding encoding{};
        EXPECT_EQ(readLines(c.bytes, &encoding), c.lines) << c.bytes;
        EXPECT_EQ(encoding, c.encoding) << c.bytes;
    }
}

TEST(LineReader, KeepsCrLfTogetherAcrossReadBlocks)
{
    // The reader takes a megabyte at a time: put the CR as the last byte of the first block.
    std::string text(1 << 20, 'x');
    text[(1 << 20) - 1] = '\r';
    text += "\nnext\r";
    const auto lines = readLines(text);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), (1u << 20) - 1);
    EXPECT_EQ(lines[1], "next");

    // Lines ending in CR alone, then in LF, over several blocks: each one whole and in order.
    std::string mixed;
    for (int i = 0; i < 300000; ++i) {
        mixed += std::to_string(i) + (i < 200000 ? "\r" : "\n");
    }
    const auto many = readLines(mixed);
    ASSERT_EQ(many.size(), 300000u);
    for (std::size_t i = 0; i < many.size(); ++i) {
        ASSERT_EQ(many[i], std::to_string(i));
    }
}

} // namespace
} // namespace tidecast::transfer
