#include "store/GroupStore.h"

#include "store/Compaction.h"
#include "store/LocalDate.h"
#include "store/StoreTexts.h"
#include "support/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace tidecast::store::test
{
namespace
{

using GroupStoreTest = StoreTest;

std::vector<std::string> names(const std::vector<GroupRow>& rows)
{
    std::vector<std::string> out;
    for (const auto& row : rows) {
        out.push_back(row.name);
    }
    return out;
}

TEST_F(GroupStoreTest, GroupListAppendsNewGroupsKeepsRenamedPlaceAndDropsVanishedFiles)
{
    addGroup("Alpha");
    addGroup("Beta");
    addGroup("Gamma");
    EXPECT_EQ(listText(), groups.groupPath("Alpha") + "\r\n" + groups.groupPath("Beta") + "\r\n" +
                              groups.groupPath("Gamma") + "\r\n");

    ASSERT_TRUE(groups.beginModifyGroup("Beta"));
    ASSERT_TRUE(groups.acceptGroupDialog("Beta", "Delta", {}).accepted());
    EXPECT_EQ(groups.finishModifyGroup(), "Delta");
    EXPECT_EQ(names(groups.rows()), (std::vector<std::string>{"Alpha", "Delta", "Gamma"}));
    EXPECT_TRUE(groups.newGroupPath().empty());
    EXPECT_TRUE(groups.oldGroupPath().empty());

    // A group file removed behind our back drops out of the list and of the rewritten file.
    std::filesystem::remove(groups.groupPath("Alpha"));
    EXPECT_EQ(names(groups.loadGroups()), (std::vector<std::string>{"Delta", "Gamma"}));
    groups.writeGroupList();
    EXPECT_EQ(listText(), groups.groupPath("Delta") + "\r\n" + groups.groupPath("Gamma") + "\r\n");

    // Lines from older lists may carry another folder; only the name counts.
    ASSERT_TRUE(writeWholeFile(groups.listFile(), "C:\\Old\\Place\\Gamma.gdb\nmissing.gdb\n\n"));
    EXPECT_EQ(groups.loadGroups(), (std::vector<GroupRow>{{"Gamma", 0}}));
    EXPECT_EQ(status.texts.back(), text::kLoadingGroups);
}

TEST_F(GroupStoreTest, EmptyGroupListLeavesNoFileAndCountsComeFromTheFiles)
{
    addGroup("Solo");
    fillGroup("Solo", 3);
    EXPECT_EQ(groups.loadGroups(), (std::vector<GroupRow>{{"Solo", 3}}));
    fillGroup("Solo", 2, 3);
    EXPECT_EQ(groups.countRecipients("Solo"), 5);
    EXPECT_EQ(groups.rows()[0].count, 5);

    prompter.queue(Answer::Yes);
    EXPECT_EQ(groups.deleteGroup("Solo"), CommandOutcome::Done);
    EXPECT_TRUE(groups.rows().empty());
    EXPECT_FALSE(std::filesystem::exists(groups.listFile()));
}

TEST_F(GroupStoreTest, GroupDialogChecksNameAndOwnIdentityInOrder)
{
    GroupDetails own;
    own.useDefault = false;
    own.senderName = "Ann";
    own.senderEmail = "ann@example.test";
    const auto with = [&own](auto change) {
        GroupDetails details = own;
        change(details);
        return details;
    };
    struct Case
    {
        std::string name;
        GroupDetails details;
        std::string_view message; // empty: accepted
        GroupDialogField focus;
    };
    const std::vector<Case> cases = {
        {"  Friends  ", {}, "", GroupDialogField::None},
        {"exclusion list", {}, "", GroupDialogField::None},
        {"Exclusion List", {}, text::kGroupNameRefused, GroupDialogField::GroupName},
        {"   ", {}, text::kEnterGroupName, GroupDialogField::GroupName},
        {"a/b", {}, text::kGroupNameCharacters, GroupDialogField::GroupName},
        {"Friends", own, "", GroupDialogField::None},
        {"Friends", with([](GroupDetails& d) { d.senderName = "  "; }), text::kEnterYourName,
         GroupDialogField::SenderName},
        {"Friends", with([](GroupDetails& d) { d.senderEmail = ""; }), text::kEnterYourEmail,
         GroupDialogField::SenderEmail},
        {"Friends", with([](GroupDetails& d) { d.senderEmail = "ann.example.test"; }), text::kSenderEmailWithoutAt,
         GroupDialogField::SenderEmail},
        {"Friends", with([](GroupDetails& d) { d.senderEmail = "ann@example"; }), text::kEnterValidEmail,
         GroupDialogField::SenderEmail},
        // The default identity is not checked, however its fields look.
        {"Friends", GroupDetails{true, "", "nonsense", "", "", ""}, "", GroupDialogField::None},
    };
    for (const auto& c : cases) {
        prompter.clear();
        std::string name = c.name;
        EXPECT_EQ(checkGroupDialog(name, c.details, prompter), c.focus) << c.name;
        if (c.message.empty()) {
            EXPECT_TRUE(prompter.log().empty()) << c.name;
        } else {
            EXPECT_EQ(prompter.log(),
                      (std::vector<ScriptedPrompter::Entry>{{std::string(c.message), Icon::Exclamation, false}}))
                << c.name;
        }
    }
    std::string padded = "  Friends ";
    (void)checkGroupDialog(padded, {}, prompter);
    EXPECT_EQ(padded, "Friends");
}

TEST_F(GroupStoreTest, ExistingGroupIsRefusedOnAddAndAsRenameTarget)
{
    addGroup("One");
    addGroup("Two");
    fillGroup("Two", 2);
    prompter.clear();
    groups.beginAddGroup();
    EXPECT_FALSE(groups.acceptGroupDialog("", "One", {}).accepted());
    ASSERT_TRUE(groups.beginModifyGroup("One"));
    EXPECT_FALSE(groups.acceptGroupDialog("One", "Two", {}).accepted());
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{std::string(text::kGroupExists), std::string(text::kGroupExists)}));
    EXPECT_EQ(groups.countRecipients("Two"), 2);

    prompter.clear();
    EXPECT_FALSE(groups.beginModifyGroup(""));
    EXPECT_EQ(groups.deleteGroup(""), CommandOutcome::Refused);
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{std::string(text::kSelectGroupToModify),
                                                          std::string(text::kSelectGroupToModify)}));
}

TEST_F(GroupStoreTest, GroupDetailsAreWrittenExactlyAndReadBack)
{
    GroupDetails details;
    details.useDefault = false;
    details.senderName = "Ann Other";
    details.senderEmail = "ann@example.test";
    details.organisation = "Harbour Club";
    details.replyTo = "replies@example.test";
    details.signature = "Best wishes,\r\n\r\n  Ann\r\nHarbour Club";
    addGroup("Club", details);

    const auto file = readWholeFile(groups.detailsFile("Club"));
    EXPECT_EQ(file, "; \r\n; Group Details\r\n; Date created: " + formatGeneralDate(clock.now()) +
                        "\r\n;\r\nDEFAULT: N\r\nNAME: Ann Other\r\nEMAIL: ann@example.test\r\n"
                        "ORGANISATION: Harbour Club\r\nREPLYTO: replies@example.test\r\n"
                        "SIGNATURE: Best wishes,\r\n\r\n  Ann\r\nHarbour Club\r\nENDSIG\r\n");
    EXPECT_EQ(parseGroupDetails(groups.detailsFile("Club")), details);

    // Blanks around the signature go; inner lines stay. LF-only files read the same.
    auto padded = details;
    padded.signature = "   Cheers\r\nAnn   ";
    ASSERT_TRUE(writeGroupDetails(groups.detailsFile("Club"), padded, clock));
    EXPECT_EQ(parseGroupDetails(groups.detailsFile("Club")).signature, "Cheers\r\nAnn");
    EXPECT_EQ(parseGroupDetailsText("DEFAULT: N\nNAME:  Bob \nSIGNATURE: one\ntwo\nENDSIG\n").signature, "one\r\ntwo");

    // No file, no DEFAULT key, or "Y": the default identity; anything else is the group's own.
    EXPECT_EQ(parseGroupDetails(groups.detailsFile("Nobody")), GroupDetails{});
    EXPECT_TRUE(parseGroupDetailsText("NAME: Bob\r\n").useDefault);
    EXPECT_EQ(parseGroupDetailsText("NAME: Bob\r\n").senderName, "Bob");
    EXPECT_TRUE(parseGroupDetailsText("DEFAULT: Y\r\n").useDefault);
    EXPECT_FALSE(parseGroupDetailsText("DEFAULT: X\r\n").useDefault);
}

TEST_F(GroupStoreTest, RenameMovesFileWritesNewDetailsAndRenamesOnlyExactExclusionEntries)
{
    GroupDetails details;
    details.signature = "Old sig";
    addGroup("Walkers", details);
    fillGroup("Walkers", 4);
    writeExclusions({{"x@example.test", "Walkers"}, {"y@example.test", "walkers"}, {"z@example.test", "All Groups"}});

    ASSERT_TRUE(groups.beginModifyGroup("Walkers"));
    auto changed = parseGroupDetails(groups.detailsFile("Walkers"));
    changed.signature = "New sig";
    ASSERT_TRUE(groups.acceptGroupDialog("Walkers", "Ramblers", changed).accepted());
    groups.finishModifyGroup();

    EXPECT_FALSE(std::filesystem::exists(groups.groupPath("Walkers")));
    EXPECT_EQ(groups.rows(), (std::vector<GroupRow>{{"Ramblers", 4}}));
    EXPECT_EQ(parseGroupDetails(groups.detailsFile("Ramblers")).signature, "New sig");
    EXPECT_EQ(parseGroupDetails(groups.detailsFile("Walkers")).signature, "Old sig");
    EXPECT_EQ(readExclusions(),
              (std::vector<std::pair<std::string, std::string>>{
                  {"x@example.test", "Ramblers"}, {"y@example.test", "walkers"}, {"z@example.test", "All Groups"}}));

    // Keeping the name rewrites only the details.
    ASSERT_TRUE(groups.beginModifyGroup("Ramblers"));
    ASSERT_TRUE(groups.acceptGroupDialog("Ramblers", "Ramblers", details).accepted());
    EXPECT_EQ(groups.finishModifyGroup(), "Ramblers");
    EXPECT_EQ(parseGroupDetails(groups.detailsFile("Ramblers")).signature, "Old sig");
    EXPECT_EQ(groups.rows(), (std::vector<GroupRow>{{"Ramblers", 4}}));
}

TEST_F(GroupStoreTest, RenameTakesTheWriteAheadLogAlong)
{
    addGroup("Walkers");
    fillGroup("Walkers", 4);
    // A writer that ended without closing leaves its last records in the write-ahead log.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RecipientStore file;
        bool written = static_cast<bool>(file.open(groups.groupPath("Walkers"))) && static_cast<bool>(file.addNew());
        if (written) {
            file.setField(0, "late@example.test");
            written = static_cast<bool>(file.flush());
        }
        _exit(written ? 0 : 1);
    }
    int childStatus = 0;
    waitpid(child, &childStatus, 0);
    ASSERT_TRUE(WIFEXITED(childStatus) && WEXITSTATUS(childStatus) == 0);
    auto wal = groups.groupPath("Walkers");
    wal += "-wal";
    ASSERT_TRUE(std::filesystem::exists(wal)) << "the writer left no log to take along";

    ASSERT_TRUE(groups.beginModifyGroup("Walkers"));
    ASSERT_TRUE(
        groups.acceptGroupDialog("Walkers", "Ramblers", parseGroupDetails(groups.detailsFile("Walkers"))).accepted());
    groups.finishModifyGroup();
    EXPECT_FALSE(std::filesystem::exists(wal));
    RecipientStore renamed;
    ASSERT_TRUE(renamed.open(groups.groupPath("Ramblers")));
    EXPECT_EQ(renamed.recordCount(), 5);
}

TEST_F(GroupStoreTest, DeleteAsksThenRemovesFilesAndOptionallyTheGroupsExclusions)
{
    for (const bool safe : {false, true}) {
        SCOPED_TRACE(safe ? "safe rebuild" : "direct compaction");
        groups.setSafeDelete(safe);
        addGroup("Keep");
        addGroup("Drop");
        writeExclusions({{"a@example.test", "Drop"}, {"b@example.test", "Keep"}, {"c@example.test", "DROP"}});
        prompter.clear();

        prompter.queue(Answer::No);
        EXPECT_EQ(groups.deleteGroup("Drop"), CommandOutcome::Stopped);
        EXPECT_TRUE(std::filesystem::exists(groups.groupPath("Drop")));

        prompter.queue(Answer::Yes);
        prompter.queue(Answer::Yes);
        EXPECT_EQ(groups.deleteGroup("Drop"), CommandOutcome::Done);
        EXPECT_EQ(prompter.texts(),
                  (std::vector<std::string>{text::deleteGroupQuestion("Drop"), text::deleteGroupQuestion("Drop"),
                                            std::string(text::kRemoveExclusionsQuestion)}));
        EXPECT_FALSE(std::filesystem::exists(groups.groupPath("Drop")));
        EXPECT_FALSE(std::filesystem::exists(groups.detailsFile("Drop")));
        EXPECT_EQ(names(groups.rows()), (std::vector<std::string>{"Keep"}));
        EXPECT_EQ(listText(), groups.groupPath("Keep") + "\r\n");
        EXPECT_EQ(readExclusions(), (std::vector<std::pair<std::string, std::string>>{{"b@example.test", "Keep"},
                                                                                      {"c@example.test", "DROP"}}));

        // Told not to clean, the entries stay and nothing is asked.
        prompter.clear();
        prompter.queue(Answer::Yes);
        EXPECT_EQ(groups.deleteGroup("Keep", ExclusionCleanup::No), CommandOutcome::Done);
        EXPECT_EQ(prompter.log().size(), 1U);
        EXPECT_EQ(readExclusions().size(), 2U);
        std::filesystem::remove(groups.exclusionListFile());
    }
}

TEST_F(GroupStoreTest, SafeRebuildReportsEvery50RecordsAndKeepsRecordOrder)
{
    addGroup("Club");
    fillGroup("Club", 120);
    const auto before = records("Club");
    // A leftover temporary file is not reused.
    ASSERT_TRUE(writeWholeFile(dir / "Club0.tmp", "busy"));
    RecordingProgress rebuildProgress;
    ASSERT_TRUE(safeRebuild(dir.path(), "Club", ".gdb", rebuildProgress));
    EXPECT_EQ(rebuildProgress.maximums, (std::vector<std::int64_t>{120}));
    EXPECT_EQ(rebuildProgress.values, (std::vector<std::int64_t>{50, 100, 0}));
    EXPECT_EQ(records("Club"), before);
    EXPECT_EQ(readWholeFile(dir / "Club0.tmp"), "busy");
    EXPECT_FALSE(std::filesystem::exists(dir / "Club1.tmp"));

    // A missing file is left alone.
    EXPECT_TRUE(safeRebuild(dir.path(), "Nothing", ".gdb", rebuildProgress));
    EXPECT_FALSE(std::filesystem::exists(dir / "Nothing.gdb"));
}

TEST(GroupNames, CleanFilenameAndNameKeys)
{
    EXPECT_EQ(groupNameOfPath(""), "");
    EXPECT_EQ(groupNameOfPath("/data/Friends.gdb"), "Friends");
    EXPECT_EQ(groupNameOfPath("C:\\Data\\My Club.gdb"), "My Club");
    EXPECT_EQ(groupNameOfPath("x.gdb"), "x");
    EXPECT_EQ(groupNameOfPath(".gdb"), "");

    for (char32_t key : {U' ', U'-', U'0', U'9', U'a', U'z', U'A', U'Z', char32_t{8}}) {
        EXPECT_TRUE(isGroupNameKey(key)) << static_cast<int>(key);
    }
    for (char32_t key : {U'_', U'.', U'/', U'\\', U'!', U'\t', U'\r', U'\u00e9'}) {
        EXPECT_FALSE(isGroupNameKey(key)) << static_cast<int>(key);
    }
}

} // namespace
} // namespace tidecast::store::test
