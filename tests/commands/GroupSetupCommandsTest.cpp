#include "commands/GroupSetupCommands.h"

#include "store/RecipientInput.h"
#include "store/StoreTexts.h"
#include "support/StoreTestSupport.h"

#include <gtest/gtest.h>

namespace tidecast::commands::test
{
namespace
{

using namespace store;
using namespace store::test;

class GroupSetupCommandsTest : public StoreTest
{
protected:
    GroupSetupCommands list{groups};

    void SetUp() override
    {
        addGroup("Club");
        list.setGroup("Club");
        prompter.clear();
    }

    RecipientRecord recordOf(const std::string& address)
    {
        RecipientRecord record;
        record.set(RecipientField::EmailAddress, address);
        return record;
    }
};

TEST_F(GroupSetupCommandsTest, AddTakesInitialBeforeLastNameCutsTitleAndRefusesDuplicatesInAnyCase)
{
    using F = RecipientField;
    RecipientRecord input;
    const std::vector<std::pair<F, std::string>> values = {
        {F::Title, "Professor Emeritus"},
        {F::FirstName, "Ann"},
        {F::Initial, "B"},
        {F::LastName, "Other"},
        {F::EmailAddress, "ann@example.test"},
        {F::Zip, "AB1"},
        {F::Web, "http://example.test"},
        {F::Fax, "02"},
        {F::Field4, "f4"},
    };
    for (const auto& [field, value] : values) {
        input.set(field, value);
    }
    input.dateAdded = "1999-01-01"; // the store sets it, whatever comes in
    ASSERT_TRUE(list.saveRecipient(input));
    auto expected = input;
    expected.set(F::Title, "Professor ");
    expected.dateAdded = "2026-03-14";
    EXPECT_EQ(records("Club"), std::vector<RecipientRecord>{expected});
    EXPECT_EQ(list.rows(), (std::vector<RecipientRow>{{"Ann", "Other", "ann@example.test"}}));
    EXPECT_EQ(groups.rows()[0].count, 1);
    EXPECT_EQ(status.texts.back(), "");

    for (const char* duplicate : {"ann@example.test", "ANN@Example.Test"}) {
        prompter.clear();
        EXPECT_FALSE(list.saveRecipient(recordOf(duplicate))) << duplicate;
        EXPECT_EQ(prompter.log(), (std::vector<ScriptedPrompter::Entry>{
                                      {std::string(text::kRecipientExists), Icon::Exclamation, false}}));
    }
    EXPECT_EQ(records("Club").size(), 1U);

    // In the groups-only view only the count changes.
    list.setGroupsOnlyView(true);
    ASSERT_TRUE(list.saveRecipient(recordOf("bob@example.test")));
    EXPECT_EQ(list.rows().size(), 1U);
    EXPECT_EQ(groups.rows()[0].count, 2);
}

TEST_F(GroupSetupCommandsTest, ModifyOverwritesTheRecordKeepsDateAddedAndRewritesTheRow)
{
    fillGroup("Club", 3);
    ASSERT_TRUE(list.loadRecipients());
    ASSERT_TRUE(list.beginModifyRecipient("a1@example.test"));
    EXPECT_TRUE(list.modifying());

    auto record = *list.findRecipient("a1@example.test");
    record.set(RecipientField::EmailAddress, "new@example.test");
    record.set(RecipientField::LastName, "Changed");
    ASSERT_TRUE(list.acceptRecipientDialog(record).closeDialog);

    const auto stored = records("Club");
    ASSERT_EQ(stored.size(), 3U);
    EXPECT_EQ(stored[1].emailAddress(), "new@example.test");
    EXPECT_EQ(stored[1].get(RecipientField::LastName), "Changed");
    EXPECT_EQ(stored[1].dateAdded, "2020-01-01");
    EXPECT_EQ(list.rows()[1], (RecipientRow{"First1", "Changed", "new@example.test"}));

    // A record that vanished meanwhile is added instead, as a new record with today's date.
    list.setModifying("gone@example.test");
    ASSERT_TRUE(list.saveRecipient(recordOf("back@example.test")));
    EXPECT_EQ(records("Club").back().dateAdded, "2026-03-14");
    EXPECT_EQ(records("Club").size(), 4U);
}

TEST_F(GroupSetupCommandsTest, DialogChecksAddressThenAsksAboutExclusionsForThisGroupOrAllGroups)
{
    struct Case
    {
        const char* address;
        std::string_view message;
    };
    for (const Case& c : {Case{"   ", text::kEnterRecipientEmail}, Case{"nobody.example.test", text::kEnterValidEmail},
                          Case{"nobody@example", text::kEnterValidEmail}}) {
        prompter.clear();
        const auto result = list.acceptRecipientDialog(recordOf(c.address));
        EXPECT_FALSE(result.closeDialog) << c.address;
        EXPECT_EQ(prompter.log(),
                  (std::vector<ScriptedPrompter::Entry>{{std::string(c.message), Icon::Exclamation, false}}))
            << c.address;
    }

    writeExclusions({{"every@example.test", "All Groups"},
                     {"other@example.test", "Other"},
                     {"other@example.test", "club"},
                     {"mine@example.test", "Club"}});
    EXPECT_TRUE(*list.isExcluded("EVERY@example.test", "Anything"));
    EXPECT_FALSE(*list.isExcluded("other@example.test", "Club"));
    EXPECT_TRUE(*list.isExcluded("other@example.test", "Other"));
    EXPECT_TRUE(*list.isExcluded("mine@example.test", "Club"));
    EXPECT_FALSE(*list.isExcluded("mine@example.test", "club"));

    // Not excluded here: written without a question.
    prompter.clear();
    EXPECT_EQ(list.acceptRecipientDialog(recordOf(" other@example.test ")).outcome, CommandOutcome::Done);
    EXPECT_TRUE(prompter.log().empty());
    EXPECT_EQ(records("Club").back().emailAddress(), "other@example.test");

    // Excluded: No closes without writing, Cancel stays open, Yes writes.
    prompter.queue(Answer::No);
    auto result = list.acceptRecipientDialog(recordOf("every@example.test"));
    EXPECT_TRUE(result.closeDialog);
    EXPECT_EQ(result.outcome, CommandOutcome::Stopped);
    prompter.queue(Answer::Cancel);
    result = list.acceptRecipientDialog(recordOf("mine@example.test"));
    EXPECT_FALSE(result.closeDialog);
    EXPECT_EQ(records("Club").size(), 1U);
    prompter.queue(Answer::Yes);
    EXPECT_EQ(list.acceptRecipientDialog(recordOf("mine@example.test")).outcome, CommandOutcome::Done);
    EXPECT_EQ(records("Club").size(), 2U);
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>(3, std::string(text::kExcludedQuestion))));
}

TEST_F(GroupSetupCommandsTest, ListShowsAtMost32000RowsAndSaysSoOnlyWhenThereAreMore)
{
    fillGroup("Club", 32000);
    ASSERT_TRUE(list.loadRecipients());
    EXPECT_EQ(list.rows().size(), 32000U);
    EXPECT_TRUE(prompter.log().empty());
    EXPECT_EQ(list.rows().back().emailAddress, "a31999@example.test");
    EXPECT_EQ(progress.maximums.back(), 32000);

    fillGroup("Club", 1, 32000);
    ASSERT_TRUE(list.loadRecipients());
    EXPECT_EQ(list.rows().size(), 32000U);
    EXPECT_EQ(list.rows().front().emailAddress, "a0@example.test");
    // The message sends people to the search only where there is one.
    list.setSearchAvailable(true);
    ASSERT_TRUE(list.loadRecipients());
    EXPECT_EQ(prompter.log(), (std::vector<ScriptedPrompter::Entry>{
                                  {std::string(text::kListCappedWithoutSearch), Icon::Information, false},
                                  {std::string(text::kListCapped), Icon::Information, false}}));
    EXPECT_EQ(groups.rows()[0].count, 32001);

    // Adding beyond the cap counts the recipient but keeps the list at its limit.
    ASSERT_TRUE(list.saveRecipient(recordOf("late@example.test")));
    EXPECT_EQ(list.rows().size(), 32000U);
    EXPECT_EQ(groups.rows()[0].count, 32002);
}

TEST_F(GroupSetupCommandsTest, DeletingLeavesOnlyTheOtherRecordsWithEitherCompaction)
{
    for (const bool safe : {false, true}) {
        SCOPED_TRACE(safe ? "safe rebuild" : "direct compaction");
        groups.setSafeDelete(safe);
        std::filesystem::remove(groups.groupPath("Club"));
        addGroup("Club");
        fillGroup("Club", 6);
        ASSERT_TRUE(list.loadRecipients());
        prompter.clear();

        prompter.queue(Answer::No);
        EXPECT_EQ(list.deleteRecipients({"a1@example.test"}), CommandOutcome::Stopped);
        prompter.queue(Answer::Yes);
        EXPECT_EQ(list.deleteRecipients({"a1@example.test", "a4@example.test", "missing@example.test"}),
                  CommandOutcome::Done);
        EXPECT_EQ(prompter.texts(), (std::vector<std::string>(2, std::string(text::kDeleteRecipientsQuestion))));

        EXPECT_EQ(addressesOf("Club"), (std::vector<std::string>{"a0@example.test", "a2@example.test",
                                                                 "a3@example.test", "a5@example.test"}));
        EXPECT_EQ(list.rows().size(), 4U);
        EXPECT_EQ(groups.rows()[0].count, 4);

        EXPECT_TRUE(list.removeRecipient("a2@example.test"));
        EXPECT_FALSE(list.removeRecipient("a2@example.test"));
        EXPECT_EQ(list.rowOf("a2@example.test"), -1);
        EXPECT_EQ(records("Club").size(), 3U);
        EXPECT_EQ(groups.rows()[0].count, 3);
        // Nothing of the rebuild is left beside the group.
        EXPECT_FALSE(std::filesystem::exists(dir / "Club0.tmp"));
    }

    prompter.clear();
    EXPECT_EQ(list.deleteRecipients({}), CommandOutcome::Refused);
    GroupSetupCommands empty{groups};
    EXPECT_EQ(empty.deleteRecipients({"x@example.test"}), CommandOutcome::Refused);
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{std::string(text::kSelectRecipientToDelete),
                                                          std::string(text::kNoRecipientsToDelete)}));
}

TEST_F(GroupSetupCommandsTest, CommandsRefuseWithoutGroupsSelectionOrRecipients)
{
    GroupSetupCommands none{groups};
    EXPECT_FALSE(none.beginAddRecipient());
    EXPECT_EQ(list.beginAddRecipient(), "Add a New Recipient to 'Club'");
    EXPECT_FALSE(list.beginModifyRecipient(""));
    fillGroup("Club", 1);
    ASSERT_TRUE(list.loadRecipients());
    EXPECT_FALSE(list.beginModifyRecipient(""));
    EXPECT_EQ(list.beginModifyRecipient("a0@example.test"), "Modify an Existing Recipient  in 'Club'");
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{std::string(text::kSelectGroupFirst), std::string(text::kNoRecipientsInGroup),
                                        std::string(text::kSelectRecipientToModify)}));

    prompter.clear();
    prompter.queue(Answer::Yes);
    ASSERT_EQ(groups.deleteGroup("Club"), CommandOutcome::Done);
    EXPECT_FALSE(list.beginAddRecipient());
    EXPECT_EQ(prompter.texts().back(), text::kAddGroupFirst);
}

TEST_F(GroupSetupCommandsTest, MissingOrDamagedGroupIsReportedAndTheListsRebuilt)
{
    addGroup("Other");
    std::filesystem::remove(groups.groupPath("Club"));
    EXPECT_FALSE(list.loadRecipients());
    EXPECT_EQ(prompter.log(),
              (std::vector<ScriptedPrompter::Entry>{{std::string(text::kGroupNoLongerExists), Icon::Critical, false}}));
    EXPECT_EQ(groups.rows(), (std::vector<GroupRow>{{"Other", 0}}));
    EXPECT_EQ(listText(), groups.groupPath("Other") + "\r\n");

    prompter.clear();
    ASSERT_TRUE(writeWholeFile(groups.groupPath("Other"), "not a database"));
    list.setGroup("Other");
    EXPECT_FALSE(list.saveRecipient(recordOf("a@example.test")));
    EXPECT_FALSE(list.removeRecipient("a@example.test"));
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>(2, text::notValidGroup("Other"))));
}

TEST(RecipientInput, AddressKeysAndCustomAttachmentLength)
{
    for (char32_t key : {U'a', U'Z', U'5', U'@', U'.', U'-', U'_', U'+', U',', U'/', U'#', U'&', char32_t{8},
                         char32_t{3}, char32_t{22}, char32_t{24}, char32_t{26}, char32_t{31}}) {
        EXPECT_EQ(classifyAddressKey(key), AddressKey::Accept) << static_cast<int>(key);
    }
    for (char32_t key : {U'!', U'<', U'>', U'"', U'\'', U'(', U';', U':', U'\t', char32_t{13}, U'\u00e9'}) {
        EXPECT_EQ(classifyAddressKey(key), AddressKey::Drop) << static_cast<int>(key);
    }
    EXPECT_EQ(classifyAddressKey(U' '), AddressKey::RefuseSpace);

    ScriptedPrompter prompter;
    EXPECT_TRUE(acceptCustomAttachmentPath(std::string(50, 'x'), prompter));
    // Characters count, not bytes.
    EXPECT_TRUE(acceptCustomAttachmentPath("/home/\u00e9\u00e9\u00e9" + std::string(41, 'x'), prompter));
    EXPECT_TRUE(prompter.log().empty());
    EXPECT_FALSE(acceptCustomAttachmentPath(std::string(51, 'x'), prompter));
    EXPECT_EQ(prompter.log(), (std::vector<ScriptedPrompter::Entry>{
                                  {std::string(text::kAttachmentTooLong), Icon::Information, false}}));
}

} // namespace
} // namespace tidecast::commands::test
