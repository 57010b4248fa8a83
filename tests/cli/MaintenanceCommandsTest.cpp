#include "cli/CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tidecast::cli
{
namespace
{

class MaintenanceCommandsTest : public test::CliTest
{
protected:
    void SetUp() override
    {
        for (const char* group : {"Club", "Other"}) {
            ASSERT_EQ(run({"groups", "add", group}).status, 0);
        }
        for (const auto& [address, city] : std::vector<std::pair<std::string, std::string>>{
                 {"ann@example.test", "London"}, {"bob@example.test", "Paris"}, {"cy@example.test", "Londonderry"}}) {
            ASSERT_EQ(
                run({"recipients", "add", "Club", "--email", address, "--last", address.substr(0, 2), "--city", city})
                    .status,
                0);
        }
        ASSERT_EQ(run({"recipients", "add", "Other", "--email", "bob@example.test", "--last", "Kept"}).status, 0);
    }

    // The address and last name of each recipient, one line each.
    std::string members(const std::string& group)
    {
        std::string out;
        const auto listed = run({"recipients", "list", group}).out;
        std::size_t start = 0;
        while (start < listed.size()) {
            const auto end = listed.find('\n', start);
            std::vector<std::string> fields;
            std::size_t field = start;
            for (auto tab = listed.find('\t', field); tab < end; tab = listed.find('\t', field)) {
                fields.push_back(listed.substr(field, tab - field));
                field = tab + 1;
            }
            out += fields.at(3) + " " + fields.at(2) + "\n";
            start = end + 1;
        }
        return out;
    }
};

TEST_F(MaintenanceCommandsTest, SearchPrintsWholeRecordsAndExitsByTheSearchOutcome)
{
    struct Case
    {
        std::string group;
        std::string field;
        std::string comparison;
        std::string value;
        int status;
        std::string firstColumns; // address of each printed record
        std::string err;
    };
    const std::vector<Case> cases = {
        {"Club", "City", "starts", "london", 0, "ann@example.test\ncy@example.test\n", ""},
        {"Club", "Email Address", "equals", "BOB@example.test", 0, "bob@example.test\n", ""},
        {"Club", "Last Name", "ends", "N", 0, "ann@example.test\n", ""},
        {"Club", "City", "contains", "Rome", 0, "", "warning: The specified search criteria returned no recipients.\n"},
        {"Club", "Shoe Size", "equals", "9", 1, "", "error: not a field label: Shoe Size\n"},
        {"Club", "City", "like", "x", 1, "", "error: the comparison is one of equals, contains, starts, ends: like\n"},
        {"Nowhere", "City", "equals", "x", 2, "", "error: This group no longer exists.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.group + " " + c.field + " " + c.comparison);
        const auto result = run({"search", c.group, c.field, c.comparison, c.value});
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.err, c.err);
        std::string addresses;
        for (std::size_t start = 0; start < result.out.size(); start = result.out.find('\n', start) + 1) {
            const auto line = result.out.substr(start, result.out.find('\n', start) - start);
            EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 20) << line;
            const auto fourth = line.find('\t', line.find('\t', line.find('\t') + 1) + 1) + 1;
            addresses += line.substr(fourth, line.find('\t', fourth) - fourth) + "\n";
        }
        EXPECT_EQ(addresses, c.firstColumns);
    }
}

TEST_F(MaintenanceCommandsTest, CopyAndMoveAnswerNoWithoutATerminalAndOverwriteOnRequest)
{
    auto result = run({"move", "Club", "Other", "bob@example.test"});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.err, "info: The Recipient - 'bob@example.test' already exists in the Destination Group.\n"
                          "info: Do you wish to overwrite the Destination Recipient information?\n"
                          "info: Would you like to delete 'bob@example.test' from 'Club' anyway?\n");
    EXPECT_EQ(members("Club"), "ann@example.test an\nbob@example.test bo\ncy@example.test cy\n");
    EXPECT_EQ(members("Other"), "bob@example.test Kept\n");

    result = run({"copy", "Club", "Other", "ann@example.test", "nobody@example.test"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "warning: The recipient nobody@example.test is not in this group.\n");
    EXPECT_EQ(members("Other"), "bob@example.test Kept\nann@example.test an\n");

    result = run({"move", "Club", "Other", "bob@example.test", "cy@example.test", "--overwrite"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(members("Club"), "ann@example.test an\n");
    EXPECT_EQ(members("Other"), "bob@example.test bo\nann@example.test an\ncy@example.test cy\n");

    EXPECT_EQ(run({"copy", "Club", "Gone", "ann@example.test"}).status, 2);
    EXPECT_EQ(run({"--yes", "move", "Other", "Club", "bob@example.test"}).status, 0);
    EXPECT_EQ(members("Club"), "ann@example.test an\nbob@example.test bo\n");
}

TEST_F(MaintenanceCommandsTest, SortAndRepairReportAsTheDesktopDoes)
{
    EXPECT_EQ(run({"sort", "Club", "Last Name"}).status, 0);
    EXPECT_EQ(members("Club"), "ann@example.test an\nbob@example.test bo\ncy@example.test cy\n");
    EXPECT_EQ(run({"sort", "Club", "City"}).status, 0);
    EXPECT_EQ(members("Club"), "ann@example.test an\ncy@example.test cy\nbob@example.test bo\n");
    EXPECT_EQ(run({"sort", "Club", "Height"}).status, 1);

    auto result = run({"repair", "Club"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "info: Finished Checking Club\ninfo: \ninfo: 3 Recipients were checked.\n"
                          "info: 0 Recipients were damaged and deleted.\n");
    EXPECT_EQ(run({"repair", "Nowhere"}).status, 2);

    ASSERT_EQ(run({"settings", "set", "Server Setup", "DBSafe Delete", "1"}).status, 0);
    result = run({"sort", "Club", "Last Name"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err,
              "warning: Sorry but Sort is unavailable to you because you have enabled double byte safety.\n");
    EXPECT_EQ(members("Club"), "ann@example.test an\ncy@example.test cy\nbob@example.test bo\n");
}

} // namespace
} // namespace tidecast::cli
