#include "mailing/SmtpSendChannel.h"

#include "common/Clock.h"
#include "mailing/SendSession.h"
#include "support/ScriptedPrompter.h"
#include "support/SendTestSupport.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace tidecast;
using namespace tidecast::mailing;
using ::testing::HasSubstr;

namespace
{

class LetterSource final : public MessageSource
{
public:
    Result<std::string> build(const store::RecipientRecord& recipient) override
    {
        return "To: " + recipient.emailAddress() + "\r\nSubject: hello\r\n\r\n.Dear reader\r\n";
    }
};

class ActivityMonitor final : public SendMonitor
{
public:
    void activity(std::string_view line) override { lines.emplace_back(line); }
    void counters(const SendCounters&) override {}
    void modeLabel(std::string_view) override {}
    void partialLabel(std::string_view) override {}
    std::vector<std::string> lines;
};

// A whole mailing through the session and our clients to aiosmtpd.
struct Mailing
{
    Mailing(std::uint16_t port, bool bulk, int groupLetSize)
    {
        settings.smtpServer = "127.0.0.1";
        settings.smtpPort = port;
        settings.timeout = 5;
        settings.domain = "client.test";
        settings.security = "auto";
        options.dataDir = data.path();
        options.settingsFile = data / "ej.dat";
        options.groupName = "Friends";
        options.senderAddress = "me@example.test";
        options.bulkMode = bulk;
        options.groupLetSize = groupLetSize;
        options.optionsConfirmed = true;
    }

    bool run()
    {
        SmtpSendChannel channel(settings, {options.bulkMode, false, true, options.settingsFile}, monitor,
                                logs.session(), progress, prompter);
        SendSession session(options, channel, letters, logs, prompter, progress, monitor, clock);
        const bool completed = session.run();
        logs.close();
        return completed;
    }

    std::vector<std::string> log(std::string_view name) const { return test::logLines(data.path(), name); }

    tidecast::test::TempDir data;
    settings::Settings settings;
    SessionOptions options;
    LetterSource letters;
    SendLogs logs;
    ScriptedPrompter prompter;
    NullProgress progress;
    ActivityMonitor monitor;
    SystemClock clock;
};

int countOf(const std::vector<std::string>& lines, const std::string& line)
{
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

} // namespace

TEST(SmtpSendChannel, PersonalMailingReconnectsAfterEachGroupLetAndSkipsTheRefused)
{
    tidecast::test::TempDir spool;
    auto server = tidecast::test::ServerProcess::startReporting(
        {"/usr/bin/python3", tidecast::test::serverScript("smtp_server.py").string(), "--spool", spool.path().string(),
         "--pipelining", "--reject", "user3@example.test=550 5.1.1 unknown user"});
    ASSERT_TRUE(server);
    Mailing mailing(server->port(), false, 2);
    ASSERT_TRUE(test::makeGroup(mailing.data.path(), "Friends", test::numberedAddresses(5)));
    ASSERT_TRUE(mailing.run());

    EXPECT_EQ(mailing.log(kSentLogFile), (std::vector<std::string>{"user1@example.test", "user2@example.test",
                                                                   "user4@example.test", "user5@example.test"}));
    EXPECT_EQ(mailing.log(kRecipientErrorsLogFile), (std::vector<std::string>{"user3@example.test"}));
    const auto session = mailing.log(kSessionLogFile);
    EXPECT_EQ(countOf(session, "Connecting to 127.0.0.1"), 3);
    EXPECT_EQ(countOf(mailing.monitor.lines, "C> Connecting to 127.0.0.1"), 3);
    EXPECT_EQ(countOf(session, "Message sent"), 4);
    EXPECT_EQ(countOf(session, "S> 550 5.1.1 unknown user"), 1);
    EXPECT_EQ(session.back(), "Send Completed");
    for (int n : {1, 2, 3, 4}) {
        EXPECT_THAT(readWholeFile(spool / (std::to_string(n) + ".eml")), HasSubstr("\r\n.Dear reader\r\n"));
    }
    EXPECT_THAT(readWholeFile(spool / "3.json"), HasSubstr("\"rcpt_tos\": [\"user4@example.test\"]"));
}

TEST(SmtpSendChannel, BulkMailingLeavesFlaggedRecipientsOutOfTheMessage)
{
    tidecast::test::TempDir spool;
    auto server = tidecast::test::ServerProcess::startReporting(
        {"/usr/bin/python3", tidecast::test::serverScript("smtp_server.py").string(), "--spool", spool.path().string(),
         "--reject", "user2@example.test=550 5.1.1 unknown user"});
    ASSERT_TRUE(server);
    Mailing mailing(server->port(), true, 25);
    ASSERT_TRUE(test::makeGroup(mailing.data.path(), "Friends", test::numberedAddresses(3)));
    ASSERT_TRUE(mailing.run());

    EXPECT_EQ(mailing.log(kSentLogFile), (std::vector<std::string>{"user1@example.test", "user3@example.test"}));
    EXPECT_EQ(mailing.log(kRecipientErrorsLogFile), (std::vector<std::string>{"user2@example.test"}));
    EXPECT_EQ(countOf(mailing.log(kSessionLogFile), "CS> Invalid Recipient Email Address"), 1);
    EXPECT_THAT(readWholeFile(spool / "1.json"),
                HasSubstr("\"rcpt_tos\": [\"user1@example.test\", \"user3@example.test\"]"));
}
