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
#include <functional>
#include <map>
#include <utility>

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

// A mailing of the group "Friends" to the relays of these settings.
MailingSetup mailingSetup(const std::filesystem::path& dataDir, bool bulk, int connections)
{
    MailingSetup setup;
    setup.settings.timeout = 5;
    setup.settings.security = "none";
    setup.settings.connections = connections;
    setup.options.groupName = "Friends";
    setup.options.senderAddress = "me@example.test";
    setup.options.bulkMode = bulk;
    setup.options.bulkToText = "Friends";
    setup.options.bulkGroupSize = 10;
    setup.options.optionsConfirmed = true;
    setup.message.subject = "News";
    setup.message.body = "Hello.\r\n";
    setup.dataDir = dataDir;
    setup.settingsFile = dataDir / "ej.dat";
    return setup;
}

// Runs the mailing on a fixed clock whose waits pass at once; true when it completed.
bool runOnFixedClock(const MailingSetup& setup, Prompter& prompter, SendMonitor& monitor)
{
    NullProgress progress;
    FixedClock clock{std::chrono::sys_days{std::chrono::year{2026} / 3 / 14}};
    FixedClockSleeper sleeper(clock);
    Mailing mailing(setup, prompter, progress, monitor, clock);
    mailing.setSleeper(sleeper);
    return mailing.run();
}

// What the servers took is the sent log, line for line, nobody twice.
void expectSentLogIsWhatTheServersTook(const std::vector<std::string>& sent, std::vector<std::string> taken)
{
    auto sentSorted = sent;
    std::sort(taken.begin(), taken.end());
    std::sort(sentSorted.begin(), sentSorted.end());
    EXPECT_EQ(taken, sentSorted);
    EXPECT_EQ(std::adjacent_find(sentSorted.begin(), sentSorted.end()), sentSorted.end());
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
        int connections = 1;
        int recipients = 60;
        int attempts = 3; // with many connections a retry meets another busy one more often
    };
    const Case cases[] = {
        {"personal, busy and greylisting", false, {"--busy-every", "3", "--greylist-every", "7"}, 0},
        {"bulk, busy and greylisting", true, {"--busy-every", "3", "--greylist-every", "7"}, 0},
        {"personal, no reply after the 5th message", false, {"--drop-after-dot", "5"}, 1},
        {"bulk, no reply after the 2nd message", true, {"--drop-after-dot", "2"}, 10},
        {"4 connections, personal, busy and greylisting",
         false,
         {"--busy-every", "3", "--greylist-every", "7"},
         0,
         4,
         600,
         8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto addresses = test::numberedAddresses(c.recipients);
        tidecast::test::TempDir dir;
        ASSERT_TRUE(test::makeGroup(dir.path(), "Friends", addresses));
        const auto record = dir / "accepted.txt";
        test::FaultServer server(record, c.faults);
        ASSERT_GT(server.port(), 0) << "the fault-injecting SMTP server did not start";

        auto setup = mailingSetup(dir.path(), c.bulk, c.connections);
        setup.settings.retryAttempts = c.attempts;
        setup.settings.smtpServer = "127.0.0.1";
        setup.settings.smtpPort = server.port();

        ScriptedPrompter prompter;
        NullSendMonitor monitor;
        EXPECT_TRUE(runOnFixedClock(setup, prompter, monitor));

        const auto sent = logLines(dir.path(), kSentLogFile);
        const auto errors = logLines(dir.path(), kRecipientErrorsLogFile);
        const auto session = logLines(dir.path(), kSessionLogFile);
        expectSentLogIsWhatTheServersTook(sent, splitLines(readWholeFile(record)));
        EXPECT_EQ(sent.size() + errors.size(), static_cast<std::size_t>(c.recipients));
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

// Calls back once when the session has come to a recipient.
class PositionMonitor final : public SendMonitor
{
public:
    PositionMonitor(std::int64_t at, std::function<void()> reached)
        : m_at(at)
        , m_reached(std::move(reached))
    {}
    void activity(std::string_view) override {}
    void counters(const SendCounters& counters) override
    {
        if (m_reached && counters.position >= m_at) {
            std::exchange(m_reached, {})();
        }
    }
    void modeLabel(std::string_view) override {}
    void partialLabel(std::string_view) override {}

private:
    std::int64_t m_at;
    std::function<void()> m_reached;
};

// Four connections over two relays; one relay dies part-way and the other carries on alone.
TEST(MailingRetryTest, ARelayThatDiesLeavesItsShareToTheOther)
{
    constexpr int kRecipients = 2000;
    tidecast::test::TempDir dir;
    const auto addresses = test::numberedAddresses(kRecipients);
    ASSERT_TRUE(test::makeGroup(dir.path(), "Friends", addresses));
    const auto recordA = dir / "a.txt";
    const auto recordB = dir / "b.txt";
    test::FaultServer relayA(recordA, {});
    test::FaultServer relayB(recordB, {});
    ASSERT_GT(relayA.port(), 0);
    ASSERT_GT(relayB.port(), 0);

    auto setup = mailingSetup(dir.path(), false, 4);
    setup.settings.smtpServer = "127.0.0.1:" + std::to_string(relayA.port());
    setup.settings.extraServers = "127.0.0.1:" + std::to_string(relayB.port());

    ScriptedPrompter prompter;
    PositionMonitor monitor(kRecipients / 3, [&relayB] { relayB.stop(); });
    EXPECT_TRUE(runOnFixedClock(setup, prompter, monitor));

    const auto sent = logLines(dir.path(), kSentLogFile);
    const auto errors = logLines(dir.path(), kRecipientErrorsLogFile);
    const auto takenByA = splitLines(readWholeFile(recordA));
    const auto takenByB = splitLines(readWholeFile(recordB));
    EXPECT_GT(takenByA.size(), takenByB.size());
    EXPECT_GT(takenByB.size(), 0u);
    // What the relays took is the sent log, nobody twice; only a message whose reply was lost
    // with its relay is not sent again.
    auto taken = takenByA;
    taken.insert(taken.end(), takenByB.begin(), takenByB.end());
    expectSentLogIsWhatTheServersTook(sent, taken);
    EXPECT_EQ(sent.size() + errors.size(), static_cast<std::size_t>(kRecipients));
    EXPECT_LE(errors.size(), 2u);
    for (const auto& line : errors) {
        EXPECT_THAT(line, ::testing::EndsWith(text::kOutcomeUnknown));
    }
    EXPECT_TRUE(prompter.log().empty());
}

} // namespace
} // namespace tidecast::mailing
