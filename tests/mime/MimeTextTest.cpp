#include "mime/MimeText.h"

#include "common/Base64.h"
#include "mime/QuotedPrintable.h"

#include <gtest/gtest.h>

#include <random>

using namespace tidecast::mime;

namespace
{

// A plain decoder (RFC 2045 6.7) to check the encoder against.
std::string decodeQuotedPrintable(const std::string& encoded)
{
    std::string out;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '=') {
            out += encoded[i];
        } else if (encoded.compare(i + 1, 2, "\r\n") == 0) {
            i += 2;
        } else {
            out += static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16));
            i += 2;
        }
    }
    return out;
}

} // namespace

TEST(MimeText, contains8bit)
{
    EXPECT_FALSE(contains8bit("plain ASCII text, long enough for the word loop"));
    EXPECT_FALSE(contains8bit(std::string("abc\x80", 4))); // 128 does not count
    EXPECT_FALSE(contains8bit(std::string(20, '\x80')));   // not in the word loop either
    EXPECT_TRUE(contains8bit(std::string("abcdefghijk\x81")));
    EXPECT_TRUE(contains8bit(std::string("\xff")));
}

TEST(MimeText, encodeHeaderText)
{
    struct Case
    {
        std::string text;
        std::string charset;
        std::string expected;
    };
    const Case cases[] = {
        {"Hello world", "iso-8859-1", "Hello world"},
        {"abc\xE9", "iso-8859-1", "=?iso-8859-1?Q?abc=E9?="},
        {"a b\xE9", "iso-8859-1", "=?iso-8859-1?Q?a_b=E9?="},
        {"\xE9t\xE9", "iso-8859-1", "=?iso-8859-1?B?6XTp?="},
        // 129 to 159 make the text 8-bit but are copied unchanged in the Q form.
        {"ab\x81\x9F", "iso-8859-1", "=?iso-8859-1?Q?ab\x81\x9F?="},
        // With UTF-8 every byte from 128 up is encoded.
        {"Gr\xC3\xBC\xC3\x9F"
         "e",
         "utf-8", "=?utf-8?Q?Gr=C3=BC=C3=9Fe?="},
        // Characters that would end or confuse the word are encoded.
        {"a=b?c_d\"\xE9", "iso-8859-1", "=?iso-8859-1?Q?a=3Db=3Fc=5Fd=22=E9?="},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(encodeHeaderText(c.text, c.charset), c.expected) << c.text;
    }

    // Long texts become several words of at most 75 characters, never splitting a character.
    std::string longText;
    for (int i = 0; i < 40; ++i) {
        longText += "\xC3\xA9";
    }
    for (const std::string& text : {"x" + longText, longText}) {
        const std::string encoded = encodeHeaderText(text, "utf-8");
        std::size_t start = 0;
        int words = 0;
        while (start < encoded.size()) {
            std::size_t end = encoded.find(' ', start);
            end = end == std::string::npos ? encoded.size() : end;
            const std::string word = encoded.substr(start, end - start);
            EXPECT_LE(word.size(), 75u) << word;
            EXPECT_TRUE(word.starts_with("=?utf-8?") && word.ends_with("?=")) << word;
            // Each word starts at a character: neither "=A9" nor a base64 form of a continuation byte.
            EXPECT_FALSE(word.starts_with("=?utf-8?Q?=A9")) << word;
            ++words;
            start = end + 1;
        }
        EXPECT_GT(words, 1);
    }
}

TEST(MimeText, QuotedPrintable)
{
    EXPECT_EQ(quotedPrintableEncode("a=b\tc \r\nd \r\n"), "a=3Db\tc=20\r\nd=20\r\n");
    EXPECT_EQ(quotedPrintableEncode("caf\xE9\nx\ry"), "caf=E9\r\nx\r\ny");
    EXPECT_EQ(quotedPrintableEncode(std::string(76, 'a')), std::string(76, 'a'));
    EXPECT_EQ(quotedPrintableEncode(std::string(77, 'a')), std::string(75, 'a') + "=\r\naa");
    EXPECT_EQ(quotedPrintableEncode(std::string(74, 'a') + "\xE9"), std::string(74, 'a') + "=\r\n=E9");

    // Random texts: decodes to the input (line breaks as CR LF), lines within 76, no trailing blanks.
    std::mt19937 random(7);
    const std::string alphabet = "ab =.\t\r\n\xE9\x80\xff";
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i) {
            text += random() % 3 == 0 ? alphabet[random() % alphabet.size()] : 'x';
        }
        std::string canonical;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' || text[i] == '\n') {
                canonical += "\r\n";
                i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0;
            } else {
                canonical += text[i];
            }
        }
        const std::string encoded = quotedPrintableEncode(text);
        ASSERT_EQ(decodeQuotedPrintable(encoded), canonical) << text;
        std::size_t start = 0;
        while (start <= encoded.size()) {
            std::size_t end = encoded.find("\r\n", start);
            end = end == std::string::npos ? encoded.size() : end;
            const std::string line = encoded.substr(start, end - start);
            ASSERT_LE(line.size(), 76u) << line;
            ASSERT_TRUE(line.empty() || (line.back() != ' ' && line.back() != '\t')) << line;
            for (char c : line) {
                ASSERT_TRUE(c == '\t' || (c >= 32 && c < 127)) << line;
            }
            start = end + 2;
        }
    }
}

TEST(MimeText, Base64)
{
    EXPECT_EQ(tidecast::base64Encode(""), "");
    EXPECT_EQ(tidecast::base64Encode("f"), "Zg==");
    EXPECT_EQ(tidecast::base64Encode("fo"), "Zm8=");
    EXPECT_EQ(tidecast::base64Encode("foo"), "Zm9v");
    EXPECT_EQ(tidecast::base64Encode("foobar"), "Zm9vYmFy");
    EXPECT_EQ(tidecast::base64Encode("\xff\xfe\xfd"), "//79");
    // 57 bytes fill one 76-column line exactly; one more starts a new line.
    EXPECT_EQ(tidecast::base64Encode(std::string(57, '\0')), std::string(76, 'A'));
    EXPECT_EQ(tidecast::base64Encode(std::string(58, '\0')), std::string(76, 'A') + "\r\nAA==");
    EXPECT_EQ(tidecast::base64Encode(std::string(114, '\0')), std::string(76, 'A') + "\r\n" + std::string(76, 'A'));
    EXPECT_EQ(tidecast::base64Encode(std::string(100, '\0'), 0), std::string(132, 'A') + "AA==");
}

TEST(MimeText, EcodedAndLoneFullStops)
{
    EXPECT_EQ(encodeBody("a\r\n.\r\n.\r\nb", "none"), "a\r\n\r\n\r\nb");
    EXPECT_EQ(encodeBody("a\r\n.\r\nb", "printed"), "a\r\n\r\nb");
    EXPECT_EQ(encodeBody("a\r\n.\r\nb", "base64"), "YQ0KLg0KYg==");
    EXPECT_EQ(encodeBody("a\r\n..\r\n.b", "print"), "a\r\n..\r\n.b");
    EXPECT_EQ(encodeBody("", "base64"), "");
    EXPECT_EQ(transferEncodingName("printed", "x"), "quoted-printable");
    EXPECT_EQ(transferEncodingName("none", "\xE9"), "8bit");
    EXPECT_EQ(transferEncodingName("none", "e"), "7bit");
    EXPECT_EQ(transferEncodingName("base64", "e"), "base64");
}

TEST(MimeText, Helpers)
{
    std::string text = "a\nb\rc\r\nd";
    normalizeLineBreaks(text);
    EXPECT_EQ(text, "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(headerSafe("a\r\nb\nc"), "a  b c");
    EXPECT_EQ(singleToString(51322.17f), "51322.17");
    EXPECT_EQ(singleToString(86399.99f), "86399.99");
    EXPECT_TRUE(hasLineLongerThan("ab\r\n" + std::string(999, 'x'), 998));
    EXPECT_FALSE(hasLineLongerThan(std::string(998, 'x') + "\r\nab", 998));
}
