#include "transfer/ExclusionList.h"

#include "common/Text.h"
#include "store/RecipientStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "transfer/ExclusionEditor.h"
#include "transfer/ExclusionTexts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tidecast::transfer
{
namespace
{

using ::testing::ElementsAre;
using Entries = std::vector<ExclusionEntry>;

// Writes a list file the way older versions did, with their field widths.
void writeListFile(const std::filesystem::path& file, int addressSize, int groupSize, const Entries& entries)
{
    store::RecipientStore out;
    out.resetLayout();
    out.defineField("EmailAddress", store::FieldType::Text, addressSize);
    out.defineField("Group", store::FieldType::Text, groupSize);
    ASSERT_EQ(out.createFile(file), 0);
    ASSERT_TRUE(out.open(file));
    for (const auto& entry : entries) {
        ASSERT_TRUE(out.addNew());
        out.setField(0, entry.emailAddress);
        out.setField(1, entry.group);
    }
    ASSERT_TRUE(out.close());
}

Entries loaded(const std::filesystem::path& file)
{
    auto list = ExclusionList::load(file);
    EXPECT_TRUE(list) << (list ? "" : list.error().detail);
    return list ? list->entries() : Entries{};
}

TEST(ExclusionListTest, SamenessIgnoresCaseAndAllGroupsCoversEveryGroup)
{
    ExclusionList list;
    ASSERT_TRUE(list.add("every@example.test", "All Groups"));
    ASSERT_TRUE(list.add("Walker@Example.test", "Walkers"));
    struct Case
    {
        std::string address;
        std::string group;
        bool listed;
    };
    for (const auto& [address, group, listed] : std::vector<Case>{
             {"every@example.test", "Walkers", true},
             {"EVERY@example.TEST", "anything", true},
             {"every@example.test", "all groups", true},
             {"walker@example.test", "WALKERS", true},
             {"walker@example.test", "Runners", false},
             {"walker@example.test", "All Groups", false},
             {"nobody@example.test", "Walkers", false},
             {"every@example.tes", "Walkers", false},
         }) {
        EXPECT_EQ(list.contains(address, group), listed) << address << " / " << group;
    }
    // Adding what is already covered is refused; the same address for another group is not.
    EXPECT_FALSE(list.add("EVERY@example.test", "Walkers"));
    EXPECT_FALSE(list.add("walker@example.test", "walkers"));
    EXPECT_TRUE(list.add("walker@example.test", "Runners"));
    EXPECT_EQ(list.size(), 3U);
}

TEST(ExclusionListTest, RemovingKeepsOrderAndTheIndexInStep)
{
    ExclusionList list;
    for (const auto& address : {"a@x.test", "b@x.test", "c@x.test", "d@x.test"}) {
        ASSERT_TRUE(list.add(address, "G"));
    }
    list.removeAt({3, 1, 1, 99});
    EXPECT_EQ(list.entries(), (Entries{{"a@x.test", "G"}, {"c@x.test", "G"}}));
    EXPECT_FALSE(list.contains("b@x.test", "G"));
    EXPECT_TRUE(list.add("b@x.test", "G"));
    EXPECT_EQ(list.remove("C@X.TEST", "g"), 1U);
    EXPECT_EQ(list.remove("a@x.test", "Other"), 0U);
    EXPECT_FALSE(list.contains("c@x.test", "G"));
    EXPECT_EQ(list.entries(), (Entries{{"a@x.test", "G"}, {"b@x.test", "G"}}));
}

TEST(ExclusionListTest, ReadsBothOlderLayoutsAndAMissingFileAsEmpty)
{
    test::TempDir dir;
    const auto file = ExclusionList::filePath(dir.path());
    EXPECT_EQ(file.filename(), "Exclusion List.gdb");
    EXPECT_TRUE(loaded(file).empty());
    const Entries entries{{"a@x.test", "All Groups"}, {"b@x.test", "Walkers"}};
    for (const auto& [addressSize, groupSize] : {std::pair{75, 200}, std::pair{100, 255}}) {
        writeListFile(file, addressSize, groupSize, entries);
        EXPECT_EQ(loaded(file), entries) << addressSize;
    }
    ASSERT_TRUE(writeWholeFile(file, "not a database"));
    EXPECT_FALSE(ExclusionList::load(file));
}

TEST(ExclusionListTest, SavingTwiceLeavesOneBackupWithThePreviousContents)
{
    test::TempDir dir;
    const auto file = ExclusionList::filePath(dir.path());
    auto backup = file;
    backup += ".old";
    ExclusionList list;
    ASSERT_TRUE(list.add("first@x.test", "All Groups"));
    ASSERT_TRUE(list.save(file, ExclusionBackup::Keep));
    EXPECT_FALSE(std::filesystem::exists(backup));
    ASSERT_TRUE(list.add("second@x.test", "All Groups"));
    ASSERT_TRUE(list.save(file, ExclusionBackup::Keep));
    ASSERT_TRUE(list.add("third@x.test", "All Groups"));
    ASSERT_TRUE(list.save(file, ExclusionBackup::Keep));
    EXPECT_EQ(loaded(file).size(), 3U);
    EXPECT_EQ(loaded(backup), (Entries{{"first@x.test", "All Groups"}, {"second@x.test", "All Groups"}}));
    // The write before an export replaces the file and leaves the backup alone.
    list.clear();
    ASSERT_TRUE(list.save(file, ExclusionBackup::None));
    EXPECT_TRUE(loaded(file).empty());
    EXPECT_EQ(loaded(backup).size(), 2U);
    // A long address is kept whole.
    const std::string longAddress = std::string(200, 'x') + "@example.test";
    ASSERT_TRUE(list.add(longAddress, "All Groups"));
    ASSERT_TRUE(list.save(file, ExclusionBackup::Keep));
    EXPECT_EQ(loaded(file), (Entries{{longAddress, "All Groups"}}));
}

TEST(ExclusionListTest, AMillionEntriesSaveLoadAndLookUp)
{
    test::TempDir dir;
    const auto file = ExclusionList::filePath(dir.path());
    constexpr int kEntries = 1'000'000;
    ExclusionList list;
    for (int i = 0; i < kEntries; ++i) {
        ASSERT_TRUE(list.add("user" + std::to_string(i) + "@example.test", i % 2 == 0 ? "All Groups" : "Walkers"));
    }
    ASSERT_TRUE(list.save(file, ExclusionBackup::Keep));
    auto reloaded = ExclusionList::load(file);
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(reloaded->size(), static_cast<std::size_t>(kEntries));
    EXPECT_EQ(reloaded->entries().back(), (ExclusionEntry{"user999999@example.test", "Walkers"}));
    EXPECT_TRUE(reloaded->contains("USER999998@example.test", "Runners"));
    EXPECT_FALSE(reloaded->contains("user999999@example.test", "Runners"));
    EXPECT_TRUE(reloaded->add("user1000000@example.test", "Runners")); // no size limit

    auto forRunners = loadExcludedAddresses(file, "Runners");
    ASSERT_TRUE(forRunners);
    EXPECT_EQ(forRunners->size(), static_cast<std::size_t>(kEntries / 2));
    EXPECT_TRUE(forRunners->contains("user0@example.test"));
}

TEST(ExclusionListTest, SendSessionViewNamesTheGroupExactlyAndLowerCasesAddresses)
{
    test::TempDir dir;
    const auto file = ExclusionList::filePath(dir.path());
    writeListFile(file, 75, 200,
                  {{"ALL@x.test", "All Groups"}, {"Mine@x.test", "Club"}, {"case@x.test", "club"}, {"o@x.test", "B"}});
    auto addresses = loadExcludedAddresses(file, "Club");
    ASSERT_TRUE(addresses);
    EXPECT_EQ(addresses->size(), 2u);
    for (const char* address : {"all@x.test", "mine@x.test"}) {
        EXPECT_TRUE(addresses->contains(address)) << address;
    }
    auto none = loadExcludedAddresses(dir / "missing.gdb", "Club");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

class ExclusionEditorTest : public ::testing::Test
{
protected:
    test::TempDir dir;
    ScriptedPrompter prompter;
    ExclusionEditor editor{dir.path(), prompter};
};

TEST_F(ExclusionEditorTest, AddChecksTheAddressThenSameness)
{
    using Outcome = ExclusionEditor::AddOutcome;
    ASSERT_TRUE(editor.load());
    EXPECT_EQ(editor.countText(), "0 Recipients");
    EXPECT_EQ(editor.add("no-at.example.test", "All Groups"), Outcome::InvalidAddress);
    EXPECT_EQ(editor.add("someone@localhost", "All Groups"), Outcome::InvalidAddress);
    EXPECT_EQ(editor.add("Ann@Example.test", "All Groups"), Outcome::Added);
    EXPECT_EQ(editor.add("ann@example.test", "Walkers"), Outcome::AlreadyListed);
    EXPECT_EQ(editor.add("bob@example.test", "Walkers"), Outcome::Added);
    EXPECT_EQ(editor.add("bob@example.test", "Runners"), Outcome::Added);
    EXPECT_EQ(editor.add("BOB@example.test", "walkers"), Outcome::AlreadyListed);
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{std::string(text::kInvalidAddress), std::string(text::kInvalidAddress),
                                        std::string(text::kAlreadyListed), std::string(text::kAlreadyListed)}));
    EXPECT_EQ(editor.countText(), "3 Recipients");
    EXPECT_EQ(editor.list().entries().front(), (ExclusionEntry{"Ann@Example.test", "All Groups"}));
}

TEST_F(ExclusionEditorTest, DeleteAndDeleteAllAskFirst)
{
    EXPECT_FALSE(editor.removeSelected({0}));
    for (const auto& address : {"a@x.test", "b@x.test", "c@x.test"}) {
        ASSERT_EQ(editor.add(address, "All Groups"), ExclusionEditor::AddOutcome::Added);
    }
    EXPECT_FALSE(editor.removeSelected({}));
    prompter.queue(Answer::No);
    EXPECT_FALSE(editor.removeSelected({1}));
    prompter.queue(Answer::Yes);
    EXPECT_TRUE(editor.removeSelected({1}));
    EXPECT_EQ(editor.list().size(), 2U);
    prompter.queue(Answer::No);
    EXPECT_FALSE(editor.removeAll());
    prompter.queue(Answer::Yes);
    EXPECT_TRUE(editor.removeAll());
    EXPECT_TRUE(editor.list().isEmpty());
    EXPECT_THAT(prompter.log(),
                ElementsAre(ScriptedPrompter::Entry{std::string(text::kNobodyToRemove), Icon::Exclamation, false},
                            ScriptedPrompter::Entry{std::string(text::kSelectToRemove), Icon::Exclamation, false},
                            ScriptedPrompter::Entry{std::string(text::kDeleteSelectedQuestion), Icon::Question, true},
                            ScriptedPrompter::Entry{std::string(text::kDeleteSelectedQuestion), Icon::Question, true},
                            ScriptedPrompter::Entry{std::string(text::kDeleteAllQuestion), Icon::Question, true},
                            ScriptedPrompter::Entry{std::string(text::kDeleteAllQuestion), Icon::Question, true}));
}

TEST_F(ExclusionEditorTest, OnlySavingWritesTheFile)
{
    ASSERT_EQ(editor.add("kept@x.test", "All Groups"), ExclusionEditor::AddOutcome::Added);
    ASSERT_TRUE(editor.save());
    // A second editor that adds and is then closed without saving (Cancel) changes nothing.
    ExclusionEditor cancelled(dir.path(), prompter);
    ASSERT_TRUE(cancelled.load());
    ASSERT_EQ(cancelled.add("dropped@x.test", "All Groups"), ExclusionEditor::AddOutcome::Added);
    EXPECT_EQ(loaded(editor.file()), (Entries{{"kept@x.test", "All Groups"}}));

    // The groups offered: "All Groups" and every listed group whose file exists.
    writeListFile(dir / "Walkers.gdb", 10, 10, {});
    EXPECT_THAT(ExclusionEditor::groupChoices({"Walkers", "Gone"}, dir.path()), ElementsAre("All Groups", "Walkers"));
}

} // namespace
} // namespace tidecast::transfer
