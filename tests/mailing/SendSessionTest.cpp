#include "mailing/SendSession.h"

#include "common/Text.h"
#include "mailing/SendTexts.h"
#include "settings/SettingsStore.h"
#include "support/FixedClock.h"
#include "support/FixedClockSleeper.h"
#include "support/ScriptedPrompter.h"
#include "support/SendTestSupport.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <deque>
#include <latch>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <unistd.h>

namespace tidecast::mailing
{
namespace
{

using test::logLines;
using test::makeGroup;
using test::numberedAddresses;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

// Plays the mail server: records every connection and every message with its recipients.
class FakeChannel final : public SendChannel
{
public:
    bool connect() override
    {
        ++connectAttempts;
        bool ok = true;
        if (!connectResults.empty()) {
            ok = connectResults.front();
            connectResults.pop_front();
        }
        connected = ok;
        if (ok) {
            messagesPerConnection.push_back(0);
        }
        return ok;
    }
    bool isConnected() const override { return connected; }
    bool startTransaction(std::string_view) override
    {
        pending.clear();
        return connected;
    }
    RecipientReply addRecipient(std::string_view address) override
    {
        if (onRecipient) {
            onRecipient(std::string(address));
        }
        if (!connected) {
            lastCode = 0;
            return {0, "", false};
        }
        if (auto it = recipientScript.find(std::string(address)); it != recipientScript.end() && !it->second.empty()) {
            lastCode = it->second.front();
            it->second.pop_front();
            return {lastCode, "try later", false};
        }
        if (const auto it = rejections.find(std::string(address)); it != rejections.end()) {
            lastCode = it->second;
            return {it->second, "no such user", false};
        }
        pending.emplace_back(address);
        lastCode = 250;
        return {250, "OK", false};
    }
    TransmitOutcome transmit(const ByteChain& message, std::string_view) override
    {
        EXPECT_EQ(message.toString(), "message");
        EXPECT_TRUE(transmitting);
        if (!connected || pending.empty()) {
            return TransmitOutcome::Failed;
        }
        if (failMessagesFor.contains(pending.front())) {
            pending.clear();
            return TransmitOutcome::Failed;
        }
        if (auto it = transmitScript.find(pending.front()); it != transmitScript.end() && !it->second.empty()) {
            const auto outcome = it->second.front();
            it->second.pop_front();
            lastCode = outcome == TransmitOutcome::Deferred ? 451 : 0;
            connected = outcome != TransmitOutcome::Interrupted;
            pending.clear();
            return outcome;
        }
        if (dropAfter.contains(pending.back())) {
            connected = false;
            pending.clear();
            return TransmitOutcome::Interrupted;
        }
        messages.push_back(pending);
        ++messagesPerConnection.back();
        pending.clear();
        return TransmitOutcome::Sent;
    }
    void abortTransaction() override { pending.clear(); }
    void disconnect(DisconnectReason reason) override
    {
        disconnects.push_back(reason);
        connected = false;
    }
    void setTransmitting(bool on) override { transmitting = on; }
    void requestStop() override { ++stopRequests; }
    std::string host() const override { return "mail.example.test"; }
    int lastReplyCode() const override { return lastCode; }

    std::set<std::string> delivered() const
    {
        std::set<std::string> all;
        for (const auto& message : messages) {
            all.insert(message.begin(), message.end());
        }
        return all;
    }

    std::deque<bool> connectResults;
    std::map<std::string, int> rejections;
    std::set<std::string> failMessagesFor; // the first recipient of a message that fails
    std::set<std::string> dropAfter;       // the connection breaks while this recipient's message ends
    std::function<void(const std::string&)> onRecipient;
    std::map<std::string, std::deque<int>> recipientScript;            // replies to the first tries, then accepted
    std::map<std::string, std::deque<TransmitOutcome>> transmitScript; // by the message's first recipient
    int lastCode = 0;

    bool connected = false;
    bool transmitting = false;
    int connectAttempts = 0;
    int stopRequests = 0;
    std::vector<std::string> pending;
    std::vector<std::vector<std::string>> messages;
    std::vector<int> messagesPerConnection;
    std::vector<DisconnectReason> disconnects;
};

class FixedMessage final : public MessageSource
{
public:
    Result<ByteChain> build(const store::RecipientRecord& recipient) override
    {
        built.push_back(recipient.emailAddress());
        return ByteChain("message");
    }
    void reached(std::int64_t number) override { reachedNumbers.push_back(number); }
    std::vector<std::string> built;
    std::vector<std::int64_t> reachedNumbers;
};

class RecordingMonitor final : public SendMonitor
{
public:
    void activity(std::string_view line) override { lines.emplace_back(line); }
    void counters(const SendCounters& c) override { last = c; }
    void modeLabel(std::string_view text) override { mode = text; }
    void partialLabel(std::string_view text) override { partial = text; }
    std::vector<std::string> lines;
    SendCounters last;
    std::string mode;
    std::string partial;
};

class SendSessionTest : public ::testing::Test
{
protected:
    SessionOptions options(bool bulk = false)
    {
        SessionOptions o;
        o.dataDir = dir.path();
        o.settingsFile = dir / "ej.dat";
        o.groupName = "Friends";
        o.senderAddress = "me@example.test";
        o.bulkMode = bulk;
        o.bulkGroupSize = 25;
        o.optionsConfirmed = true;
        return o;
    }

    bool run(const SessionOptions& o, std::stop_token stop = {})
    {
        session.emplace(o, channel, message, logs, prompter, progress, monitor, clock);
        session->setSleeper(sleeper);
        return session->run(stop);
    }

    std::vector<std::string> log(std::string_view name) const { return logLines(dir.path(), name); }
    std::string tech(std::string_view key) const { return settings::readValue(dir / "ej.dat", kTechSection, key, ""); }

    tidecast::test::TempDir dir;
    FakeChannel channel;
    FixedMessage message;
    SendLogs logs;
    ScriptedPrompter prompter;
    NullProgress progress;
    RecordingMonitor monitor;
    FixedClock clock{std::chrono::sys_days{std::chrono::year{2026} / 3 / 14} + std::chrono::hours{12}};
    FixedClockSleeper sleeper{clock};
    std::optional<SendSession> session;
};

TEST_F(SendSessionTest, PersonalModeReconnectsAfterEveryGroupLet)
{
    const auto addresses = numberedAddresses(60);
    ASSERT_TRUE(makeGroup(dir.path(), "Friends", addresses));

    EXPECT_TRUE(run(options()));

    EXPECT_EQ(session->result(), SendResult::Completed);
    EXPECT_THAT(channel.messagesPerConnection, ElementsAre(25, 25, 10));
    EXPECT_EQ(log(kSentLogFile), addresses);
    EXPECT_EQ(message.built, addresses);
    EXPECT_EQ(session->counters().sent, 60);
    EXPECT_EQ(monitor.last.sent, 60);
    EXPECT_EQ(monitor.mode, text::kPersonalModeLabel);
    EXPECT_EQ(log(kSessionLogFile).back(), text::kSendCompleted);
    EXPECT_THAT(channel.disconnects,
                ElementsAre(DisconnectReason::Normal, DisconnectReason::Normal, DisconnectReason::EndOfSession));
    EXPECT_EQ(tech("Action"), "Success");
    EXPECT_EQ(tech("scount"), "60");
    EXPECT_EQ(tech("pcount"), "60");
    EXPECT_EQ(tech("lBULK"), "False");
    EXPECT_EQ(tech("mcount"), "1");
    EXPECT_EQ(tech("Date"), "2026-03-14");
    EXPECT_TRUE(prompter.log().empty());

    // A second session adds to the statistics and its logs replace the first one's.
    ASSERT_TRUE(makeGroup(dir.path(), "Friends", numberedAddresses(3, "other")));
    EXPECT_TRUE(run(options()));
    EXPECT_EQ(log(kSentLogFile), numberedAddresses(3, "other"));
    EXPECT_EQ(tech("scount"), "63");
    EXPECT_EQ(tech("lscount"), "3");
    EXPECT_EQ(tech("mcount"), "2");
}

TEST_F(SendSessionTest, BulkModeSendsOneMessagePerGroupLet)
{
    auto addresses = numberedAddresses(62);
    ASSERT_TRUE(makeGroup(dir.path(), "Friends", addresses));
    channel.rejections = {{addresses[4], 550}, {addresses[40], 451}};

    EXPECT_TRUE(run(options(true)));

    ASSERT_EQ(channel.messages.size(), 3u);
    EXPECT_EQ(channel.messages[0].size(), 25u);
    EXPECT_EQ(channel.messages[1].size(), 25u);
    EXPECT_EQ(channel.messages[2].size(), 10u);
    EXPECT_EQ(monitor.mode, text::kBulkModeLabel);
    EXPECT_THAT(log(kRecipientErrorsLogFile), ElementsAre(addresses[4], addresses[40]));
    auto accepted = addresses;
    accepted.erase(accepted.begin() + 40);
    accepted.erase(accepted.begin() + 4);
    EXPECT_EQ(log(kSentLogFile), accepted);
    EXPECT_EQ(session->counters().sent, 60);
    EXPECT_EQ(session->counters().errors, 2);
    EXPECT_EQ(tech("bcount"), "60");
    EXPECT_EQ(tech("ecount"), "2");
    EXPECT_EQ(tech("lBULK"), "True");
    // Bulk messages are built once for everybody, never for a recipient.
    EXPECT_EQ(message.built, std::vector<std::string>(3, ""));
}

TEST_F(SendSessionTest, FailedBulkMessageCountsEveryRecipientAsError)
{
    const auto addresses = numberedAddresses(30);
    ASSERT_TRUE(makeGroup(dir.path(), "Friends", addresses));
    channel.failMessagesFor = {addresses[0]};
    auto o = options(true);
    o.bulkGroupSize = 10;

    EXPECT_TRUE(run(o));

    const std::vector<std::string> firstTen(addresses.begin(), addresses.begin() + 10);
    const std::vector<std::string> rest(addresses.begin() + 10, addresses.end());
    EXPECT_EQ(log(kRecipientErrorsLogFile), firstTen);
    EXPECT_EQ(log(kSentLogFile), rest);
    EXPECT_EQ(session->counters().errors, 10);
    EXPECT_EQ(session->counters().sent, 20);
}

TEST_F(SendSessionTest, PartialWindowMailsOnlyItsRecipients)
{
    const auto addresses = numberedAddresses(10);
    ASSERT_TRUE(makeGroup(dir.path(), "Friends", addresses));
    auto o = options();
    o.partialSend = true;
    o.partialStart = 3;
    o.partialEnd = 5;

    EXPECT_TRUE(run(o));

    EXPECT_THAT(log(kSentLogFile), ElementsAre(addresses[2], addresses[3], addresses[4]));
    EXPECT_EQ(monitor.partial, text::kPartialLabel);
    const auto sessionLog = log(kSessionLogFile);
    EXPECT_THAT(sessionLog, ::testing::Contains("** Partial Send Started at Recipient # 3"));
    EXPECT_THAT(sessionLog, ::testing::Contains("** Partial Send Complete at Recipient # 5"));
    EXPECT_EQ(monitor.last.position, 5);
    // The source hears of each record of the window before its message is asked for.
    EXPECT_THAT(message.reachedNumbers, ElementsAre(3, 4, 5));
}

TEST_F(SendSessionTest, BlockExclusionAndFiltersSkipRecipientsInOrder)
{
    const std::vector<std::string> addresses = {"Blocked@Example.test",    "all@example.test", "mine@example.test",
                                                "theirs@example.test",     "old@example.test", "keep@example.test",
                                                "bothblocked@example.test"};
    ASSERT_TRUE(makeGroup(dir.path(), "Friends", {addresses[0], addresses[1], addresses[2], addresses[3]}));
    {
        // "old" was added before the date filter's day.
        store::RecipientStore group;
        ASSERT_TRUE(group.open(dir / "Friends.gdb"));
        for (const auto& [address, date] : std::vector<std::pair<std::string, std::string>>{
                 {addresses[4], "2025-12-31"}, {addresses[5], "2026-02-01"}, {addresses[6], "2026-02-01"}}) {
            ASSERT_TRUE(group.addNew());
            store::RecipientRecord record;
            record.set(store::RecipientField::EmailAddress, address);
            record.dateAdded = date;
            store::writeRecipient(group, record);
        }
        ASSERT_TRUE(group.close());
    }
    ASSERT_TRUE(test::makeExclusionList(dir.path(), {{"ALL@example.test", "All Groups"},
                                                     {"mine@example.test", "Friends"},
                                                     {"theirs@example.test", "Others"},
                                                     {"bothblocked@example.test", "Friends"}}));
    writeWholeFile(dir / "block.log", "BLOCKED@example.test\r\nnot an address\r\nbothblocked@EXAMPLE.test\r\n");
    auto o = options();
    o.blockFileOn = true;
    o.blockFilePath = (dir / "block.log").string();
    o.dateFilters.afterOn = true;
    o.dateFilters.after = std::chrono::year{2026} / 1 / 1;

    EXPECT_TRUE(run(o));

    EXPECT_THAT(log(kExclusionLogFile),
                ElementsAre("Blocked@Example.test - found in block file", "all@example.test", "mine@example.test",
                            "bothblocked@example.test - found in block file"));
    EXPECT_THAT(log(kFiltersLogFile), ElementsAre("old@example.test - Added On/After Date Filter"));
    EXPECT_THAT(log(kSentLogFile), ElementsAre("theirs@example.test", "keep@example.test"));
    EXPECT_EQ(session->counters().excluded, 4);
    EXPECT_EQ(session->counters().filtered, 1);
    // Skipped records are reached too, so a source preparing ahead stays in step.
    EXPECT_THAT(message.reachedNumbers, ElementsAre(1, 2, 3, 4, 5, 6, 7));
}

TEST_F(SendSessionTest, RefusedRecipientAsksUnlessOptionsConfirmed)
{
    const auto addresses = numberedAddresses(5);
    ASSERT_TRUE(makeGroup(dir.path(), "Friends", addresses));
    channel.rejections = {{addresses[1], 550}, {addresses[3], 451}};
    auto o = options();
    o.optionsConfirmed = false;
    o.retryAttempts = 1; // the 451 is asked about at once
    prompter.queue(Answer::Yes);
    prompter.queue(Answer::No);

    EXPECT_FALSE(run(o));

    EXPECT_EQ(session->result(), SendResult::StoppedAfterError);
    ASSERT_EQ(prompter.log().size(), 2u);
    EXPECT_EQ(prompter.log()[0].text, "mail.example.test reported the following error while trying to send this "
                                      "message\r\n\r\nExact Error:\r\n550 : no such user\r\n\r\nWould you like "
                                      "continue sending?");
    EXPECT_EQ(prompter.log()[0].icon, Icon::Exclamation);
    EXPECT_THAT(prompter.log()[1].text, HasSubstr("451 : no such user"));
    EXPECT_THAT(log(kSentLogFile), ElementsAre(addresses[0], addresses[2]));
    EXPECT_THAT(log(kRecipientErrorsLogFile), ElementsAre(addresses[1], addresses[3]));
    EXPECT_EQ(log(kSessionLogFile).back(), "Send Stopped by User after Error");
    EXPECT_EQ(tech("Action"), "Terminated After Error by User");
    EXPECT_EQ(tech("ecount"), "2");
}

TEST_F(SendSessionTest, LostConnectionReconnectsAndFailedReconnectionEndsWithError)
{
    const auto addresses = numberedAddresses(8);
    ASSERT_TRUE(makeGroup(dir.path(), "Friends", addresses));
    channel.dropAfter = {addresses[2]};

    EXPECT_TRUE(run(options()));
    EXPECT_EQ(channel.connectAttempts, 2);
    // Lost between the end of the message and the reply: it may have arrived, so it is not sent again.
    EXPECT_THAT(log(kRecipientErrorsLogFile), ElementsAre(addresses[2] + std::string(text::kOutcomeUnknown)));
    EXPECT_EQ(std::count(message.built.begin(), message.built.end(), addresses[2]), 1);
    EXPECT_EQ(session->counters().sent, 7);

    // The same, but the server is gone when the session comes back for it, on every try.
    channel = FakeChannel();
    channel.dropAfter = {addresses[2]};
    channel.connectResults = {true, false, false, false};
    EXPECT_FALSE(run(options()));
    EXPECT_EQ(channel.connectAttempts, 4);
    EXPECT_THAT(log(kSessionLogFile), ::testing::Contains("Connection failed (attempt 2 of 3) - trying again in 2 s"));
    EXPECT_EQ(session->result(), SendResult::EndedByError);
    EXPECT_EQ(log(kSentLogFile), std::vector<std::string>(addresses.begin(), addresses.begin() + 2));
    EXPECT_EQ(log(kSessionLogFile).back(), "Send Stopped by Error");
    EXPECT_EQ(tech("Action"), "Send Stopped by Error");

    // A bulk transaction lost with its connection: its recipients are errors when no tries are
    // left, not silently dropped.
    channel = FakeChannel();
    channel.onRecipient = [this, &addresses](const std::string& address) {
        if (address == addresses[3]) {
            channel.connected = false;
        }
    };
    auto once = options(true);
    once.retryAttempts = 1;
    EXPECT_TRUE(run(once));
    EXPECT_THAT(log(kRecipientErrorsLogFile),
                ::testing::UnorderedElementsAre(addresses[0], addresses[1], addresses[2], addresses[3]));
    EXPECT_EQ(log(kSentLogFile), std::vector<std::string>(addresses.begin() + 4, addresses.end()));
}

TEST_F(SendSessionTest, StopEndsAtTheNextRecipient)
{
    const auto addresses = numberedAddresses(10);
    ASSERT_TRUE(makeGroup(dir.path(), "Friends", addresses));
    std::stop_source stop;
    channel.onRecipient = [&stop, &addresses](const std::string& address) {
        if (address == addresses[3]) {
            stop.request_stop();
        }
    };

    EXPECT_FALSE(run(options(), stop.get_token()));

    EXPECT_EQ(session->result(), SendResult::StoppedByUser);
    EXPECT_EQ(channel.stopRequests, 1);
    EXPECT_EQ(log(kSentLogFile), std::vector<std::string>(addresses.begin(), addresses.begin() + 4));
    EXPECT_EQ(channel.disconnects.back(), DisconnectReason::UserStop);
    EXPECT_EQ(log(kSessionLogFile).back(), "Send Stopped by User");
    EXPECT_EQ(tech("Action"), "Stopped By User");
}

// Answers the Stop question only once the session holds, noting what had been mailed by then.
class AnswerWhenHolding final : public Prompter
{
public:
    AnswerWhenHolding(StopControl& control, Answer answer)
        : m_control(control)
        , m_answer(answer)
    {}
    void message(std::string_view, Icon) override {}
    Answer ask(std::string_view text, Buttons, Icon, Answer) override
    {
        question = text;
        asked = true;
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!m_control.isHolding() && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        sawHold = m_control.isHolding();
        if (sawHold && onHold) {
            onHold();
        }
        return m_answer;
    }
    std::string question;
    std::atomic<bool> asked = false;
    bool sawHold = false;
    std::function<void()> onHold;

private:
    StopControl& m_control;
    Answer m_answer;
};

TEST_F(SendSessionTest, StopQuestionHoldsTheMailingUntilAnswered)
{
    struct Case
    {
        const char* name;
        bool bulk;
        Answer answer;
        SendResult result;
        std::size_t sent;   // first n addresses in the sent log
        std::size_t errors; // the next n in the recipient errors log
        std::size_t atHold; // recipients offered when the session holds
    };
    const Case cases[] = {
        {"personal, Yes stops after the recipient in flight", false, Answer::Yes, SendResult::StoppedByUser, 4, 0, 4},
        {"personal, No goes on", false, Answer::No, SendResult::Completed, 10, 0, 4},
        // The message being assembled (its recipients are offered together) is not sent: its
        // recipients are errors, not lost.
        {"bulk, Yes stops before the message goes", true, Answer::Yes, SendResult::StoppedByUser, 0, 10, 10},
        {"bulk, No goes on", true, Answer::No, SendResult::Completed, 10, 0, 10},
    };
    const auto addresses = numberedAddresses(10);
    ASSERT_TRUE(makeGroup(dir.path(), "Friends", addresses));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        channel = FakeChannel();
        StopControl control;
        AnswerWhenHolding person(control, c.answer);
        std::size_t recipientsAtHold = 0;
        person.onHold = [&] { recipientsAtHold = channel.delivered().size() + channel.pending.size(); };
        std::thread asker;
        channel.onRecipient = [&](const std::string& address) {
            if (address == addresses[3]) {
                asker = std::thread([&] { control.ask(person); });
                // The question is up before this recipient's message goes.
                while (!person.asked) {
                    std::this_thread::yield();
                }
            }
        };
        session.emplace(options(c.bulk), channel, message, logs, prompter, progress, monitor, clock);
        const bool completed = session->run(control);
        asker.join();

        EXPECT_EQ(completed, c.result == SendResult::Completed);
        EXPECT_EQ(person.question, "Are you sure you wish to Stop Sending?");
        EXPECT_TRUE(person.sawHold);
        EXPECT_EQ(session->result(), c.result);
        if (c.answer == Answer::Yes) {
            // Nothing went out after the hold.
            EXPECT_EQ(recipientsAtHold, c.atHold);
            EXPECT_EQ(channel.delivered().size(), c.sent);
        }
        EXPECT_EQ(log(kSentLogFile), std::vector<std::string>(addresses.begin(), addresses.begin() + c.sent));
        EXPECT_EQ(log(kRecipientErrorsLogFile),
                  std::vector<std::string>(addresses.begin() + c.sent, addresses.begin() + c.sent + c.errors));
    }
}
TEST_F(SendSessionTest, TransientRefusalsAreTriedAgainAfterABackOff)
{
    using std::chrono::seconds;
    using Outcomes = std::deque<TransmitOutcome>;
    constexpr auto kDeferred = TransmitOutcome::Deferred;
    struct Case
    {
        const char* name;
        bool bulk;
        std::map<int, std::deque<int>> rcpt;   // recipient index: replies to its first tries
        std::map<int, Outcomes> transmit;      // index of a message's first recipient: its first outcomes
        std::vector<int> errors;               // recipients that end in the recipient errors log
        std::vector<std::string> sessionLines; // "%" stands for the 2nd recipient
        std::vector<seconds> waits;
    };
    const Case cases[] = {
        {"451 to RCPT once",
         false,
         {{1, {451}}},
         {},
         {},
         {"Deferred % (attempt 1 of 3): 451 try later - trying again in 1 s", "Retrying % (attempt 2 of 3)"},
         {seconds(1)}},
        {"421 to RCPT twice: the connection is let go each time",
         false,
         {{1, {421, 421}}},
         {},
         {},
         {"Deferred % (attempt 2 of 3): 421 try later - trying again in 2 s", "Retrying % (attempt 3 of 3)"},
         {seconds(1), seconds(2)}},
        {"451 on every try: the error path after the last",
         false,
         {{1, {451, 451, 451}}},
         {},
         {1},
         {"Deferred % (attempt 3 of 3): 451 try later - no attempts left"},
         {seconds(1), seconds(2)}},
        {"end of data refused for now",
         false,
         {},
         {{1, Outcomes{kDeferred}}},
         {},
         {"Retrying % (attempt 2 of 3)"},
         {seconds(1)}},
        {"bulk: 451 to one RCPT and a refused message",
         true,
         {{1, {451}}},
         {{0, Outcomes{kDeferred}}},
         {},
         {"Retrying % (attempt 2 of 3)"},
         {seconds(1)}},
    };
    const auto addresses = numberedAddresses(6);
    ASSERT_TRUE(makeGroup(dir.path(), "Friends", addresses));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        channel = FakeChannel();
        const auto waitedBefore = sleeper.waits().size();
        for (const auto& [index, replies] : c.rcpt) {
            channel.recipientScript[addresses[index]] = replies;
        }
        for (const auto& [index, outcomes] : c.transmit) {
            channel.transmitScript[addresses[index]] = outcomes;
        }
        auto o = options(c.bulk);
        o.bulkGroupSize = 3;

        EXPECT_TRUE(run(o));

        std::vector<std::string> errors;
        std::set<std::string> expectedSent(addresses.begin(), addresses.end());
        for (const int index : c.errors) {
            errors.push_back(addresses[index]);
            expectedSent.erase(addresses[index]);
        }
        EXPECT_EQ(log(kRecipientErrorsLogFile), errors);
        const auto sent = log(kSentLogFile);
        EXPECT_EQ(std::set<std::string>(sent.begin(), sent.end()), expectedSent);
        EXPECT_EQ(sent.size(), expectedSent.size()) << "somebody is in the sent log twice";
        EXPECT_EQ(channel.delivered(), expectedSent);
        EXPECT_EQ(session->counters().sent + session->counters().errors, 6);
        const auto sessionLog = log(kSessionLogFile);
        for (auto line : c.sessionLines) {
            line.replace(line.find('%'), 1, addresses[1]);
            EXPECT_THAT(sessionLog, ::testing::Contains(line));
        }
        const auto waits = sleeper.waits();
        EXPECT_THAT(std::vector<std::chrono::milliseconds>(waits.begin() + static_cast<std::ptrdiff_t>(waitedBefore),
                                                           waits.end()),
                    ElementsAreArray(c.waits));
    }
}

// Four channels draw from one group: each recipient is mailed once, over one of them, and ends
// in exactly one log, whether the session runs to its end, is stopped or ends after a question.
TEST_F(SendSessionTest, SeveralChannelsShareTheGroupAndTheLogs)
{
    struct Case
    {
        const char* name;
        bool bulk;
        int transientEvery; // every nth recipient is refused for now the first time; 0: none
        int stopAt;         // the stop comes with this many offers, on whichever channel; 0: never
        int refuseAt;       // this recipient is refused and the question answered No; 0: never
        SendResult result;
    };
    const Case cases[] = {
        {"personal", false, 0, 0, 0, SendResult::Completed},
        {"personal with retries", false, 7, 0, 0, SendResult::Completed},
        {"bulk with retries", true, 7, 0, 0, SendResult::Completed},
        {"personal, stopped", false, 0, 120, 0, SendResult::StoppedByUser},
        {"bulk, stopped", true, 0, 120, 0, SendResult::StoppedByUser},
        {"personal, No to the question", false, 0, 0, 90, SendResult::StoppedAfterError},
    };
    constexpr int kRecipients = 300;
    const auto addresses = numberedAddresses(kRecipients);
    ASSERT_TRUE(makeGroup(dir.path(), "Friends", addresses));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::array<FakeChannel, 4> channels;
        std::stop_source stop;
        // The first offer of every nth recipient, on whichever channel, is refused for now.
        std::mutex offeredMutex;
        std::set<std::string> offered;
        // When the session runs to its end, every channel holds at its first recipient until all
        // four have one, so each is seen to mail.
        std::latch allChannelsMail(static_cast<std::ptrdiff_t>(channels.size()));
        std::atomic<int> offers = 0;
        for (auto& one : channels) {
            if (c.refuseAt > 0) {
                one.rejections[addresses[static_cast<std::size_t>(c.refuseAt - 1)]] = 550;
            }
            one.onRecipient = [&, channel = &one, first = std::make_shared<bool>(true)](const std::string& address) {
                if (c.result == SendResult::Completed && std::exchange(*first, false)) {
                    allChannelsMail.arrive_and_wait();
                }
                const auto number = std::stoi(address.substr(4));
                if (++offers == c.stopAt) {
                    stop.request_stop();
                }
                std::lock_guard lock(offeredMutex);
                if (c.transientEvery > 0 && number % c.transientEvery == 0 && offered.insert(address).second) {
                    channel->recipientScript[address] = {451};
                }
            };
        }
        if (c.refuseAt > 0) {
            prompter.queue(Answer::No);
        }
        auto o = options(c.bulk);
        o.bulkGroupSize = 10;
        o.optionsConfirmed = c.refuseAt == 0;
        prompter.queue(Answer::No);
        std::vector<SendChannel*> list;
        for (auto& one : channels) {
            list.push_back(&one);
        }
        session.emplace(o, list, message, logs, prompter, progress, monitor, clock);
        session->setSleeper(sleeper);
        EXPECT_EQ(session->run(stop.get_token()), c.result == SendResult::Completed);
        EXPECT_EQ(session->result(), c.result);

        std::map<std::string, int> delivered;
        int busyChannels = 0;
        for (const auto& one : channels) {
            busyChannels += one.messages.empty() ? 0 : 1;
            // A bulk connection carries one full message; only the retries at the end may add a
            // few small ones, in as many rounds as their back-offs fall.
            for (const auto& perConnection : one.messagesPerConnection) {
                EXPECT_LE(perConnection, c.bulk ? 4 : 10);
            }
            for (const auto& each : one.messages) {
                EXPECT_LE(each.size(), 10u);
                for (const auto& address : each) {
                    ++delivered[address];
                }
            }
        }
        if (c.result == SendResult::Completed) {
            EXPECT_EQ(busyChannels, 4);
        }
        const auto sent = log(kSentLogFile);
        std::map<std::string, int> inLogs;
        for (const auto& address : sent) {
            ++inLogs[address];
        }
        EXPECT_EQ(inLogs, delivered) << "the sent log is not what the servers took";
        for (const auto& address : log(kRecipientErrorsLogFile)) {
            ++inLogs[address];
        }
        for (const auto& [address, times] : inLogs) {
            EXPECT_EQ(times, 1) << address;
        }
        if (c.result == SendResult::Completed) {
            EXPECT_EQ(sent.size(), static_cast<std::size_t>(kRecipients));
        } else {
            EXPECT_LT(inLogs.size(), static_cast<std::size_t>(kRecipients));
        }
        EXPECT_EQ(session->counters().sent, static_cast<std::int64_t>(sent.size()));
    }
}

TEST_F(SendSessionTest, ResumeChainFromTheSentLogMailsNobodyTwice)
{
    const auto addresses = numberedAddresses(30);
    ASSERT_TRUE(makeGroup(dir.path(), "Friends", addresses));
    auto o = options();
    o.bulkGroupSize = 4;
    // Interrupted after the 8th and the 16th recipient, each resume naming the sent log.
    for (const std::size_t stopAt : {std::size_t{7}, std::size_t{15}, addresses.size()}) {
        std::stop_source stop;
        channel.onRecipient = [&stop, &addresses, stopAt](const std::string& address) {
            if (stopAt < addresses.size() && address == addresses[stopAt]) {
                stop.request_stop();
            }
        };
        run(o, stop.get_token());
        o.blockFileOn = true;
        o.blockFilePath = SendLogs::file(dir.path(), kSentLogFile).string();
    }

    std::map<std::string, int> times;
    for (const auto& delivered : channel.messages) {
        for (const auto& address : delivered) {
            ++times[address];
        }
    }
    EXPECT_EQ(times.size(), addresses.size());
    for (const auto& [address, count] : times) {
        EXPECT_EQ(count, 1) << address;
    }
    EXPECT_EQ(session->result(), SendResult::Completed);
    // The last sent log names everybody; the earlier logs were set aside, not overwritten.
    EXPECT_EQ(log(kSentLogFile), addresses);
    std::vector<std::string> setAside; // "sent <time>.log", then "sent <time> (2).log"
    for (const auto& entry : std::filesystem::directory_iterator(SendLogs::folder(dir.path()))) {
        const auto name = entry.path().filename().string();
        if (name.starts_with("sent ")) {
            setAside.push_back(name);
        }
    }
    std::sort(setAside.begin(), setAside.end(), [](const auto& a, const auto& b) { return a.size() < b.size(); });
    ASSERT_EQ(setAside.size(), 2u);
    EXPECT_THAT(setAside[1], ::testing::EndsWith(" (2).log"));
    EXPECT_EQ(logLines(dir.path(), setAside[0]), std::vector<std::string>(addresses.begin(), addresses.begin() + 8));
    EXPECT_EQ(logLines(dir.path(), setAside[1]), std::vector<std::string>(addresses.begin(), addresses.begin() + 16));
}

TEST_F(SendSessionTest, AddressesThatAreNoMailboxAreSkippedWithTheReason)
{
    const std::vector<std::string> addresses = {"good1@example.test", "x@example.test> NOTIFY=SUCCESS",
                                                "two words@example.test", "good2@example.test"};
    for (const bool bulk : {false, true}) {
        SCOPED_TRACE(bulk ? "bulk" : "personal");
        ASSERT_TRUE(makeGroup(dir.path(), "Friends", addresses));
        channel = FakeChannel();
        std::vector<std::string> offered;
        channel.onRecipient = [&offered](const std::string& address) { offered.push_back(address); };

        EXPECT_TRUE(run(options(bulk)));

        EXPECT_THAT(offered, ElementsAre(addresses[0], addresses[3]));
        EXPECT_THAT(log(kSentLogFile), ElementsAre(addresses[0], addresses[3]));
        EXPECT_THAT(log(kRecipientErrorsLogFile), ElementsAre(addresses[1], addresses[2]));
        EXPECT_THAT(log(kSessionLogFile),
                    ::testing::Contains("x@example.test> NOTIFY=SUCCESS - not a valid email address, skipped"));
        EXPECT_EQ(session->counters().errors, 2);
    }
}

TEST_F(SendSessionTest, ForeignGroupFilesAreReadByColumnNameOrRefused)
{
    // The same recipients with the columns in another order, then a table without addresses.
    const auto makeFile = [this](const std::vector<std::pair<std::string, int>>& layout) {
        store::RecipientStore file;
        for (const auto& [name, size] : layout) {
            file.defineField(name, store::FieldType::Text, size);
        }
        ASSERT_EQ(file.createFile(dir / "Friends.gdb"), 0);
        ASSERT_TRUE(file.open(dir / "Friends.gdb"));
        for (const auto& [first, address] :
             {std::pair{"Ann", "ann@example.test"}, std::pair{"Bob", "bob@example.test"}}) {
            ASSERT_TRUE(file.addNew());
            for (const auto& [name, size] : layout) {
                ASSERT_TRUE(file.setField(name, name == "FirstName" ? first : address));
            }
        }
        ASSERT_TRUE(file.close());
    };
    makeFile({{"Company", 50}, {"EmailAddress", 254}, {"FirstName", 50}});
    message.built.clear();
    EXPECT_TRUE(run(options()));
    EXPECT_EQ(channel.delivered(), (std::set<std::string>{"ann@example.test", "bob@example.test"}));
    EXPECT_THAT(message.built, ElementsAre("ann@example.test", "bob@example.test"));

    channel = FakeChannel();
    makeFile({{"FirstName", 50}, {"Mail", 254}});
    EXPECT_FALSE(run(options()));
    EXPECT_EQ(session->result(), SendResult::EndedByError);
    EXPECT_EQ(channel.connectAttempts, 0);
    ASSERT_EQ(prompter.log().size(), 1u);
    EXPECT_THAT(prompter.log()[0].text,
                HasSubstr((dir / "Friends.gdb").string() + " is not a group of recipients: it has no EmailAddress"));
}

TEST_F(SendSessionTest, PreparationFailures)
{
    // No group file: a message, no logs.
    EXPECT_FALSE(run(options()));
    EXPECT_EQ(session->result(), SendResult::None);
    EXPECT_THAT(prompter.texts(), ElementsAre("Friends no longer appears to be a valid Group."));
    EXPECT_FALSE(std::filesystem::exists(SendLogs::file(dir.path(), kSessionLogFile)));

    // An unreadable block file answered No: stopped by the user before connecting.
    ASSERT_TRUE(makeGroup(dir.path(), "Friends", numberedAddresses(2)));
    prompter.clear();
    auto o = options();
    o.blockFileOn = true;
    o.blockFilePath = (dir / "missing.log").string();
    EXPECT_FALSE(run(o));
    EXPECT_EQ(session->result(), SendResult::StoppedByUser);
    EXPECT_EQ(channel.connectAttempts, 0);
    ASSERT_EQ(prompter.log().size(), 1u);
    EXPECT_EQ(prompter.log()[0].text, "Unable to open the Block/Recovery file:\r\n" + o.blockFilePath +
                                          "\r\n\r\nDo you wish to continue sending?");

    // Answered Yes: the mailing goes on without a block list.
    prompter.queue(Answer::Yes);
    EXPECT_TRUE(run(o));
    EXPECT_EQ(session->counters().sent, 2);

    // The first connection fails.
    channel = FakeChannel();
    channel.connectResults = {false};
    EXPECT_FALSE(run(options()));
    EXPECT_EQ(session->result(), SendResult::EndedByError);
    EXPECT_TRUE(log(kSentLogFile).empty());
}

// A disk that fills up: the log takes `okWrites` more lines, then every write fails with ENOSPC.
LogFile::WriteFunction diskFullAfter(int okWrites)
{
    return [remaining = okWrites](int fd, const void* data, std::size_t size) mutable -> ssize_t {
        if (remaining-- > 0) {
            return ::write(fd, data, size);
        }
        errno = ENOSPC;
        return -1;
    };
}

TEST_F(SendSessionTest, FailedLogWriteStopsBeforeTheNextMessage)
{
    struct Case
    {
        const char* name;
        bool bulk;
        int okWrites;          // a bulk message's recipients are logged in one write
        std::size_t logged;    // the first n addresses in the sent log
        std::size_t delivered; // recipients the server got before the mailing stopped
    };
    const auto addresses = numberedAddresses(40);
    for (const auto& c :
         {Case{"personal, third line fails", false, 2, 2, 3}, Case{"personal, first line fails", false, 0, 0, 1},
          Case{"bulk, the second message's lines fail", true, 1, 10, 20}}) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(makeGroup(dir.path(), "Friends", addresses));
        channel = FakeChannel();
        prompter.clear();
        auto o = options(c.bulk);
        o.bulkGroupSize = 10;
        logs.sent().setWriteFunction(diskFullAfter(c.okWrites));

        EXPECT_FALSE(run(o));

        EXPECT_EQ(session->result(), SendResult::EndedByError);
        EXPECT_EQ(channel.delivered().size(), c.delivered);
        // The log holds whole lines only, and only recipients the server was given.
        const auto sent = log(kSentLogFile);
        EXPECT_EQ(sent, std::vector<std::string>(addresses.begin(), addresses.begin() + c.logged));
        ASSERT_EQ(prompter.log().size(), 1u);
        EXPECT_THAT(prompter.log()[0].text, HasSubstr("Sending Error: Cannot write the log "));
        EXPECT_THAT(prompter.log()[0].text, HasSubstr("sent.log: No space left on device"));
        EXPECT_EQ(tech("Action"), "Send Stopped by Error");
        logs.sent().setWriteFunction({});
    }
}

// A line cut short by the disk filling up is taken back, so the log never ends in half a line;
// the whole lines of the same write stay.
TEST(LogFileTest, ShortWriteLeavesOnlyWholeLines)
{
    struct Case
    {
        std::vector<std::string_view> lines;
        std::size_t firstWrite; // bytes the disk takes before it is full
        std::string kept;
    };
    const Case cases[] = {
        {{"second@example.test"}, 10, ""},
        {{"second@example.test", "third@example.test", "fourth@example.test"}, 25, "second@example.test\r\n"},
        {{"second@example.test", "third@example.test"}, 21, "second@example.test\r\n"},
    };
    for (const auto& c : cases) {
        tidecast::test::TempDir dir;
        LogFile file;
        ASSERT_TRUE(file.open(dir / "a.log"));
        EXPECT_TRUE(file.writeLine("first@example.test"));
        int calls = 0;
        file.setWriteFunction([&](int fd, const void* data, std::size_t size) -> ssize_t {
            if (++calls == 1) {
                return ::write(fd, data, std::min(size, c.firstWrite));
            }
            errno = ENOSPC;
            return -1;
        });
        EXPECT_FALSE(c.lines.size() == 1 ? file.writeLine(c.lines[0]) : file.writeLines(c.lines));
        EXPECT_FALSE(file.writeLine("last@example.test"));
        EXPECT_EQ(file.failure(), (dir / "a.log").string() + ": No space left on device");
        file.close();
        EXPECT_EQ(readWholeFile(dir / "a.log"), "first@example.test\r\n" + c.kept) << c.firstWrite;
    }
}

TEST(ElapsedTime, WrapsAtMidnightAndFormatsTwoDigits)
{
    EXPECT_EQ(elapsedSeconds(100, 165), 65);
    EXPECT_EQ(elapsedSeconds(86390, 5), 15);
    EXPECT_EQ(formatElapsed(0), "00:00:00");
    EXPECT_EQ(formatElapsed(3 * 3600 + 7 * 60 + 9), "03:07:09");
}

} // namespace
} // namespace tidecast::mailing
