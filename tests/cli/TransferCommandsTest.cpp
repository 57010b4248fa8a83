#include "cli/CliRunner.h"
#include "common/Text.h"
#include "store/SqliteDatabase.h"
#include "support/SendTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <utility>
#include <vector>

namespace tidecast::cli
{
namespace
{

using TransferCommandsTest = test::CliTest;

// A small mail folder: headers, quoted replies and a signature, with a few broken candidates.
constexpr std::string_view kMailbox = "From ann.lee@example.com Mon Dec  7 10:00:00 2026\r\n"
                                      "From: Ann Lee <ann.lee@example.com>\r\n"
                                      "To: team@lists.example.org, x@y\r\n"
                                      "Subject: meet @ noon\r\n"
                                      "\r\n"
                                      "> Bob wrote (bob_smith@mail.example.net):\r\n"
                                      "Mail -bad@example.com or ab@cd.e instead.\r\n";

TEST_F(TransferCommandsTest, HarvestPrintsTheLegalAddressesOfAFileOrStdin)
{
    ASSERT_TRUE(writeWholeFile(dir / "mbox", kMailbox));
    const std::string expected = "ann.lee@example.com\nann.lee@example.com\nteam@lists.example.org\n"
                                 "bob_smith@mail.example.net\n";
    const auto fromFile = run({"harvest", (dir / "mbox").string()});
    EXPECT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_EQ(fromFile.out, expected);
    EXPECT_EQ(fromFile.err, "");

    const auto fromStdin = run({"harvest", "-"}, std::string(kMailbox));
    EXPECT_EQ(fromStdin.status, 0);
    EXPECT_EQ(fromStdin.out, expected);

    // A file in UTF-16 with a byte-order mark is decoded as the import decodes it.
    std::string utf16 = "\xFF\xFE";
    for (const char c : kMailbox) {
        utf16 += {c, '\0'};
    }
    ASSERT_TRUE(writeWholeFile(dir / "wide.txt", utf16));
    EXPECT_EQ(run({"harvest", (dir / "wide.txt").string()}).out, expected);
}

TEST_F(TransferCommandsTest, HarvestRefusesAMissingFile)
{
    const auto result = run({"harvest", (dir / "absent.txt").string()});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "warning: Please select a valid file to import first.\n");
}

TEST_F(TransferCommandsTest, ImportsFiftyThousandRowsWithADetectedLayout)
{
    ASSERT_EQ(run({"groups", "add", "Leads"}).status, 0);
    // A header, 50,000 rows of which every hundredth repeats an earlier address in capitals,
    // and one row without an address.
    std::string csv = "Name,Email,City\r\n";
    for (int i = 0; i < 50000; ++i) {
        const int number = i % 100 == 99 ? i - 50 : i;
        std::string address = "lead" + std::to_string(number) + "@example.com";
        if (i % 100 == 99) {
            address = "LEAD" + std::to_string(number) + "@EXAMPLE.COM";
        }
        csv += "\"Lee, Ann " + std::to_string(i) + "\"," + address + ",Leeds\r\n";
    }
    csv += "Nobody,none,Leeds\r\n";
    ASSERT_TRUE(writeWholeFile(dir / "leads.csv", csv));

    const auto result = run({"import", "Leads", (dir / "leads.csv").string(), "--one-name-field", "--map",
                             "Email Address=2,Full Name Macro=1,City=3"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Added: 49500\nDuplicates: 500\nIgnored: 0\nIllegal: 2\n");
    EXPECT_EQ(run({"groups", "list"}).out, "Leads\t49500\n");
    const auto report = readWholeFile(dir / "Illegal Import Data.txt");
    EXPECT_NE(report.find("# Delimiter: COMMA\r\n# Expected Field layout :Field 2, Field 1, Field 3\r\n"),
              std::string::npos);
    EXPECT_NE(report.find("** Duplicate Email Address: LEAD49@EXAMPLE.COM\r\n"
                          "** Complete Record: \"Lee, Ann 99\",LEAD49@EXAMPLE.COM,Leeds\r\n\r\n"),
              std::string::npos);
    EXPECT_NE(report.find("** Illegal Email Address: none\r\n** Complete Record: Nobody,none,Leeds\r\n\r\n"),
              std::string::npos);

    const auto listed = run({"recipients", "list", "Leads", "--limit", "1"});
    EXPECT_EQ(listed.out.substr(0, listed.out.find("\t\t\t")), "\tLee,\tAnn 0\tlead0@example.com");
}

// The addresses of a group's records in file order, read beside whoever is writing it.
std::vector<std::string> storedAddresses(const std::filesystem::path& group)
{
    std::vector<std::string> addresses;
    auto db = store::SqliteDatabase::open(group, store::SqliteDatabase::Mode::ReadOnly);
    if (!db) {
        return addresses;
    }
    auto statement = db->prepare("SELECT EmailAddress FROM records ORDER BY rowid");
    while (statement && statement->step() == store::SqliteStatement::Step::Row) {
        addresses.emplace_back(statement->columnText(0));
    }
    return addresses;
}

// A killed import leaves whole records only, and the same import run again with the duplicate
// check adds exactly the ones that are missing, after them.
TEST_F(TransferCommandsTest, AKilledImportIsCompletedByRunningItAgain)
{
    constexpr int kRows = 200000;
    ASSERT_EQ(run({"groups", "add", "Leads"}).status, 0);
    std::string csv;
    std::vector<std::string> expected;
    for (int i = 0; i < kRows; ++i) {
        expected.push_back("lead" + std::to_string(i) + "@example.com");
        csv += expected.back() + ",Leeds\r\n";
    }
    ASSERT_TRUE(writeWholeFile(dir / "leads.csv", csv));
    const std::vector<std::string> import = {"import", "Leads", (dir / "leads.csv").string(), "--map",
                                             "Email Address=1,City=2"};
    const auto group = dir / "Leads.gdb";

    std::vector<std::string> spawned = {"--data-dir", dir.path().string()};
    spawned.insert(spawned.end(), import.begin(), import.end());
    const pid_t pid = test::spawnCli(spawned, dir / "import.out");
    ASSERT_GT(pid, 0);
    int status = 0;
    while (storedAddresses(group).empty()) {
        ASSERT_EQ(waitpid(pid, &status, WNOHANG), 0) << "the import ended before it could be killed";
    }
    kill(pid, SIGKILL);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    const auto kept = storedAddresses(group);
    ASSERT_LT(kept.size(), expected.size());
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), expected.begin()));

    const auto rerun = run(import);
    EXPECT_EQ(rerun.out, "Added: " + std::to_string(kRows - kept.size()) +
                             "\nDuplicates: " + std::to_string(kept.size()) + "\nIgnored: 0\nIllegal: 0\n");
    EXPECT_EQ(storedAddresses(group), expected);
}

TEST_F(TransferCommandsTest, ImportDetectsTheLayoutAndReadsStdin)
{
    ASSERT_EQ(run({"groups", "add", "Leads"}).status, 0);
    const auto detected =
        run({"import", "Leads", "-"}, "Email;First;Last\nann@example.com;Ann;Lee\nbob@example.com;Bob;Ray\n");
    EXPECT_EQ(detected.status, 0) << detected.err;
    EXPECT_EQ(detected.out, "Added: 2\nDuplicates: 0\nIgnored: 0\nIllegal: 1\n");
    EXPECT_NE(readWholeFile(dir / "Illegal Import Data.txt").find("# Importing :From Clipboard\r\n"),
              std::string::npos);

    // One address a line has no delimiter at all: the whole text is harvested.
    const auto harvested = run({"import", "Leads", "-", "--filter", "IGNORE where 'Email Address' Ends with '.net'"},
                               "cy@example.com\nANN@example.com\ndee@example.net\n");
    EXPECT_EQ(harvested.out, "Added: 1\nDuplicates: 1\nIgnored: 1\nIllegal: 0\n");

    const auto empty = run({"import", "Leads", "-"}, "  ");
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.err, "error: No data was found on the clipboard!\nerror: Please copy the data you intend to "
                         "import to the clip board and try again.\n");

    const auto unmatched = run({"import", "Leads", "-", "--delimiter", "comma"}, "Ann,Lee\n");
    EXPECT_EQ(unmatched.status, 2);
    EXPECT_EQ(unmatched.err, "warning: You must match up the Email Address field in the import file to the Email "
                             "Address field in the Tidecast database.\n");
}

// True once no SIGINT waits for the process any more: its watcher has taken it.
bool interruptTaken(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("ShdPnd:") || line.starts_with("SigPnd:")) {
            const auto pending = std::stoull(line.substr(line.find_first_not_of(" \t", 7)), nullptr, 16);
            if ((pending & (1ULL << (SIGINT - 1))) != 0) {
                return false;
            }
        }
    }
    return true;
}

// Ctrl-C during an export is its Stop: the records written so far stay whole in the file, the
// counts say how many, and the exit code says stopped.
TEST_F(TransferCommandsTest, CtrlCStopsAnExportAtTheNextRecord)
{
    constexpr int kRecipients = 50000;
    const auto addresses = tidecast::test::numberedAddresses(kRecipients);
    ASSERT_TRUE(tidecast::test::makeGroup(dir.path(), "Club", addresses));
    ASSERT_TRUE(writeWholeFile(dir / "groups.lst", (dir / "Club.gdb").string() + "\r\n"));
    const auto output = dir / "club.txt";

    const pid_t pid = test::spawnCli(
        {"--data-dir", dir.path().string(), "export", "Club", output.string(), "--fields", "Email Address"},
        dir / "export.out");
    ASSERT_GT(pid, 0);
    // The export is in the history: it runs, with its Stop armed.
    int status = 0;
    std::error_code ec;
    while (std::filesystem::file_size(dir / "exfiles.sdb", ec) == 0 || ec) {
        ASSERT_EQ(waitpid(pid, &status, WNOHANG), 0) << readWholeFile(dir / "export.out");
        std::this_thread::yield();
    }
    kill(pid, SIGINT);
    while (!interruptTaken(pid)) {
        std::this_thread::yield();
    }
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);

    const auto written = readWholeFile(output);
    const auto lines = splitLines(written);
    ASSERT_LT(lines.size(), addresses.size());
    EXPECT_TRUE(std::equal(lines.begin(), lines.end(), addresses.begin()));
    EXPECT_TRUE(written.empty() || written.ends_with("\r\n"));
    EXPECT_EQ(readWholeFile(dir / "export.out"), "Exported: " + std::to_string(lines.size()) + "\nIgnored: 0\n");
}

} // namespace
} // namespace tidecast::cli
