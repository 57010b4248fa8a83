#include "messages/Attachments.h"

#include "common/Text.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tidecast::messages
{
namespace
{

TEST(Attachments, SizeTextKeepsTwoDecimalsAndTheDecimalPoint)
{
    const std::pair<std::uintmax_t, const char*> cases[] = {
        {0, "  (0 bytes)"},
        {512, "  (512 bytes)"},
        {1023, "  (1023 bytes)"},
        {1024, "  (1. KB)"},
        {1536, "  (1.5 KB)"},
        {2048, "  (2. KB)"},
        {1280, "  (1.25 KB)"},
        {1034, "  (1.01 KB)"},             // 1.0098 rounds up
        {1024 * 1024 - 1, "  (1024. KB)"}, // still under 1024 KB before rounding
        {1024 * 1024, "  (1. MB)"},
        {3 * 1024 * 1024 + 262144, "  (3.25 MB)"},
        {5ull * 1024 * 1024 * 1024, "  (5120. MB)"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(attachmentSizeText(bytes), text) << bytes;
    }
}

TEST(Attachments, RebuildShowsNameAndSizeAndDropsMissingFiles)
{
    test::TempDir dir;
    ASSERT_TRUE(writeWholeFile(dir / "report.pdf", std::string(1536, 'x')));
    ASSERT_TRUE(writeWholeFile(dir / "note.txt", std::string(512, 'y')));
    const auto entries =
        rebuildAttachments({(dir / "report.pdf").string(), (dir / "gone.doc").string(), (dir / "note.txt").string()});
    EXPECT_EQ(entries, (std::vector<AttachmentEntry>{{(dir / "report.pdf").string(), "report.pdf  (1.5 KB)"},
                                                     {(dir / "note.txt").string(), "note.txt  (512 bytes)"}}));
}

TEST(Attachments, WorkingListRefusesDuplicatesAndMissingChoices)
{
    ScriptedPrompter prompter;
    AttachmentWorkingList list({"/a/one.txt"});
    EXPECT_FALSE(list.add("/a", std::nullopt, prompter));
    EXPECT_FALSE(list.add("/a/", std::string("one.txt"), prompter)); // same path once joined
    EXPECT_TRUE(list.add("/a", std::string("two.txt"), prompter));
    EXPECT_FALSE(list.remove(std::nullopt, prompter));
    EXPECT_FALSE(list.remove(5, prompter));
    EXPECT_EQ(list.paths(), (std::vector<std::string>{"/a/one.txt", "/a/two.txt"}));
    EXPECT_TRUE(list.remove(0, prompter));
    EXPECT_EQ(list.paths(), (std::vector<std::string>{"/a/two.txt"}));
    list.clear();
    EXPECT_TRUE(list.isEmpty());

    EXPECT_EQ(prompter.log(), (std::vector<ScriptedPrompter::Entry>{
                                  {"Please select a file to add first", Icon::Exclamation, false},
                                  {"This file already exists in the list", Icon::Exclamation, false},
                                  {"Please select a File to remove first", Icon::Exclamation, false},
                                  {"Please select a File to remove first", Icon::Exclamation, false},
                              }));
}

} // namespace
} // namespace tidecast::messages
