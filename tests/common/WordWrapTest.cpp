#include "common/WordWrap.h"

#include <gtest/gtest.h>

namespace tidecast
{
namespace
{

TEST(WordWrap, FollowsTheRuleForEveryKindOfCharacter)
{
    struct Case
    {
        const char* text;
        std::size_t width;
        const char* wrapped;
    };
    const Case cases[] = {
        {"", 10, ""},
        {"short line", 20, "short line"},
        // The blank that arrives when the count has reached the width ends the line.
        {"aaaa bbbb cccc", 4, "aaaa \r\nbbbb \r\ncccc"},
        // Below the width a blank is kept on the line.
        {"aa bb cc", 5, "aa bb \r\ncc"},
        // Words are never broken; a long word runs past the width.
        {"abcdefghijkl mn", 5, "abcdefghijkl \r\nmn"},
        // A CR ends the line and resets the count; an LF is dropped.
        {"ab\r\ncd ef", 2, "ab\r\ncd \r\nef"},
        {"ab\ncd", 10, "abcd"},
        // A blank at the width followed by a CR lets the CR end the line alone.
        {"abcd \r\nxy", 4, "abcd \r\nxy"},
        // Tabs behave as blanks.
        {"abcd\tefgh", 4, "abcd\t\r\nefgh"},
        // UTF-8 characters count once each.
        {"\xc3\xa9\xc3\xa9\xc3\xa9 x", 3, "\xc3\xa9\xc3\xa9\xc3\xa9 \r\nx"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wordWrap(c.text, c.width), c.wrapped) << "text: " << c.text;
    }
}

} // namespace
} // namespace tidecast
