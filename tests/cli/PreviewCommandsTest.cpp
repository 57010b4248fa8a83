#include "cli/CliRunner.h"
#include "common/Text.h"
#include "messages/MessageDocument.h"
#include "support/ParsedMail.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

namespace tidecast::cli
{
namespace
{

using test::CliRun;

class PreviewCommandsTest : public test::CliTest
{
protected:
    PreviewCommandsTest()
    {
        EXPECT_EQ(
            run({"groups", "add", "Club", "--sender-name", "Ann Club", "--sender-email", "ann@club.example"}).status,
            0);
        EXPECT_EQ(run({"recipients", "add", "Club", "--email", "bob@example.test", "--first", "Bob"}).status, 0);
        EXPECT_EQ(run({"recipients", "add", "Club", "--email", "cy@example.test", "--first", "Cy", "--last", "Dee",
                       "--city", "Leeds"})
                      .status,
                  0);
        messages::MessageDocument document;
        document.group = "Club";
        document.subject = "News for !*FIRST_NAME*!";
        document.body = "Hello !*FIRST_NAME*! in !*CITY*!.";
        document.priority = messages::kHighPriority;
        writeWholeFile(dir / "news.tcx", messages::buildMessageDocument(document, messages::DocumentKind::Saved,
                                                                        std::chrono::system_clock::now()));
        document.subject = "News";
        document.body = "Hello all.";
        writeWholeFile(dir / "plain.tcx", messages::buildMessageDocument(document, messages::DocumentKind::Saved,
                                                                         std::chrono::system_clock::now()));
        EXPECT_EQ(run({"settings", "set", "Server Setup", "SMTP Server", "127.0.0.1"}).status, 0);
    }
};

TEST_F(PreviewCommandsTest, PrintsThePersonalMessageOfTheChosenRecipient)
{
    const CliRun result = run({"preview", "--message", (dir / "news.tcx").string(), "--recipient", "2"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const auto mail = tidecast::test::ParsedMail::parse(result.out);
    EXPECT_EQ(mail["defects"], "");
    EXPECT_EQ(mail["from.display"], "Ann Club");
    EXPECT_EQ(mail["from.address"], "ann@club.example");
    EXPECT_EQ(mail["to.display"], "Cy Dee");
    EXPECT_EQ(mail["to.address"], "cy@example.test");
    EXPECT_EQ(mail["header.Subject"], "News for Cy");
    EXPECT_EQ(mail["header.X-Priority"], "1 (Highest)");
    EXPECT_EQ(mail["p.type"], "text/plain");
    // The document's body gains the file's final line break when it is read back.
    EXPECT_EQ(mail.body("p"), "Hello Cy in Leeds.\r\n");
}

TEST_F(PreviewCommandsTest, PrintsTheBulkMessageIntoAFile)
{
    const auto out = dir / "bulk.eml";
    const CliRun result = run({"preview", "--message", (dir / "plain.tcx").string(), "--bulk", "--to", "Club members",
                               "--out", out.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    const auto mail = tidecast::test::ParsedMail::parse(readWholeFile(out));
    EXPECT_EQ(mail["to.display"], "Club members");
    EXPECT_EQ(mail["to.address"], "ann@club.example");
    EXPECT_EQ(mail["header.Subject"], "News");
}

// The preview goes through the send options as the mailing does, so it shows what is sent.
TEST_F(PreviewCommandsTest, ShowsWhatTheMailingSends)
{
    const std::string plain = (dir / "plain.tcx").string();
    // An empty To text is the group's name, as the send options make it.
    CliRun result = run({"preview", "--message", plain, "--bulk", "--to", ""});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(tidecast::test::ParsedMail::parse(result.out)["to.display"], "Club");

    // A message with macros is not sent in bulk, so it is not previewed so either.
    result = run({"preview", "--message", (dir / "news.tcx").string(), "--bulk"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "warning: This message cannot be sent in bulk because it contains\n"
                          "warning:  personalized information for each recipient.\n");
}

TEST_F(PreviewCommandsTest, RefusesWhatItCannotBuild)
{
    const std::string message = (dir / "news.tcx").string();
    CliRun result = run({"preview", "--message", message, "--recipient", "3"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "error: The group has no recipient number 3.\n");

    result = run({"preview", "--message", (dir / "none.tcx").string()});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "error: The message file \"" + (dir / "none.tcx").string() + "\" does not exist.\n");

    result = run({"preview", "--message", message, "--custom-attachments", "2,5"});
    EXPECT_EQ(result.status, 1);

    EXPECT_EQ(run({"settings", "set", "Message Setup", "Character Set", "iso-8859-1"}).status, 0);
    EXPECT_EQ(run({"recipients", "add", "Club", "--email", "eu@example.test", "--first", "\xE2\x82\xAC"}).status, 0);
    result = run({"preview", "--message", message, "--recipient", "3"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("U+20AC"), std::string::npos) << result.err;

    // The character set comes from the settings file as it stands, though the welcome never ran.
    EXPECT_EQ(run({"settings", "set", "Message Setup", "Character Set", "utf-8"}).status, 0);
    result = run({"preview", "--message", message, "--recipient", "3"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto mail = tidecast::test::ParsedMail::parse(result.out);
    EXPECT_EQ(mail["p.charset"], "utf-8");
    EXPECT_EQ(mail["header.Subject"], "News for \xE2\x82\xAC");
}

} // namespace
} // namespace tidecast::cli
