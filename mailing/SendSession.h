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
#include "mailing/SessionOptions.h"
#include "mailing/StopControl.h"
#include "store/RecipientStore.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
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
class SendSession
{
public:
    SendSession(SessionOptions options, SendChannel& channel, MessageSource& messages, SendLogs& logs,
                Prompter& prompter, Progress& progress, SendMonitor& monitor, const Clock& clock);

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

    void logBoth(std::string_view line);
    void publish(bool force);
    bool stopRequested() const;
    bool stopHere();
    void loadAddressLists();
    std::optional<SendResult> openGroupAndConnect(const std::filesystem::path& groupFile);
    [[nodiscard]] Result<std::int64_t> moveToFirstRecipient();
    SendResult mailRecipients(std::int64_t position);
    // A bulk recipient gathered for the message in progress, with the number of its try.
    struct BulkEntry
    {
        std::string address;
        int attempt = 1;
    };

    Step mailRecipient(const store::RecipientRecord& recipient, int& perConnection);
    bool connectAgain(int& perConnection);
    // Connects, trying again after a back-off while attempts are left; false when none worked.
    bool connectWithBackOff();
    Step mailPersonal(const store::RecipientRecord& recipient, int& perConnection, int attempt);
    Step mailBulk(std::string_view address, int& accepted, int attempt);
    Step reconnect(bool bulk);
    // The retries that are due now, on this connection.
    Step mailDueRetries(int& perConnection);
    // After the last record: waits for the retries still queued and mails them.
    Step finishRetries(int& perConnection);
    // How the session ends after this step; Completed for Continue.
    static SendResult resultOf(Step step);
    // Queues the recipient for another try; false (with a line saying so) when no tries are left.
    bool deferRecipient(const store::RecipientRecord& record, std::string_view address, int attempt,
                        std::string_view reason);
    // After a reply that may pass: the server closing the connection ("421") is let go.
    void afterTransientReply();
    void transmitBulk();
    void failPendingBulk();
    void deferPendingBulk(std::string_view reason);
    void recordUnknownOutcome(std::string_view address);
    // Why the message just transmitted was refused for now.
    std::string transmitReason() const;
    // The step, or an error when a log failed or the server takes no more mail.
    Step checked(Step step);
    void failRetries();
    bool askAfterRecipientError(const RecipientReply& reply);
    void recordError(std::string_view address);
    // True (with the error set) when the server said no transaction can succeed.
    bool endedByServer();
    bool finish(SendResult result);

    SessionOptions m_options;
    SendChannel& m_channel;
    MessageSource& m_messages;
    SendLogs& m_logs;
    Prompter& m_prompter;
    Progress& m_progress;
    SendMonitor& m_monitor;
    const Clock& m_clock;

    std::stop_token m_stop;
    StopControl* m_stopControl = nullptr;
    bool m_stopFlag = false;
    CompactStringSet m_blockList;
    CompactStringSet m_exclusions;
    filters::FilterSet m_filters;
    store::RecipientStore m_group;
    std::vector<BulkEntry> m_bulkRecipients;
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
