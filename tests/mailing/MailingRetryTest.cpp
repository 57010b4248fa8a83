#include "mailing/Mailing.h"
#include "mailing/SendTexts.h"
#include "support/FaultServer.h"
#include "support/FixedClockSleeper.h"
#include "support/ScriptedPrompter.h"
#include "support/SendTestSupport.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace tidecast::mailing
{
namespace
{

using test::logLines;

std::size_t countContaining(const std::vector<std::string>& lines, std::string_view part)
{
    return static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(), [part](const auto& line) { return line.find(part) != line.npos; }));
}

// Mailings through a real server that is busy on every third connection ("421" to MAIL, then it
// closes), greylists some addresses ("451" the first time) or gives no reply after a final dot.
TEST(MailingRetryTest, TransientRefusalsAreDeliveredAndALostReplyIsNotSentAgain)
{
    struct Case
    {
        const char* name;
        bool bulk;
        std::vector<std::string> faults;
        std::size_t unknown; // recipients whose outcome is unknown
    };
    const Case cases[] = {
        {"personal, busy and greylisting", false, {"--busy-every", "3", "--greylist-every", "7"}, 0},
        {"bulk, busy and greylisting", true, {"--busy-every", "3", "--greylist-every", "7"}, 0},
        {"personal, no reply after the 5th message", false, {"--drop-after-dot", "5"}, 1},
        {"bulk, no reply after the 2nd message", true, {"--drop-after-dot", "2"}, 10},
    };
    constexpr int kRecipients = 60;
    const auto addresses = test::numberedAddresses(kRecipients);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tidecast::test::TempDir dir;
        ASSERT_TRUE(test::makeGroup(dir.path(), "Friends", addresses));
        const auto record = dir / "accepted.txt";
        test::FaultServer server(record, c.faults);
        ASSERT_GT(server.port(), 0) << "the fault-injecting SMTP server did not start";

        MailingSetup setup;
        setup.settings.smtpServer = "127.0.0.1";
        setup.settings.smtpPort = server.port();
        setup.settings.timeout = 5;
        setup.settings.security = "none";
        setup.options.groupName = "Friends";
        setup.options.senderAddress = "me@example.test";
        setup.options.bulkMode = c.bulk;
        setup.options.bulkToText = "Friends";
        setup.options.bulkGroupSize = 10;
        setup.options.optionsConfirmed = true;
        setup.message.subject = "News";
        setup.message.body = "Hello.\r\n";
        setup.dataDir = dir.path();
        setup.settingsFile = dir / "ej.dat";

        ScriptedPrompter prompter;
        NullProgress progress;
        NullSendMonitor monitor;
        FixedClock clock{std::chrono::sys_days{std::chrono::year{2026} / 3 / 14}};
        FixedClockSleeper sleeper(clock);
        Mailing mailing(setup, prompter, progress, monitor, clock);
        mailing.setSleeper(sleeper);
        EXPECT_TRUE(mailing.run());

        const auto sent = logLines(dir.path(), kSentLogFile);
        const auto errors = logLines(dir.path(), kRecipientErrorsLogFile);
        const auto session = logLines(dir.path(), kSessionLogFile);
        // What the server took is the sent log, line for line, nobody twice.
        auto accepted = splitLines(readWholeFile(record));
        auto sentSorted = sent;
        std::sort(accepted.begin(), accepted.end());
        std::sort(sentSorted.begin(), sentSorted.end());
        EXPECT_EQ(accepted, sentSorted);
        EXPECT_EQ(std::adjacent_find(sentSorted.begin(), sentSorted.end()), sentSorted.end());
        EXPECT_EQ(sent.size() + errors.size(), static_cast<std::size_t>(kRecipients));
        EXPECT_EQ(errors.size(), c.unknown);
        for (const auto& line : errors) {
            EXPECT_THAT(line, ::testing::EndsWith(text::kOutcomeUnknown));
            // Never offered to the server again.
            const auto address = line.substr(0, line.find(' '));
            EXPECT_EQ(countContaining(session, "RCPT TO: <" + address + ">"), 1u) << address;
        }
        if (c.unknown == 0) {
            EXPECT_GT(countContaining(session, "Retrying "), 0u);
            EXPECT_GT(countContaining(session, "421 too busy"), 0u);
            EXPECT_GT(countContaining(session, ": 451 "), 0u);
        }
    }
}

} // namespace
} // namespace tidecast::mailing
