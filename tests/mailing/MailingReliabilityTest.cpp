#include "mailing/Mailing.h"
#include "support/FaultServer.h"
#include "support/ScriptedPrompter.h"
#include "support/SendTestSupport.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

namespace tidecast::mailing
{
namespace
{

using test::logLines;

class CountingMonitor final : public SendMonitor
{
public:
    void activity(std::string_view) override {}
    void counters(const SendCounters& c) override { last = c; }
    void modeLabel(std::string_view) override {}
    void partialLabel(std::string_view) override {}
    SendCounters last;
};

std::map<std::string, int> countLines(const std::vector<std::string>& lines)
{
    std::map<std::string, int> counts;
    for (const auto& line : lines) {
        ++counts[line];
    }
    return counts;
}

enum class Kind
{
    Personal,
    Bulk,
    SignedPersonal, // built and signed ahead on worker threads, mailed over three connections
};

// A mailing of 1,000 recipients through a server that refuses some of them, drops the
// connection at random points and sometimes stops answering for longer than the time-out.
class MailingReliabilityTest : public ::testing::TestWithParam<Kind>
{};

TEST_P(MailingReliabilityTest, EveryRecipientEndsInExactlyOneLog)
{
    const bool bulk = GetParam() == Kind::Bulk;
    tidecast::test::TempDir dir;
    constexpr int kRecipients = 1000;
    const auto addresses = test::numberedAddresses(kRecipients);

    // Every 50th recipient was added long ago (date filter), every 40th is on the exclusion list,
    // every 33rd in the block file.
    {
        store::RecipientStore group;
        store::defineRecipientLayout(group);
        ASSERT_EQ(group.createFile(dir / "Friends.gdb"), 0);
        ASSERT_TRUE(group.open(dir / "Friends.gdb"));
        ASSERT_TRUE(group.beginTransaction());
        for (int i = 0; i < kRecipients; ++i) {
            store::RecipientRecord record;
            record.set(store::RecipientField::EmailAddress, addresses[i]);
            record.set(store::RecipientField::FirstName, "Ann");
            record.dateAdded = (i + 1) % 50 == 0 ? "2020-01-01" : "2026-01-10";
            ASSERT_TRUE(group.addNew());
            store::writeRecipient(group, record);
        }
        ASSERT_TRUE(group.close());
    }
    std::vector<std::pair<std::string, std::string>> exclusions;
    std::string block;
    for (int i = 0; i < kRecipients; ++i) {
        if ((i + 1) % 40 == 0) {
            exclusions.emplace_back(addresses[i], "All Groups");
        }
        if ((i + 1) % 33 == 0) {
            block += toUpperAscii(addresses[i]) + "\r\n";
        }
    }
    ASSERT_TRUE(test::makeExclusionList(dir.path(), exclusions));
    ASSERT_TRUE(writeWholeFile(dir / "block.log", block));

    const auto record = dir / "accepted.txt";
    test::FaultServer server(record,
                             {"--seed", bulk ? "11" : "7", "--reject550", "0.02", "--reject451", "0.02", "--drop",
                              "0.004", "--stall", "0.01", "--max-stalls", "2", "--stall-seconds", "1.5"});
    ASSERT_GT(server.port(), 0) << "the fault-injecting SMTP server did not start";

    MailingSetup setup;
    if (GetParam() == Kind::SignedPersonal) {
        const auto key = dir / "dkim.pem";
        ASSERT_EQ(std::system(("openssl genpkey -algorithm ED25519 -out '" + key.string() + "' 2>/dev/null").c_str()),
                  0);
        setup.settings.dkimDomain = "example.test";
        setup.settings.dkimSelector = "test";
        setup.settings.dkimKeyFile = key.string();
        setup.settings.connections = 3;
    }
    setup.settings.smtpServer = "127.0.0.1";
    setup.settings.smtpPort = server.port();
    setup.settings.timeout = 1;
    setup.settings.security = "none";
    setup.settings.retryAttempts = 1; // every refusal and loss shows in the logs
    setup.options.groupName = "Friends";
    setup.options.senderAddress = "me@example.test";
    setup.options.senderName = "Me";
    setup.options.bulkMode = bulk;
    setup.options.bulkToText = "Friends";
    setup.options.bulkGroupSize = 25;
    setup.options.optionsConfirmed = true;
    setup.options.blockFileOn = true;
    setup.options.blockFilePath = (dir / "block.log").string();
    setup.options.afterDateOn = true;
    setup.options.afterDate = std::chrono::year{2025} / 1 / 1;
    setup.message.subject = "News";
    setup.message.body = "Hello,\r\nthe news of the week.\r\n";
    setup.dataDir = dir.path();
    setup.settingsFile = dir / "ej.dat";

    ScriptedPrompter prompter;
    NullProgress progress;
    CountingMonitor monitor;
    SystemClock clock;
    Mailing mailing(setup, prompter, progress, monitor, clock);
    EXPECT_TRUE(mailing.run());
    EXPECT_EQ(mailing.result(), SendResult::Completed);

    const auto sent = logLines(dir.path(), kSentLogFile);
    const auto errors = logLines(dir.path(), kRecipientErrorsLogFile);
    const auto excluded = logLines(dir.path(), kExclusionLogFile);
    const auto filtered = logLines(dir.path(), kFiltersLogFile);

    // Every recipient is in exactly one log, once.
    std::map<std::string, int> seen;
    for (const auto* log : {&sent, &errors, &excluded, &filtered}) {
        for (auto line : *log) {
            line = line.substr(0, line.find(" - "));
            ++seen[toLowerAscii(line)];
        }
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kRecipients));
    for (const auto& address : addresses) {
        EXPECT_EQ(seen[address], 1) << address;
    }

    // What the server accepted is exactly the sent log, nobody twice.
    const auto accepted = countLines(splitLines(readWholeFile(record)));
    const auto sentCounts = countLines(sent);
    EXPECT_EQ(accepted, sentCounts);

    // The counters are the logs' line counts.
    const auto summary = mailing.summary();
    EXPECT_EQ(summary.counters.sent, static_cast<std::int64_t>(sent.size()));
    EXPECT_EQ(summary.counters.errors, static_cast<std::int64_t>(errors.size()));
    EXPECT_EQ(summary.counters.excluded, static_cast<std::int64_t>(excluded.size()));
    EXPECT_EQ(summary.counters.filtered, static_cast<std::int64_t>(filtered.size()));
    EXPECT_EQ(monitor.last.sent, summary.counters.sent);

    // The faults did happen: some refusals, and the mailing still reached most people.
    EXPECT_GT(errors.size(), 20u);
    EXPECT_GT(sent.size(), 700u);
    EXPECT_EQ(filtered.size(), 15u);
    // Connections were lost or timed out on the way ("CS> 27111".."CS> 27114").
    const auto session = readWholeFile(SendLogs::file(dir.path(), kSessionLogFile));
    int lost = 0;
    for (std::size_t at = session.find("CS> 2711"); at != std::string::npos; at = session.find("CS> 2711", at + 1)) {
        ++lost;
    }
    EXPECT_GT(lost, 0) << "no connection was lost or timed out"; // every 50th, less those every 40th already excluded
}

INSTANTIATE_TEST_SUITE_P(PersonalAndBulk, MailingReliabilityTest,
                         ::testing::Values(Kind::Personal, Kind::Bulk, Kind::SignedPersonal), [](const auto& param) {
                             switch (param.param) {
                             case Kind::Personal:
                                 return "Personal";
                             case Kind::Bulk:
                                 return "Bulk";
                             case Kind::SignedPersonal:
                                 break;
                             }
                             return "SignedPersonal";
                         });

} // namespace
} // namespace tidecast::mailing
