#include "mailing/SendSession.h"

#include "common/MailAddress.h"
#include "common/StatusSink.h"
#include "common/Text.h"
#include "mailing/SendTexts.h"
#include "store/GroupNames.h"
#include "store/RecipientRecord.h"
#include "transfer/ExclusionList.h"

#include <ctime>
#include <fstream>
#include <system_error>

namespace tidecast::mailing
{

namespace
{

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr auto kPublishInterval = std::chrono::milliseconds(100);
constexpr std::string_view kRecoverFile = "recover.sdb";
constexpr int kTooManyRecipients = 452;

// The filter evaluator's status texts are the send dialog's command label.
class LabelStatus final : public StatusSink
{
public:
    explicit LabelStatus(Progress& progress)
        : m_progress(progress)
    {}
    void showStatus(std::string_view text) override { m_progress.setLabel(text); }

private:
    Progress& m_progress;
};

std::string errorText(const Error& error)
{
    return error.detail + " - " + std::to_string(error.number);
}

std::string replyReason(int code, std::string_view text)
{
    if (code <= 0) {
        return "no reply from the server";
    }
    return std::to_string(code) + " " + std::string(text);
}

bool isTransientCode(int code)
{
    return code >= 400 && code < 500;
}

} // namespace

std::string_view resultCode(SendResult result)
{
    switch (result) {
    case SendResult::Completed:
        return "S";
    case SendResult::StoppedByUser:
        return "U";
    case SendResult::StoppedAfterError:
        return "T";
    case SendResult::EndedByError:
        return "E";
    case SendResult::None:
        break;
    }
    return {};
}

std::int64_t elapsedSeconds(std::int64_t startOfDaySeconds, std::int64_t nowOfDaySeconds)
{
    auto seconds = nowOfDaySeconds - startOfDaySeconds;
    if (seconds < 0) {
        seconds += kSecondsPerDay;
    }
    return seconds;
}

std::string formatElapsed(std::int64_t seconds)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return buffer;
}

std::int64_t wholeSecondsSinceMidnight(std::chrono::system_clock::time_point when)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
}

SendSession::SendSession(SessionOptions options, SendChannel& channel, MessageSource& messages, SendLogs& logs,
                         Prompter& prompter, Progress& progress, SendMonitor& monitor, const Clock& clock)
    : m_options(std::move(options))
    , m_channel(channel)
    , m_messages(messages)
    , m_logs(logs)
    , m_prompter(prompter)
    , m_progress(progress)
    , m_monitor(monitor)
    , m_clock(clock)
    , m_filters(m_options.sendFilters)
{
    if (m_options.bulkGroupSize < 1) {
        m_options.bulkGroupSize = 1;
    }
}

void SendSession::logBoth(std::string_view line)
{
    m_logs.session().writeLine(line);
    m_monitor.activity(line);
}

void SendSession::publish(bool force)
{
    const auto now = std::chrono::steady_clock::now();
    if (force || now - m_lastPublish >= kPublishInterval) {
        m_lastPublish = now;
        m_monitor.counters(m_counters);
    }
}

bool SendSession::stopRequested() const
{
    return m_stopFlag || m_stop.stop_requested();
}

bool SendSession::stopHere()
{
    // While the Stop question is open nothing more goes out; its answer decides here.
    if (m_stopControl != nullptr) {
        m_stopControl->holdHere();
    }
    return stopRequested();
}

bool SendSession::loadBlockList()
{
    const std::filesystem::path path(m_options.blockFilePath);
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    std::ifstream in;
    if (!ec && size > 0) {
        in.open(path, std::ios::binary);
    }
    if (!in.is_open() || !in) {
        const std::string question = std::string(text::kBlockFileQuestionStart) + m_options.blockFilePath +
                                     std::string(text::kBlockFileQuestionEnd);
        if (m_prompter.ask(question, Buttons::YesNo, Icon::Question, Answer::Yes) == Answer::Yes) {
            return true;
        }
        m_options.blockFileOn = false;
        m_stopFlag = true;
        return false;
    }
    m_progress.setLabel(text::kLoadingRecoveryInfo);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.find('@') != std::string::npos) {
            m_blockList.insert(toLowerAscii(line));
        }
    }
    return true;
}

Result<void> SendSession::loadExclusionList()
{
    m_progress.setLabel(text::kLoadingExclusionInfo);
    auto loaded =
        transfer::loadExcludedAddresses(transfer::ExclusionList::filePath(m_options.dataDir), m_options.groupName);
    if (!loaded) {
        return loaded.error();
    }
    m_exclusions = std::move(*loaded);
    return {};
}

bool SendSession::isInBlockList(std::string_view address) const
{
    return m_blockList.contains(toLowerAscii(address));
}

bool SendSession::isExcluded(std::string_view address) const
{
    return m_exclusions.contains(toLowerAscii(address));
}

bool SendSession::run(StopControl& control)
{
    m_stopControl = &control;
    return run(control.token());
}

bool SendSession::run(std::stop_token stop)
{
    m_stop = stop;
    std::stop_callback cancelConnecting(stop, [this] { m_channel.requestStop(); });

    if (m_options.rateLimit > 0) {
        m_rate.emplace(m_options.rateLimit, m_clock, *m_sleeper);
    }
    m_statisticsBefore = readStatistics(m_options.settingsFile);
    const auto groupFile = m_options.dataDir / (m_options.groupName + std::string(store::kGroupExtension));
    if (!store::RecipientStore::isDatabase(groupFile)) {
        m_prompter.message(m_options.groupName + std::string(text::kNotValidGroupSuffix), Icon::Critical);
        m_result = SendResult::None;
        return false;
    }
    loadAddressLists();

    // Resuming from the sent log itself: the new sent log carries the old one's addresses, so
    // after any chain of interruptions it still names everybody mailed since the first run.
    const auto sentLog = SendLogs::file(m_options.dataDir, kSentLogFile);
    std::error_code ignored;
    const bool carrySentLog =
        m_options.blockFileOn && std::filesystem::equivalent(m_options.blockFilePath, sentLog, ignored);
    m_startOfDay = wholeSecondsSinceMidnight(m_clock.now());
    m_logs.open(m_options.dataDir, m_clock.now(), carrySentLog);
    if (!m_pendingError) {
        m_pendingError = m_logs.failure();
    }
    if (m_pendingError) {
        return finish(SendResult::EndedByError);
    }
    if (const auto ended = openGroupAndConnect(groupFile)) {
        return finish(*ended);
    }
    auto position = moveToFirstRecipient();
    if (!position) {
        m_pendingError = position.error();
        return finish(SendResult::EndedByError);
    }
    return finish(mailRecipients(*position));
}

void SendSession::loadAddressLists()
{
    std::error_code ignored;
    std::filesystem::create_directories(SendLogs::folder(m_options.dataDir), ignored);

    if (m_options.blockFileOn) {
        m_progress.setLabel(text::kLoadingBlockInfo);
        std::filesystem::remove(m_options.dataDir / kRecoverFile, ignored);
        loadBlockList();
    }
    m_exclusions.clear();
    const auto exclusionFile = transfer::ExclusionList::filePath(m_options.dataDir);
    if (std::filesystem::exists(exclusionFile, ignored)) {
        if (auto loaded = loadExclusionList(); !loaded) {
            m_pendingError = loaded.error();
        }
    }
}

std::optional<SendResult> SendSession::openGroupAndConnect(const std::filesystem::path& groupFile)
{
    if (auto opened = m_group.open(groupFile); !opened) {
        m_pendingError = opened.error();
        return SendResult::EndedByError;
    }
    if (auto layout = store::checkRecipientLayout(m_group); !layout) {
        m_pendingError = layout.error();
        return SendResult::EndedByError;
    }
    m_counters = SendCounters{};
    m_counters.groupSize = m_group.recordCount();
    if (stopRequested()) {
        return SendResult::StoppedByUser;
    }
    publish(true);

    if (!m_channel.connect()) {
        return stopRequested() ? SendResult::StoppedByUser : SendResult::EndedByError;
    }
    if (m_options.bulkMode) {
        m_monitor.modeLabel(text::kBulkModeLabel);
        m_channel.startTransaction(m_options.senderAddress);
    } else {
        m_monitor.modeLabel(text::kPersonalModeLabel);
    }
    return std::nullopt;
}

Result<std::int64_t> SendSession::moveToFirstRecipient()
{
    if (!m_options.partialSend) {
        if (auto moved = m_group.moveFirst(); !moved) {
            return moved.error();
        }
        return std::int64_t{1};
    }
    const std::int64_t position = std::max<std::int64_t>(1, m_options.partialStart);
    m_monitor.partialLabel(text::kPartialLabel);
    logBoth(std::string(text::kPartialStarted) + std::to_string(m_options.partialStart));
    if (position <= m_counters.groupSize) {
        if (auto moved = m_group.setRecordNumber(position); !moved) {
            return moved.error();
        }
    }
    return position;
}

SendResult SendSession::mailRecipients(std::int64_t position)
{
    int perConnection = 0; // messages (personal) or accepted recipients (bulk) on this connection
    while (position <= m_counters.groupSize && m_group.hasCurrent()) {
        m_counters.position = position;
        publish(false);
        Step step = mailDueRetries(perConnection);
        if (step == Step::Continue) {
            m_messages.reached(position);
            step = checked(mailRecipient(store::readRecipient(m_group), perConnection));
        }
        if (step != Step::Continue) {
            return resultOf(step);
        }
        if (stopHere()) {
            if (m_options.bulkMode) {
                // The message being gathered does not go: its recipients are not left without a log.
                failPendingBulk();
            }
            return SendResult::StoppedByUser;
        }
        if (m_options.partialSend && position >= m_options.partialEnd) {
            logBoth(std::string(text::kPartialComplete) + std::to_string(m_options.partialEnd));
            break;
        }
        if (!m_channel.isConnected() && !connectAgain(perConnection)) {
            return stopRequested() ? SendResult::StoppedByUser : SendResult::EndedByError;
        }
        if (auto moved = m_group.moveNext(); !moved) {
            m_pendingError = moved.error();
            return SendResult::EndedByError;
        }
        ++position;
    }

    return resultOf(finishRetries(perConnection));
}

SendResult SendSession::resultOf(Step step)
{
    switch (step) {
    case Step::Continue:
        return SendResult::Completed;
    case Step::StopAfterError:
        return SendResult::StoppedAfterError;
    case Step::Error:
        return SendResult::EndedByError;
    case Step::UserStop:
        return SendResult::StoppedByUser;
    }
    return SendResult::EndedByError;
}

SendSession::Step SendSession::checked(Step step)
{
    if (auto failure = m_logs.failure()) {
        // A log that no longer takes lines (the disk is full) would soon disagree with what
        // the server was given: stop before the next message.
        m_pendingError = std::move(failure);
        return Step::Error;
    }
    if (step != Step::Error && endedByServer()) {
        return Step::Error;
    }
    return step;
}

SendSession::Step SendSession::mailDueRetries(int& perConnection)
{
    while (auto entry = m_retries.takeDue(m_clock.now())) {
        if (stopHere()) {
            m_retries.push(std::move(*entry)); // it ends in the recipient errors log with the rest
            return Step::UserStop;
        }
        if (!m_channel.isConnected() && !connectAgain(perConnection)) {
            m_retries.push(std::move(*entry));
            return stopRequested() ? Step::UserStop : Step::Error;
        }
        logBoth(text::retryingLine(entry->address, entry->attempt, m_options.retryAttempts));
        const Step step = checked(m_options.bulkMode ? mailBulk(entry->address, perConnection, entry->attempt)
                                                     : mailPersonal(entry->record, perConnection, entry->attempt));
        if (step != Step::Continue) {
            return step;
        }
    }
    return Step::Continue;
}

SendSession::Step SendSession::finishRetries(int& perConnection)
{
    for (;;) {
        if (m_options.bulkMode && !m_bulkRecipients.empty()) {
            transmitBulk();
            perConnection = 0;
        }
        if (const Step step = checked(Step::Continue); step != Step::Continue) {
            return step;
        }
        const auto due = m_retries.earliestDue();
        if (!due) {
            return Step::Continue;
        }
        if (const auto now = m_clock.now(); *due > now) {
            if (!m_sleeper->sleepFor(std::chrono::ceil<std::chrono::milliseconds>(*due - now), m_stop)) {
                return Step::UserStop;
            }
        }
        if (m_options.bulkMode) {
            // The last message ended its transaction: the retries gather in a new one.
            if (!m_channel.isConnected()) {
                if (!connectAgain(perConnection)) {
                    return stopRequested() ? Step::UserStop : Step::Error;
                }
            } else {
                m_channel.startTransaction(m_options.senderAddress);
            }
        }
        if (const Step step = mailDueRetries(perConnection); step != Step::Continue) {
            return step;
        }
    }
}

bool SendSession::deferRecipient(const store::RecipientRecord& record, std::string_view address, int attempt,
                                 std::string_view reason)
{
    const int attempts = std::max(1, m_options.retryAttempts);
    if (attempt >= attempts) {
        if (attempts > 1) {
            logBoth(text::givenUpLine(address, attempts, reason));
        }
        return false;
    }
    const auto wait = retryDelay(attempt);
    logBoth(text::deferredLine(address, attempt, attempts, reason, wait.count()));
    m_retries.push({record, std::string(address), attempt + 1, m_clock.now() + wait});
    return true;
}

void SendSession::afterTransientReply()
{
    if (m_channel.lastReplyCode() == kServiceClosing || !m_channel.isConnected()) {
        // The server is going away: what comes next goes on a new connection.
        m_channel.disconnect(DisconnectReason::Normal);
    } else {
        m_channel.abortTransaction();
    }
}

bool SendSession::connectWithBackOff()
{
    const int attempts = std::max(1, m_options.retryAttempts);
    for (int attempt = 1;; ++attempt) {
        const bool last = attempt >= attempts;
        m_channel.reportConnectFailures(last);
        const bool connected = m_channel.connect();
        m_channel.reportConnectFailures(true);
        if (connected) {
            return true;
        }
        if (last || stopRequested()) {
            return false;
        }
        const auto wait = retryDelay(attempt);
        logBoth(text::connectRetryLine(attempt, attempts, wait.count()));
        if (!m_sleeper->sleepFor(wait, m_stop)) {
            return false;
        }
    }
}

SendSession::Step SendSession::mailRecipient(const store::RecipientRecord& recipient, int& perConnection)
{
    const auto& address = recipient.emailAddress();
    if (!isValidMailbox(address)) {
        // Never offered to the server: the reason goes to the session log.
        const auto shown = printableAddress(address);
        recordError(shown);
        logBoth(shown + std::string(text::kNotAValidAddress));
        return Step::Continue;
    }
    if (m_options.blockFileOn && (m_progress.setLabel(text::kCheckingBlockInfo), isInBlockList(address))) {
        ++m_counters.excluded;
        m_logs.exclusion().writeLine(address + std::string(text::kFoundInBlockFile));
        return Step::Continue;
    }
    if (!m_exclusions.empty() && (m_progress.setLabel(text::kCheckingExclusionInfo), isExcluded(address))) {
        ++m_counters.excluded;
        m_logs.exclusion().writeLine(address);
        return Step::Continue;
    }
    LabelStatus labels(m_progress);
    if (const auto verdict =
            filters::filterMailingRecipient(m_filters, m_options.dateFilters, recipient, m_prompter, labels);
        verdict.filtered) {
        ++m_counters.filtered;
        m_logs.filters().writeLine(address + " - " + std::string(verdict.reason));
        return Step::Continue;
    }
    return m_options.bulkMode ? mailBulk(address, perConnection, 1) : mailPersonal(recipient, perConnection, 1);
}

bool SendSession::connectAgain(int& perConnection)
{
    // The connection was lost: what the open bulk transaction had gathered went with it.
    if (m_options.bulkMode) {
        deferPendingBulk("the connection was lost");
    }
    perConnection = 0;
    if (!connectWithBackOff()) {
        return false;
    }
    if (m_options.bulkMode) {
        m_channel.startTransaction(m_options.senderAddress);
    }
    return true;
}

bool SendSession::askAfterRecipientError(const RecipientReply& reply)
{
    if (reply.code < 400 || m_options.optionsConfirmed || m_channel.sessionBlocker()) {
        return true; // a server that takes no mail at all ends the session without a question
    }
    const std::string question = m_channel.host() + std::string(text::kRecipientErrorMiddle) +
                                 std::to_string(reply.code) + " : " + reply.text +
                                 std::string(text::kRecipientErrorEnd);
    return m_prompter.ask(question, Buttons::YesNo, Icon::Exclamation, Answer::Yes) == Answer::Yes;
}

bool SendSession::endedByServer()
{
    auto blocker = m_channel.sessionBlocker();
    if (!blocker) {
        return false;
    }
    m_pendingError = std::move(blocker);
    return true;
}

void SendSession::recordError(std::string_view address)
{
    ++m_counters.errors;
    m_logs.recipientErrors().writeLine(address);
}

SendSession::Step SendSession::mailPersonal(const store::RecipientRecord& recipient, int& perConnection, int attempt)
{
    const auto& address = recipient.emailAddress();
    if (m_rate && !m_rate->acquire(m_stop)) {
        recordError(address);
        return Step::UserStop;
    }
    // Built before the server hears of the recipient, so that it can leave together with the
    // recipient, and so that a message that cannot be built never gets that far.
    auto message = m_messages.build(recipient);
    if (!message) {
        logBoth(std::string(text::kMimeErrorPrefix) + errorText(message.error()));
        recordError(address);
        return Step::Continue;
    }
    m_channel.announceMessage(*message);
    if (!m_channel.startTransaction(m_options.senderAddress)) {
        if (endedByServer()) {
            return Step::Error;
        }
        if ((isTransientCode(m_channel.lastReplyCode()) || !m_channel.isConnected()) &&
            deferRecipient(
                recipient, address, attempt,
                replyReason(m_channel.isConnected() ? m_channel.lastReplyCode() : 0, m_channel.lastReplyText()))) {
            afterTransientReply();
            return Step::Continue;
        }
    }
    const auto reply = m_channel.addRecipient(address);
    if (reply.outcomeUnknown) {
        recordUnknownOutcome(address);
        afterTransientReply();
        return Step::Continue;
    }
    if (reply.isRejected()) {
        if (reply.isTransient() && deferRecipient(recipient, address, attempt, replyReason(reply.code, reply.text))) {
            afterTransientReply();
            return Step::Continue;
        }
        recordError(address);
        m_channel.abortTransaction();
        return askAfterRecipientError(reply) ? Step::Continue : Step::StopAfterError;
    }

    m_progress.setLabel(text::kSendingMailMessage);
    m_channel.setTransmitting(true);
    const TransmitOutcome outcome = m_channel.transmit(*message, address);
    m_channel.setTransmitting(false);

    if (outcome == TransmitOutcome::Sent) {
        ++m_counters.sent;
        m_logs.sent().writeLine(address);
        ++perConnection;
    } else if (outcome == TransmitOutcome::Deferred && deferRecipient(recipient, address, attempt, transmitReason())) {
        afterTransientReply();
    } else if (outcome == TransmitOutcome::Interrupted) {
        recordUnknownOutcome(address);
    } else {
        recordError(address);
    }

    if (perConnection >= m_options.bulkGroupSize) {
        perConnection = 0;
        return reconnect(false);
    }
    return Step::Continue;
}

SendSession::Step SendSession::mailBulk(std::string_view address, int& accepted, int attempt)
{
    auto reply = m_channel.addRecipient(address);
    if (reply.code == kTooManyRecipients && !m_bulkRecipients.empty()) {
        // The server takes no more recipients for this message: it goes to those it has, and
        // a new transaction starts with this one.
        transmitBulk();
        accepted = 0;
        if (!m_channel.isConnected()) {
            if (const auto step = reconnect(true); step != Step::Continue) {
                return step;
            }
        } else {
            m_channel.startTransaction(m_options.senderAddress);
        }
        reply = m_channel.addRecipient(address);
    }
    if (reply.isRejected()) {
        if (reply.isTransient() && deferRecipient({}, address, attempt, replyReason(reply.code, reply.text))) {
            if (reply.code == kServiceClosing || !m_channel.isConnected()) {
                // Those gathered so far go with the connection; they are sent again later.
                deferPendingBulk(replyReason(reply.code, reply.text));
                accepted = 0;
                m_channel.disconnect(DisconnectReason::Normal);
            }
            return Step::Continue;
        }
        recordError(address);
        if (!askAfterRecipientError(reply)) {
            return Step::StopAfterError;
        }
    } else {
        m_bulkRecipients.push_back({std::string(address), attempt});
        ++accepted;
    }
    if (accepted >= m_options.bulkGroupSize) {
        transmitBulk();
        accepted = 0;
        return reconnect(true);
    }
    return Step::Continue;
}

SendSession::Step SendSession::reconnect(bool bulk)
{
    if (stopHere()) {
        return Step::UserStop;
    }
    m_channel.disconnect(DisconnectReason::Normal);
    m_progress.setLabel(text::kReconnecting);
    if (!connectWithBackOff()) {
        return stopRequested() ? Step::UserStop : Step::Error;
    }
    if (bulk) {
        m_channel.startTransaction(m_options.senderAddress);
    }
    return Step::Continue;
}

void SendSession::transmitBulk()
{
    if (m_rate && !m_rate->acquire(m_stop)) {
        failPendingBulk(); // stopped while waiting for its turn: the message does not go
        return;
    }
    m_progress.setLabel(text::kSendingMailMessage);
    m_channel.setTransmitting(true);
    auto message = m_messages.build(store::RecipientRecord{});
    TransmitOutcome outcome = TransmitOutcome::Failed;
    if (message) {
        outcome = m_channel.transmit(*message, m_bulkRecipients.front().address);
    } else {
        logBoth(std::string(text::kMimeErrorPrefix) + errorText(message.error()));
        m_channel.abortTransaction();
    }
    m_channel.setTransmitting(false);
    if (outcome == TransmitOutcome::Sent) {
        m_counters.sent += static_cast<std::int64_t>(m_bulkRecipients.size());
        for (const auto& entry : m_bulkRecipients) {
            m_logs.sent().writeLine(entry.address);
        }
        m_bulkRecipients.clear();
    } else if (outcome == TransmitOutcome::Deferred) {
        deferPendingBulk(transmitReason());
        afterTransientReply();
    } else if (outcome == TransmitOutcome::Interrupted) {
        for (const auto& entry : m_bulkRecipients) {
            recordUnknownOutcome(entry.address);
        }
        m_bulkRecipients.clear();
    } else {
        failPendingBulk();
    }
}

std::string SendSession::transmitReason() const
{
    return replyReason(m_channel.isConnected() ? m_channel.lastReplyCode() : 0, m_channel.lastReplyText());
}

void SendSession::deferPendingBulk(std::string_view reason)
{
    for (const auto& entry : m_bulkRecipients) {
        if (!deferRecipient({}, entry.address, entry.attempt, reason)) {
            recordError(entry.address);
        }
    }
    m_bulkRecipients.clear();
}

void SendSession::recordUnknownOutcome(std::string_view address)
{
    // Sending it again could mail this person twice.
    ++m_counters.errors;
    const std::string line = std::string(address) + std::string(text::kOutcomeUnknown);
    m_logs.recipientErrors().writeLine(line);
    logBoth(line);
}

void SendSession::failRetries()
{
    for (const auto& entry : m_retries.takeAll()) {
        recordError(entry.address);
    }
}

void SendSession::failPendingBulk()
{
    // Everybody the failed message was for is an error, so the loss shows in the counters and in
    // the recipient errors log.
    for (const auto& entry : m_bulkRecipients) {
        recordError(entry.address);
    }
    m_bulkRecipients.clear();
}

bool SendSession::finish(SendResult result)
{
    // Whoever was gathered or waiting for another try when the session ended is not mailed.
    failPendingBulk();
    failRetries();
    (void)m_group.close();
    m_blockList.clear();
    m_exclusions.clear();
    if (m_channel.isConnected()) {
        switch (result) {
        case SendResult::StoppedByUser:
            m_channel.disconnect(DisconnectReason::UserStop);
            break;
        case SendResult::EndedByError:
            m_channel.disconnect(DisconnectReason::ErrorStop);
            break;
        default:
            m_channel.disconnect(DisconnectReason::EndOfSession);
            break;
        }
    }
    m_elapsed = elapsedSeconds(m_startOfDay, wholeSecondsSinceMidnight(m_clock.now()));

    std::string_view action;
    switch (result) {
    case SendResult::Completed:
        action = text::kActionSuccess;
        m_progress.setLabel(text::kDisconnectedFromServer);
        logBoth(text::kSendCompleted);
        break;
    case SendResult::StoppedByUser:
        action = text::kActionStoppedByUser;
        logBoth(text::kSendStoppedByUser);
        break;
    case SendResult::StoppedAfterError:
        action = text::kActionTerminatedAfterError;
        logBoth(text::kSendStoppedAfterError);
        break;
    case SendResult::EndedByError:
    case SendResult::None:
        action = text::kActionStoppedByError;
        logBoth(text::kSendStoppedByError);
        if (m_pendingError) {
            const auto message = std::string(text::kSendingErrorPrefix) + errorText(*m_pendingError);
            m_prompter.message(message, Icon::Exclamation);
            writeLastError(m_options.settingsFile, message);
        }
        break;
    }
    m_logs.close();
    writeLastAction(m_options.settingsFile, action);
    m_result = result;
    writeStatistics(m_options.settingsFile, m_statisticsBefore,
                    {m_counters.sent, m_counters.errors, m_options.bulkMode, m_elapsed}, m_clock.now());
    publish(true);
    return result == SendResult::Completed;
}

} // namespace tidecast::mailing
