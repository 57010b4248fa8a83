#include "cli/CliRunner.h"
#include "common/Text.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tidecast::cli
{
namespace
{

class TransferCommandsTest : public ::testing::Test
{
protected:
    tidecast::test::TempDir dir;

    test::CliRun run(std::vector<std::string> arguments, const std::string& input = {})
    {
        return test::runInProcess(dir.path(), std::move(arguments), input);
    }
};

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
}

TEST_F(TransferCommandsTest, HarvestRefusesAMissingFile)
{
    const auto result = run({"harvest", (dir / "absent.txt").string()});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "warning: Please select a valid file to import first.\n");
}

} // namespace
} // namespace tidecast::cli
