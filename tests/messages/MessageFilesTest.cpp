#include "messages/MessageFiles.h"

#include "common/Text.h"
#include "support/FixedClock.h"
#include "support/ScriptedChooser.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tidecast::messages
{
namespace
{

const FixedClock kClock{std::chrono::system_clock::from_time_t(1'800'000'000)};

TEST(MessageFiles, SaveProposesANameWritesTheDocumentAndRemembersIt)
{
    test::TempDir dir;
    ScriptedChooser chooser;
    ScriptedPrompter prompter;
    settings::Settings settings;
    settings.lastSaveFolder = "/start/here";
    DocumentState state{"", true};
    MessageDocument document{{}, "G", "Monthly letter", kNormalPriority, "", "Body"};

    chooser.answers.push_back(dir / "letter.tcx");
    ASSERT_TRUE(saveDocument(document, state, chooser, settings, prompter, kClock));
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(chooser.requests[0].title, "Save the current message");
    EXPECT_EQ(chooser.requests[0].defaultName, "Monthly letter.tcx");
    EXPECT_EQ(chooser.requests[0].startFolder, "/start/here");
    EXPECT_EQ(settings.lastSaveFolder, dir.path().string());
    EXPECT_EQ(state.documentName, (dir / "letter").string());
    EXPECT_FALSE(state.textChanged);
    EXPECT_EQ(readMessageDocument(dir / "letter.tcx").body, "Body\r\n");
    const std::string text = readWholeFile(dir / "letter.tcx");
    EXPECT_TRUE(text.ends_with("ALTMESSAGE: Body\r\n")) << text;

    // The next save proposes the document's own name; cancelling leaves everything as it was.
    state.textChanged = true;
    EXPECT_FALSE(saveDocument(document, state, chooser, settings, prompter, kClock));
    EXPECT_EQ(chooser.requests[1].defaultName, (dir / "letter.tcx").string());
    EXPECT_TRUE(state.textChanged);
    EXPECT_TRUE(prompter.log().empty());
}

TEST(MessageFiles, AFailedWriteSaysSoAndKeepsTheDocumentName)
{
    test::TempDir dir;
    ScriptedPrompter prompter;
    DocumentState state{"old", false};
    EXPECT_FALSE(writeDocumentFile(dir / "no such folder" / "x.tcx", "text", state, prompter));
    EXPECT_EQ(prompter.log(),
              (std::vector<ScriptedPrompter::Entry>{{"Error saving message.", Icon::Exclamation, false}}));
    EXPECT_EQ(state.documentName, "old");

    // A bare extension is not a name.
    prompter.clear();
    EXPECT_FALSE(writeDocumentFile(".tcx", "text", state, prompter));
    EXPECT_TRUE(prompter.log().empty());
}

TEST(MessageFiles, SentCopiesFillTheFirstGapAndJoinTheList)
{
    test::TempDir dir;
    ScriptedPrompter prompter;
    const auto folder = dir / "Sent Messages";

    auto entries = loadSentCopies(dir.path(), kClock);
    EXPECT_TRUE(entries.empty());
    ASSERT_TRUE(std::filesystem::is_directory(folder)); // created on first load

    EXPECT_EQ(nextSentCopyPath(dir.path()), folder / "i000000000.tcm");
    ASSERT_TRUE(writeWholeFile(folder / "i000000000.tcm", ""));
    ASSERT_TRUE(writeWholeFile(folder / "i000000002.tcm", ""));
    EXPECT_EQ(nextSentCopyPath(dir.path()), folder / "i000000001.tcm");

    DocumentState state{"", true};
    MessageDocument document{{"/a/b.pdf"}, "Composer group", "Sale", kHighPriority, "", std::string(150, 'x')};
    const auto entry = saveSentCopy(document, "Sent group", dir.path(), state, prompter, kClock);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->path, folder / "i000000001.tcm");
    EXPECT_EQ(entry->group, "Sent group");
    EXPECT_EQ(entry->subject, "Sale");
    EXPECT_TRUE(entry->hasAttachments);
    EXPECT_EQ(entry->description, std::string(100, 'x'));
    EXPECT_EQ(entry->dateText, formatDocumentDate(kClock.now()));
    EXPECT_DOUBLE_EQ(entry->hoursSinceSent, 0.0);
    EXPECT_FALSE(state.textChanged);
    EXPECT_NE(readWholeFile(entry->path).find("; Date Sent: "), std::string::npos);

    // Without a recorded group the composer's group is stored; list order is file-name order and
    // the age grows with the clock.
    FixedClock later{kClock.now() + std::chrono::hours(5)};
    ASSERT_TRUE(saveSentCopy({{}, "Composer group", "Two", 1, "", ""}, "", dir.path(), state, prompter, kClock));
    entries = loadSentCopies(dir.path(), later);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[1].group, "Sent group");
    EXPECT_DOUBLE_EQ(entries[1].hoursSinceSent, -5.0);
    EXPECT_EQ(entries[3].path, folder / "i000000003.tcm");
    EXPECT_EQ(entries[3].group, "Composer group");
    EXPECT_FALSE(entries[3].hasAttachments);
}

TEST(MessageFiles, DeleteChecksAsksAndRemovesFileAndEntry)
{
    test::TempDir dir;
    ScriptedPrompter prompter;
    std::vector<MessageListEntry> entries;
    EXPECT_FALSE(deleteSentCopy(entries, std::nullopt, prompter));

    ASSERT_TRUE(writeWholeFile(dir / "i000000000.tcm", "x"));
    entries.push_back({dir / "i000000000.tcm", "G", "S", "", false, "", 0});
    entries.push_back({dir / "gone.tcm", "G", "S2", "", false, "", 0});
    EXPECT_FALSE(deleteSentCopy(entries, std::nullopt, prompter));

    prompter.queue(Answer::No);
    EXPECT_FALSE(deleteSentCopy(entries, 0, prompter));
    EXPECT_TRUE(std::filesystem::exists(dir / "i000000000.tcm"));

    prompter.queue(Answer::Yes);
    EXPECT_TRUE(deleteSentCopy(entries, 0, prompter));
    EXPECT_FALSE(std::filesystem::exists(dir / "i000000000.tcm"));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].subject, "S2");

    // A file that is already gone is reported and its entry stays.
    prompter.queue(Answer::Yes);
    EXPECT_FALSE(deleteSentCopy(entries, 0, prompter));
    EXPECT_EQ(entries.size(), 1u);

    const auto texts = prompter.texts();
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0], "There are no messages to delete.");
    EXPECT_EQ(texts[1], "Please select a message to delete first.");
    EXPECT_EQ(texts[2], "Are you sure you wish to delete this message permanently.");
    EXPECT_TRUE(texts[5].starts_with("Message Delete Error : 2 : ")) << texts[5];
}

TEST(MessageFiles, DialogsFollowTheLastFolderOfTheirKind)
{
    ScriptedChooser chooser;
    settings::Settings settings;
    settings.lastOpenFolder = "/open";
    settings.lastHtmlFolder = "";

    chooser.answers.push_back(std::filesystem::path("/docs/a/news.htm"));
    EXPECT_EQ(chooseHtmlFileName(chooser, settings), "/docs/a/news.htm");
    EXPECT_EQ(settings.lastHtmlFolder, "/docs/a");
    EXPECT_EQ(chooser.requests[0].title, "Select a HTML File message file...");

    // Cancelling gives an empty path and keeps the folder.
    EXPECT_EQ(chooseHtmlFileName(chooser, settings), "");
    EXPECT_EQ(settings.lastHtmlFolder, "/docs/a");

    chooser.answers.push_back(std::filesystem::path("/m/x.tcx"));
    EXPECT_EQ(chooseMessageToOpen(chooser, settings), std::filesystem::path("/m/x.tcx"));
    EXPECT_EQ(chooser.requests[2].startFolder, "/open");
    EXPECT_EQ(settings.lastOpenFolder, "/m");
}

TEST(MessageFiles, SaveQuestionsOnlyWhenTheTextChanged)
{
    ScriptedPrompter prompter;
    EXPECT_EQ(askSaveFirst({"", false}, prompter), SaveChoice::Continue);
    EXPECT_EQ(askBeforeListOpen(false, prompter), ListOpenChoice::Open);
    EXPECT_TRUE(prompter.log().empty());

    prompter.queue(Answer::Yes);
    prompter.queue(Answer::Cancel);
    prompter.queue(Answer::No);
    EXPECT_EQ(askSaveFirst({"", true}, prompter), SaveChoice::SaveThenContinue);
    EXPECT_EQ(askSaveFirst({"", true}, prompter), SaveChoice::Stop);
    EXPECT_EQ(askBeforeListOpen(true, prompter), ListOpenChoice::Open);
    EXPECT_EQ(prompter.texts()[2], "The message that you are currently editing has not been saved.\r\n"
                                   "Do you want to save the current message first?");
}

} // namespace
} // namespace tidecast::messages
