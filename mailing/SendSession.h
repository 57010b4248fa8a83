#pragma once

#include "common/Clock.h"
#include "common/CompactStringSet.h"
#include "common/Progress.h"
#include "common/Prompter.h"
#include "common/Result.h"
#include "common/Sleeper.h"
#include "filters/FilterEvaluators.h"
#include "filters/FilterSet.h"
#include "mailing/MessageSource.h"
#include "mailing/RateLimiter.h"
#include "mailing/RetryQueue.h"
#include "mailing/SendChannel.h"
#include "mailing/SendLogs.h"
#include "mailing/SendMonitor.h"
#include "mailing/SendStatistics.h"
#include "mailing/SerialSinks.h"
#include "mailing/SessionOptions.h"
#include "mailing/StopControl.h"
#include "store/RecipientStore.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::mailing
{

// How a session ended.
enum class SendResult
{
    None,              // it never started (the group file has gone)
    Completed,         // "S"
    StoppedByUser,     // "U"
    StoppedAfterError, // "T": a question after an error was answered No
    EndedByError,      // "E"
};

// "S", "U", "T", "E", or empty for None.
std::string_view resultCode(SendResult result);

// Seconds since the start, across midnight: times are seconds since midnight.
std::int64_t elapsedSeconds(std::int64_t startOfDaySeconds, std::int64_t nowOfDaySeconds);
// "HH:MM:SS".
std::string formatElapsed(std::int64_t seconds);
std::int64_t wholeSecondsSinceMidnight(std::chrono::system_clock::time_point when);

// One run of the send engine: mails one message to one group, recipient by recipient, reading
// the group file a record at a time. Skips recipients found in the block list, the exclusion list
// or the filters, mails the others one message each (personal mode) or many to a message (bulk
// mode), writes every outcome to the five logs as it happens, and ends completed, stopped by the
// user, stopped after an error question or ended by an error.
//
// Given several channels, the session mails over all of them side by side, each on a thread of
// its own (the first on the caller's), each drawing the next recipient from the one reader of
// the group file. Every channel keeps its own connection count and bulk message; the logs,
// counters, retry queue and rate limit are shared, and a question or the Stop button's question
// holds every channel at its next recipient until it is answered.
class SendSession
{
public:
    SendSession(SessionOptions options, SendChannel& channel, MessageSource& messages, SendLogs& logs,
                Prompter& prompter, Progress& progress, SendMonitor& monitor, const Clock& clock);
    // Mails over every channel side by side (at least one). The message source, prompter,
    // progress and monitor are called one call at a time, from any of the channels' threads; the
    // channels need not be thread-safe, but what they share with the session must be.
    SendSession(SessionOptions options, const std::vector<SendChannel*>& channels, MessageSource& messages,
                SendLogs& logs, Prompter& prompter, Progress& progress, SendMonitor& monitor, const Clock& clock);

    // Runs the whole session; true only when it completed. Stop is honoured at the next recipient
    // and cancels a connection attempt at once.
    bool run(std::stop_token stop = {});
    // The same, stopped through the Stop button's control: while its question is open the session
    // holds at the next recipient.
    bool run(StopControl& control);

    // Where back-off and rate-limit waits happen; the wall clock unless set before run().
    void setSleeper(Sleeper& sleeper) { m_sleeper = &sleeper; }

    // Loads the block list; false when the person chose not to go on without it.
    bool loadBlockList();
    [[nodiscard]] Result<void> loadExclusionList();
    bool isInBlockList(std::string_view address) const;
    bool isExcluded(std::string_view address) const;

    SendResult result() const { return m_result; }
    const SendCounters& counters() const { return m_counters; }
    std::int64_t elapsed() const { return m_elapsed; }
    const SessionOptions& options() const { return m_options; }

private:
    enum class Step
    {
        Continue,
        StopAfterError,
        Error,
        UserStop,
    };

    // A bulk recipient gathered for the message in progress, with the number of its try.
    struct BulkEntry
    {
        std::string address;
        int attempt = 1;
    };
    // One channel's share of the session.
    struct Lane
    {
        explicit Lane(SendChannel& c)
            : channel(c)
        {}
        SendChannel& channel;
        std::int64_t position = 0; // of the recipient in hand; 0 for a retry
        int perConnection = 0;     // messages (personal) or accepted recipients (bulk) on this connection
        std::vector<BulkEntry> bulk;
        std::vector<BulkEntry> offered; // bulk recipients waiting to be offered together
    };
    struct Taken
    {
        std::int64_t position = 0;
        store::RecipientRecord record;
    };

    void logBoth(std::string_view line);
    void publish(bool force);
    bool stopRequested() const;
    bool stopHere();
    void loadAddressLists();
    std::optional<SendResult> openGroupAndConnect(const std::filesystem::path& groupFile);
    [[nodiscard]] Result<std::int64_t> moveToFirstRecipient();
    SendResult mailRecipients(std::int64_t position);
    // One channel's loop: recipients from the group, retries when due, then the retries left.
    Step runLane(Lane& lane);
    // A channel other than the first: connects first.
    Step startLane(Lane& lane);
    // The next record of the group, or nothing at the end (of the group or the partial window).
    std::optional<Taken> takeRecipient();
    Step mailRecipient(Lane& lane, const store::RecipientRecord& recipient);
    Result<ByteChain> buildMessage(const Lane& lane, const store::RecipientRecord& recipient);
    bool connectAgain(Lane& lane);
    // Connects, trying again after a back-off while attempts are left; false when none worked.
    bool connectWithBackOff(Lane& lane);
    Step mailPersonal(Lane& lane, const store::RecipientRecord& recipient, int attempt);
    Step mailBulk(Lane& lane, std::string_view address, int attempt);
    // Offers the bulk recipients gathered so far, all in one go, and takes their replies in turn.
    Step offerBulkRecipients(Lane& lane);
    Step takeBulkReply(Lane& lane, std::string_view address, int attempt, const RecipientReply& reply);
    Step reconnect(Lane& lane, bool bulk);
    // The retries that are due now, on this connection.
    Step mailDueRetries(Lane& lane);
    // After the last record: waits for the retries still queued and mails them.
    Step finishRetries(Lane& lane);
    // How the session ends after this step; Completed for Continue.
    static SendResult resultOf(Step step);
    // Queues the recipient for another try; false (with a line saying so) when no tries are left.
    bool deferRecipient(const store::RecipientRecord& record, std::string_view address, int attempt,
                        std::string_view reason);
    // After a reply that may pass: the server closing the connection ("421") is let go.
    void afterTransientReply(Lane& lane);
    void transmitBulk(Lane& lane);
    void failPendingBulk(Lane& lane);
    // The session ends: those gathered or waiting to be offered are not mailed.
    void abandonBulk(Lane& lane);
    void deferPendingBulk(Lane& lane, std::string_view reason);
    void recordUnknownOutcome(std::string_view address);
    // Why the message just transmitted was refused for now.
    std::string transmitReason(const Lane& lane) const;
    // The step, or an error when a log failed or the server takes no more mail.
    Step checked(Lane& lane, Step step);
    void failRetries();
    bool askAfterRecipientError(Lane& lane, const RecipientReply& reply);
    void count(std::int64_t SendCounters::*counter, std::int64_t n = 1);
    void recordError(std::string_view address);
    void setPendingError(Error error);
    // True (with the error set) when the server said no transaction can succeed.
    bool endedByServer(Lane& lane);
    bool finish(SendResult result);

    SessionOptions m_options;
    std::vector<std::unique_ptr<Lane>> m_lanes;
    MessageSource& m_messages;
    SendLogs& m_logs;
    // Called from every channel's thread, one call at a time.
    SerialPrompter m_prompter;
    SerialProgress m_progress;
    SerialMonitor m_monitor;
    const Clock& m_clock;

    std::stop_source m_endAll;  // the user stopped, or one channel ended the session
    std::stop_token m_stop;     // of m_endAll
    std::stop_token m_userStop; // as given to run(); m_endAll follows it a moment later
    StopControl* m_stopControl = nullptr;
    bool m_stopFlag = false;
    CompactStringSet m_blockList;
    CompactStringSet m_exclusions;
    filters::FilterSet m_filters;
    store::RecipientStore m_group;
    std::mutex m_groupMutex; // the reader and the positions below
    std::int64_t m_nextPosition = 1;
    bool m_groupDone = false;
    bool m_groupFailed = false;
    std::mutex m_mutex;         // the counters and the pending error
    std::mutex m_messagesMutex; // the message source
    std::mutex m_filterMutex;   // the filter evaluation
    std::mutex m_questionMutex; // held while an error question is open
    SystemSleeper m_systemSleeper;
    Sleeper* m_sleeper = &m_systemSleeper;
    RetryQueue m_retries;
    std::optional<RateLimiter> m_rate;

    SendStatistics m_statisticsBefore;
    SendCounters m_counters;
    std::optional<Error> m_pendingError;
    SendResult m_result = SendResult::None;
    std::int64_t m_startOfDay = 0;
    std::int64_t m_elapsed = 0;
    std::chrono::steady_clock::time_point m_lastPublish{};
};

} // namespace tidecast::mailing
