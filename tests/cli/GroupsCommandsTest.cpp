#include "cli/CliRunner.h"
#include "common/Text.h"
#include "store/GroupDetails.h"
#include "store/RecipientStore.h"
#include "store/StoreTexts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace tidecast::cli
{
namespace
{

class GroupsCommandsTest : public test::CliTest
{
protected:
    void expectRun(const std::vector<std::string>& arguments, int status, const std::string& out = {},
                   const std::string& err = {})
    {
        const auto result = run(arguments);
        EXPECT_EQ(result.status, status) << arguments[0] << ' ' << arguments[1] << '\n' << result.err;
        EXPECT_EQ(result.out, out) << arguments[0] << ' ' << arguments[1];
        EXPECT_EQ(result.err, err) << arguments[0] << ' ' << arguments[1];
        // Whatever the command did, it leaves no write-ahead log behind.
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            const auto name = entry.path().filename().string();
            EXPECT_FALSE(name.ends_with("-wal") || name.ends_with("-shm"))
                << name << " after " << arguments[0] << ' ' << arguments[1];
        }
    }
};

TEST_F(GroupsCommandsTest, AddListRenameAndDeleteGroups)
{
    expectRun({"groups", "list"}, 0);
    expectRun({"groups", "add", "Walkers"}, 0);
    ASSERT_TRUE(writeWholeFile(dir / "sig.txt", "Regards,\nThe Club\n"));
    expectRun({"groups", "add", "Club", "--sender-name", "Ann", "--sender-email", "ann@example.test",
               "--signature-file", (dir / "sig.txt").string()},
              0);
    const auto details = store::parseGroupDetails(dir / "Club.tcp");
    EXPECT_FALSE(details.useDefault);
    EXPECT_EQ(details.senderName, "Ann");
    EXPECT_EQ(details.signature, "Regards,\r\nThe Club");
    EXPECT_TRUE(store::parseGroupDetails(dir / "Walkers.tcp").useDefault);

    expectRun({"groups", "add", "Walkers"}, 2, "", "warning: " + std::string(store::text::kGroupExists) + "\n");
    expectRun({"groups", "add", "Exclusion List"}, 2, "",
              "warning: " + std::string(store::text::kGroupNameRefused) + "\n");
    expectRun({"groups", "add", "Solo", "--sender-email", "solo.example.test", "--sender-name", "S"}, 2, "",
              "warning: PLease enter a valid email address.\n");
    expectRun({"groups", "add", "bad_name"}, 2, "",
              "warning: Please enter valid characters only.\nwarning: \nwarning: These include: Spaces, letters a to "
              "z and A to Z, Numbers 0 to 9 and Hyphens\n");
    expectRun({"groups", "list"}, 0, "Walkers\t0\nClub\t0\n");

    expectRun({"groups", "rename", "Walkers", "Ramblers"}, 0);
    expectRun({"groups", "rename", "Nobody", "Somebody"}, 2, "", "error: This group no longer exists.\n");
    expectRun({"groups", "list"}, 0, "Ramblers\t0\nClub\t0\n");

    // Without --yes and without a terminal the question is answered No.
    expectRun({"groups", "delete", "Ramblers"}, 3, "",
              "info: Are you sure you wish to delete the group: 'Ramblers' - permanently ?\n");
    expectRun({"--yes", "groups", "delete", "Ramblers"}, 0);
    expectRun({"groups", "list"}, 0, "Club\t0\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "Ramblers.gdb"));
}

TEST_F(GroupsCommandsTest, AddListAndRemoveRecipients)
{
    expectRun({"groups", "add", "Club"}, 0);
    expectRun({"recipients", "add", "Club", "--email", "ann@example.test", "--first", "Ann", "--initial", "B", "--last",
               "Other", "--title", "Honourable Sir", "--field4", "/tmp/a.pdf"},
              0);
    expectRun({"recipients", "add", "Club", "--email", "bob@example.test", "--city", "Port"}, 0);
    expectRun({"recipients", "add", "Club", "--email", "BOB@example.test"}, 2, "",
              "warning: This recipient already exists in this group.\n");
    expectRun({"recipients", "add", "Club", "--email", "no-at.example.test"}, 2, "",
              "warning: Please enter a valid email address.\n");
    expectRun({"recipients", "add", "Nowhere", "--email", "x@example.test"}, 2, "",
              "error: This group no longer exists.\n");

    const auto listed = run({"recipients", "list", "Club"});
    ASSERT_EQ(listed.status, 0);
    const auto lines = splitLines(listed.out);
    ASSERT_EQ(lines.size(), 2U);
    // Title, first, last, address, initial, ... field 4, date added.
    EXPECT_EQ(lines[0].substr(0, lines[0].rfind('\t') + 1),
              "Honourable\tAnn\tOther\tann@example.test\tB\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t/tmp/a.pdf\t");
    EXPECT_EQ(lines[0].size() - lines[0].rfind('\t') - 1, 10U); // YYYY-MM-DD
    EXPECT_EQ(run({"recipients", "list", "Club", "--limit", "1"}).out, lines[0] + "\n");
    expectRun({"groups", "list"}, 0, "Club\t2\n");

    // An address that is not in the group is a warning and exit 2; the others are still removed.
    expectRun({"recipients", "remove", "Club", "ANN@example.test", "missing@example.test"}, 2, "",
              "warning: The recipient missing@example.test is not in this group.\n");
    EXPECT_EQ(run({"recipients", "list", "Club"}).out, lines[1] + "\n");
    expectRun({"groups", "list"}, 0, "Club\t1\n");
    expectRun({"recipients", "remove", "Club", "bob@example.test"}, 0);
    expectRun({"groups", "list"}, 0, "Club\t0\n");
}

TEST_F(GroupsCommandsTest, AddAndModifyApplyTheRecipientDialogsChecks)
{
    expectRun({"groups", "add", "Club"}, 0);
    const std::string longPath = "/" + std::string(50, 'p');
    struct Case
    {
        std::vector<std::string> options;
        std::string err;
    };
    const std::vector<Case> refused = {
        {{"--email", "ann @example.test"}, "warning: Spaces are illegal in email address.\n"},
        {{"--email", "ann@example.test", "--title", std::string(16, 't')},
         "warning: The Salutation / Title box holds at most 15 characters.\n"},
        {{"--email", "ann@example.test", "--field2", longPath},
         "info: " + std::string(store::text::kAttachmentTooLong) + "\n"},
        {{"--email", std::string(64, 'a') + "@" + std::string(190, 'b') + ".test"},
         "warning: The Email Address box holds at most 254 characters.\n"},
    };
    for (const auto& c : refused) {
        std::vector<std::string> add = {"recipients", "add", "Club"};
        add.insert(add.end(), c.options.begin(), c.options.end());
        expectRun(add, 2, "", c.err);
        std::vector<std::string> modify = {"recipients", "modify", "Club", "bob@example.test"};
        modify.insert(modify.end(), c.options.begin(), c.options.end());
        if (run({"recipients", "list", "Club"}).out.empty()) {
            expectRun({"recipients", "add", "Club", "--email", "bob@example.test", "--city", "Port"}, 0);
        }
        expectRun(modify, 2, "", c.err);
    }
    expectRun({"groups", "list"}, 0, "Club\t1\n");

    const auto before = splitLines(run({"recipients", "list", "Club"}).out);
    ASSERT_EQ(before.size(), 1U);
    expectRun(
        {"recipients", "modify", "Club", "BOB@example.test", "--email", "robert@example.test", "--first", "Robert"}, 0);
    const auto after = splitLines(run({"recipients", "list", "Club"}).out);
    ASSERT_EQ(after.size(), 1U);
    // The city stays, the date added stays, the rest is what was given.
    const std::string oldStart = "\t\t\tbob@example.test";
    ASSERT_EQ(before[0].substr(0, oldStart.size()), oldStart);
    EXPECT_EQ(after[0], "\tRobert\t\trobert@example.test" + before[0].substr(oldStart.size()));
    expectRun({"recipients", "modify", "Club", "bob@example.test", "--city", "Harbour"}, 2, "",
              "warning: The recipient bob@example.test is not in this group.\n");
    expectRun({"groups", "list"}, 0, "Club\t1\n");
}

TEST_F(GroupsCommandsTest, ExportWritesAGroupOrTheExclusionListAndRemembersThePath)
{
    expectRun({"groups", "add", "Club"}, 0);
    expectRun({"recipients", "add", "Club", "--email", "zed@example.test", "--first", "Zed, Jr.", "--last", "Young"},
              0);
    expectRun({"recipients", "add", "Club", "--email", "amy@example.test", "--first", "Amy", "--last", "Adams"}, 0);
    const auto out = (dir / "club.txt").string();
    expectRun({"export", "Club", out, "--fields", "First Name,Email Address", "--header", "--sort", "last name",
               "--filter", "IGNORE where 'Email Address' Starts with 'nobody'"},
              0, "Exported: 2\nIgnored: 0\n");
    EXPECT_EQ(readWholeFile(dir / "club.txt"),
              "First Name, Email Address\r\nAmy,amy@example.test\r\n\"Zed, Jr.\",zed@example.test\r\n");
    store::RecipientStore history;
    ASSERT_TRUE(history.open(dir / "exfiles.sdb"));
    ASSERT_TRUE(history.moveFirst());
    EXPECT_EQ(history.field("groupname"), "Club");
    EXPECT_EQ(history.field("filename"), out);
    ASSERT_TRUE(history.close());

    expectRun({"exclusion", "add", "zed@example.test", "--group", "club"}, 0);
    expectRun({"export", "--exclusion", out, "--fields", "Group Name,Email Address", "--delimiter", "tab", "--bom"}, 0,
              "Exported: 1\nIgnored: 0\n");
    EXPECT_EQ(readWholeFile(dir / "club.txt"), "\xEF\xBB\xBF"
                                               "Club\tzed@example.test\r\n");

    expectRun({"export", "Club", out, "--fields", "Group Name"}, 1, "",
              "error: Not a field of this export: Group Name\n");
    expectRun({"export", "Nobody", out, "--fields", "City"}, 2, "", "error: This group no longer exists.\n");
    expectRun({"settings", "set", "Server Setup", "DBSafe Delete", "1"}, 0);
    expectRun({"export", "Club", out, "--fields", "City", "--sort", "City"}, 2, "",
              "info: Sorry but Sort is unavailable to you because you have enabled double byte safety.\n");
}

TEST_F(GroupsCommandsTest, ExcludedAddressNeedsYesAndDeleteCanCleanExclusions)
{
    expectRun({"groups", "add", "Club"}, 0);
    expectRun({"exclusion", "add", "ann@example.test", "--group", "Club"}, 0);
    expectRun({"recipients", "add", "Club", "--email", "ann@example.test"}, 3, "",
              "info: This Recipient is already present on your Exclusion List\n"
              "info: Are you sure you still wish to add it to the current group?\n");
    expectRun({"groups", "list"}, 0, "Club\t0\n");
    expectRun({"--yes", "recipients", "add", "Club", "--email", "ann@example.test"}, 0);
    expectRun({"groups", "list"}, 0, "Club\t1\n");

    expectRun({"--yes", "groups", "delete", "Club", "--clean-exclusions"}, 0);
    store::RecipientStore file;
    ASSERT_TRUE(file.open(dir / "Exclusion List.gdb"));
    EXPECT_EQ(file.recordCount(), 0);
}

TEST_F(GroupsCommandsTest, ExclusionImportHarvestsIntoTheListAndSavesWithABackup)
{
    expectRun({"groups", "add", "Club"}, 0);
    expectRun({"exclusion", "add", "known@example.test"}, 0);
    const std::string text = "From: Known@Example.TEST\nTo: new@example.test, x@ab.c\nCc: other@example.org\n";
    auto result = run(
        {"exclusion", "import", "-", "--group", "club", "--filter", "IGNORE where 'Email Address' Ends with '.org'"},
        text);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Added: 1\nDuplicates: 1\nIgnored: 1\nIllegal: 1\n");
    expectRun({"exclusion", "list"}, 0, "known@example.test\tAll Groups\nnew@example.test\tClub\n");
    auto backup = dir / "Exclusion List.gdb";
    backup += ".old";
    EXPECT_TRUE(std::filesystem::exists(backup));

    {
        std::ofstream(dir / "more.txt", std::ios::binary) << "new@example.test more@example.test";
    }
    expectRun({"exclusion", "import", (dir / "more.txt").string()}, 0,
              "Added: 2\nDuplicates: 0\nIgnored: 0\nIllegal: 0\n");
    expectRun({"exclusion", "list"}, 0,
              "known@example.test\tAll Groups\nnew@example.test\tClub\nnew@example.test\tAll Groups\n"
              "more@example.test\tAll Groups\n");

    // Refusals change nothing.
    expectRun({"exclusion", "import", (dir / "gone.txt").string()}, 2, "",
              "error: Please select a valid file to import first.\n");
    EXPECT_EQ(run({"exclusion", "import", "-"}, "   ").err,
              "warning: These appears to be no data currently on the clipboard. Please copy your data to the Windows "
              "clipboard before proceeding.\n");
    expectRun({"exclusion", "import", "-", "--group", "Nobody"}, 2, "", "error: This group no longer exists.\n");
    expectRun({"exclusion", "list"}, 0,
              "known@example.test\tAll Groups\nnew@example.test\tClub\nnew@example.test\tAll Groups\n"
              "more@example.test\tAll Groups\n");
}

} // namespace
} // namespace tidecast::cli
