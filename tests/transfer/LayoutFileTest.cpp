#include "transfer/LayoutFile.h"

#include "common/Text.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tidecast::transfer
{
namespace
{

constexpr std::string_view kInvalid = "This is an Invalid Import Layout List.";
constexpr std::string_view kDifferent = "This Import layout file contains a different number of fields to that which "
                                        "you have currently selected\r\n\r\nAre you sure you wish to use this "
                                        "layout file?";

TEST(LayoutFile, RoundTripsThroughTheFileWithItsMessage)
{
    test::TempDir dir;
    ScriptedPrompter prompter;
    ImportLayoutFile layout{"5", {}};
    layout.positions[0] = 2;
    layout.positions[1] = 1;
    layout.positions[20] = 5;
    const auto path = dir / "people.gil";
    ASSERT_TRUE(saveLayout(path, layout, prompter));
    const auto text = readWholeFile(path);
    EXPECT_TRUE(text.starts_with("5\r\nT2\r\n 2 \r\n 1 \r\n 0 \r\n"));
    EXPECT_TRUE(text.ends_with(" 0 \r\n 5 \r\n"));
    EXPECT_EQ(splitLines(text).size(), 23u);
    EXPECT_EQ(prompter.log(), (std::vector<ScriptedPrompter::Entry>{
                                  {"Import Layout List saved to \r\n" + path.string(), Icon::Information, false}}));

    prompter.clear();
    const auto loaded = loadLayoutFile(path, 5, prompter);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->fieldCount, 5);
    EXPECT_EQ(loaded->positions, layout.positions);
    EXPECT_TRUE(prompter.log().empty());
}

TEST(LayoutFile, RefusesOrAsksAsTheFileRequires)
{
    const struct
    {
        std::string_view text;
        int current;
        Answer answer;
        bool loads;
        std::vector<ScriptedPrompter::Entry> log;
    } cases[] = {
        {"3\r\nT3\r\n 1 \r\n", 3, Answer::Yes, false, {{std::string(kInvalid), Icon::Critical, false}}},
        {"0\r\nT2\r\n", 3, Answer::Yes, false, {{std::string(kInvalid), Icon::Critical, false}}},
        {"fields\r\nT2\r\n", 3, Answer::Yes, false, {{std::string(kInvalid), Icon::Critical, false}}},
        {"5\r\nT2\r\n 1 \r\n", 4, Answer::No, false, {{std::string(kDifferent), Icon::Question, true}}},
        {"5\r\nT2\r\n 1 \r\n", 4, Answer::Yes, true, {{std::string(kDifferent), Icon::Question, true}}},
        // The count is asked about before the marker is checked.
        {"5\r\nXX\r\n",
         4,
         Answer::Yes,
         false,
         {{std::string(kDifferent), Icon::Question, true}, {std::string(kInvalid), Icon::Critical, false}}},
    };
    for (const auto& c : cases) {
        ScriptedPrompter prompter;
        prompter.queue(c.answer);
        const auto loaded = loadLayout(c.text, c.current, prompter);
        EXPECT_EQ(loaded.has_value(), c.loads) << c.text;
        EXPECT_EQ(prompter.log(), c.log) << c.text;
    }
}

TEST(LayoutFile, ReadsPositionsAsNumbersAndBlanksThoseOutOfRange)
{
    ScriptedPrompter prompter;
    const auto loaded = loadLayout("3\r\nT2\r\n 3 \r\n-1 \r\n 7 \r\n2abc\r\n", 3, prompter);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->positions[0], 3);
    EXPECT_EQ(loaded->positions[1], 0);
    EXPECT_EQ(loaded->positions[2], 0);
    EXPECT_EQ(loaded->positions[3], 2);
    EXPECT_EQ(loaded->positions[20], 0); // lines missing from a short file
}

} // namespace
} // namespace tidecast::transfer
