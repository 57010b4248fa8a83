#include "mailing/SendSession.h"

#include "common/MailAddress.h"
#include "common/StatusSink.h"
#include "common/Text.h"
#include "mailing/SendTexts.h"
#include "store/GroupNames.h"
#include "store/RecipientRecord.h"
#include "transfer/ExclusionList.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <system_error>
#include <thread>

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
    : SendSession(std::move(options), std::vector<SendChannel*>{&channel}, messages, logs, prompter, progress, monitor,
                  clock)
{}

SendSession::SendSession(SessionOptions options, const std::vector<SendChannel*>& channels, MessageSource& messages,
                         SendLogs& logs, Prompter& prompter, Progress& progress, SendMonitor& monitor,
                         const Clock& clock)
    : m_options(std::move(options))
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
    for (auto* channel : channels) {
        m_lanes.push_back(std::make_unique<Lane>(*channel));
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
    std::lock_guard lock(m_mutex);
    if (force || now - m_lastPublish >= kPublishInterval) {
        m_lastPublish = now;
        m_monitor.counters(m_counters);
    }
}

bool SendSession::stopRequested() const
{
    return m_stopFlag || m_userStop.stop_requested() || m_stop.stop_requested();
}

bool SendSession::stopHere()
{
    // While a question is open nothing more goes out on any connection.
    if (m_lanes.size() > 1) {
        std::lock_guard waitForTheAnswer(m_questionMutex);
    }
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
    std::stop_callback endAllOnStop(stop, [this] { m_endAll.request_stop(); });
    m_userStop = stop;
    m_stop = m_endAll.get_token();
    std::stop_callback cancelConnecting(m_stop, [this] {
        for (const auto& lane : m_lanes) {
            lane->channel.requestStop();
        }
    });

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

    auto& channel = m_lanes.front()->channel;
    if (!channel.connect()) {
        return stopRequested() ? SendResult::StoppedByUser : SendResult::EndedByError;
    }
    if (m_options.bulkMode) {
        m_monitor.modeLabel(text::kBulkModeLabel);
        channel.startTransaction(m_options.senderAddress);
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
    m_nextPosition = position;
    if (m_lanes.size() == 1) {
        return resultOf(runLane(*m_lanes.front()));
    }
    std::vector<Step> steps(m_lanes.size(), Step::Continue);
    {
        std::vector<std::jthread> others;
        for (std::size_t i = 1; i < m_lanes.size(); ++i) {
            others.emplace_back([this, i, &steps] { steps[i] = startLane(*m_lanes[i]); });
        }
        steps.front() = runLane(*m_lanes.front());
        if (steps.front() != Step::Continue) {
            m_endAll.request_stop();
        }
    }
    // The gravest end of any channel is the session's.
    for (const Step worst : {Step::Error, Step::StopAfterError, Step::UserStop}) {
        if (std::find(steps.begin(), steps.end(), worst) != steps.end()) {
            return resultOf(worst);
        }
    }
    return SendResult::Completed;
}

SendSession::Step SendSession::startLane(Lane& lane)
{
    Step step = Step::Continue;
    if (connectWithBackOff(lane)) {
        if (m_options.bulkMode) {
            lane.channel.startTransaction(m_options.senderAddress);
        }
        step = runLane(lane);
    } else if (stopRequested()) {
        step = Step::UserStop;
    }
    // A channel that cannot connect leaves the recipients to the others.
    if (step != Step::Continue) {
        m_endAll.request_stop();
    }
    return step;
}

std::optional<SendSession::Taken> SendSession::takeRecipient()
{
    std::lock_guard lock(m_groupMutex);
    if (m_groupDone || m_nextPosition > m_counters.groupSize || !m_group.hasCurrent()) {
        return std::nullopt;
    }
    Taken taken{m_nextPosition, store::readRecipient(m_group)};
    if (m_options.partialSend && taken.position >= m_options.partialEnd) {
        m_groupDone = true;
    } else if (auto moved = m_group.moveNext(); !moved) {
        setPendingError(moved.error());
        m_groupDone = true;
        m_groupFailed = true;
    }
    ++m_nextPosition;
    std::lock_guard counters(m_mutex);
    m_counters.position = taken.position;
    return taken;
}

SendSession::Step SendSession::runLane(Lane& lane)
{
    for (;;) {
        if (const Step step = mailDueRetries(lane); step != Step::Continue) {
            return step;
        }
        auto taken = takeRecipient();
        if (!taken) {
            break;
        }
        publish(false);
        lane.position = taken->position;
        {
            std::lock_guard lock(m_messagesMutex);
            m_messages.reached(taken->position);
        }
        if (const Step step = checked(lane, mailRecipient(lane, taken->record)); step != Step::Continue) {
            return step;
        }
        if (stopHere()) {
            if (m_options.bulkMode) {
                // The message being gathered does not go: its recipients are not left without a log.
                abandonBulk(lane);
            }
            return Step::UserStop;
        }
        if (m_options.partialSend && taken->position >= m_options.partialEnd) {
            logBoth(std::string(text::kPartialComplete) + std::to_string(m_options.partialEnd));
            break;
        }
        if (!lane.channel.isConnected() && !connectAgain(lane)) {
            return stopRequested() ? Step::UserStop : Step::Error;
        }
    }
    {
        std::lock_guard lock(m_groupMutex);
        if (m_groupFailed) {
            return Step::Error;
        }
    }
    return finishRetries(lane);
}

Result<ByteChain> SendSession::buildMessage(const Lane& lane, const store::RecipientRecord& recipient)
{
    std::lock_guard lock(m_messagesMutex);
    if (lane.position > 0 && m_lanes.size() > 1) {
        m_messages.reached(lane.position); // another connection may have reached a later one since
    }
    return m_messages.build(recipient);
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

SendSession::Step SendSession::checked(Lane& lane, Step step)
{
    if (auto failure = m_logs.failure()) {
        // A log that no longer takes lines (the disk is full) would soon disagree with what
        // the server was given: stop before the next message.
        setPendingError(std::move(*failure));
        return Step::Error;
    }
    if (step != Step::Error && endedByServer(lane)) {
        return Step::Error;
    }
    return step;
}

SendSession::Step SendSession::mailDueRetries(Lane& lane)
{
    while (auto entry = m_retries.takeDue(m_clock.now())) {
        if (stopHere()) {
            m_retries.push(std::move(*entry)); // it ends in the recipient errors log with the rest
            return Step::UserStop;
        }
        if (!lane.channel.isConnected() && !connectAgain(lane)) {
            m_retries.push(std::move(*entry));
            return stopRequested() ? Step::UserStop : Step::Error;
        }
        logBoth(text::retryingLine(entry->address, entry->attempt, m_options.retryAttempts));
        lane.position = 0;
        const Step step = checked(lane, m_options.bulkMode ? mailBulk(lane, entry->address, entry->attempt)
                                                           : mailPersonal(lane, entry->record, entry->attempt));
        if (step != Step::Continue) {
            return step;
        }
    }
    return Step::Continue;
}

SendSession::Step SendSession::finishRetries(Lane& lane)
{
    for (;;) {
        while (!lane.offered.empty()) {
            if (!lane.channel.isConnected() && !connectAgain(lane)) {
                return stopRequested() ? Step::UserStop : Step::Error;
            }
            if (const Step step = checked(lane, offerBulkRecipients(lane)); step != Step::Continue) {
                return step;
            }
        }
        if (m_options.bulkMode && !lane.bulk.empty()) {
            if (stopHere()) {
                return Step::UserStop; // the message does not go: its recipients are errors
            }
            transmitBulk(lane);
            lane.perConnection = 0;
        }
        if (const Step step = checked(lane, Step::Continue); step != Step::Continue) {
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
            if (!lane.channel.isConnected()) {
                if (!connectAgain(lane)) {
                    return stopRequested() ? Step::UserStop : Step::Error;
                }
            } else {
                lane.channel.startTransaction(m_options.senderAddress);
            }
        }
        if (const Step step = mailDueRetries(lane); step != Step::Continue) {
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

void SendSession::afterTransientReply(Lane& lane)
{
    if (lane.channel.lastReplyCode() == kServiceClosing || !lane.channel.isConnected()) {
        // The server is going away: what comes next goes on a new connection.
        lane.channel.disconnect(DisconnectReason::Normal);
    } else {
        lane.channel.abortTransaction();
    }
}

bool SendSession::connectWithBackOff(Lane& lane)
{
    const int attempts = std::max(1, m_options.retryAttempts);
    for (int attempt = 1;; ++attempt) {
        const bool last = attempt >= attempts;
        lane.channel.reportConnectFailures(last);
        const bool connected = lane.channel.connect();
        lane.channel.reportConnectFailures(true);
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

SendSession::Step SendSession::mailRecipient(Lane& lane, const store::RecipientRecord& recipient)
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
        count(&SendCounters::excluded);
        m_logs.exclusion().writeLine(address + std::string(text::kFoundInBlockFile));
        return Step::Continue;
    }
    if (!m_exclusions.empty() && (m_progress.setLabel(text::kCheckingExclusionInfo), isExcluded(address))) {
        count(&SendCounters::excluded);
        m_logs.exclusion().writeLine(address);
        return Step::Continue;
    }
    LabelStatus labels(m_progress);
    std::unique_lock filtering(m_filterMutex);
    if (const auto verdict =
            filters::filterMailingRecipient(m_filters, m_options.dateFilters, recipient, m_prompter, labels);
        verdict.filtered) {
        filtering.unlock();
        count(&SendCounters::filtered);
        m_logs.filters().writeLine(address + " - " + std::string(verdict.reason));
        return Step::Continue;
    }
    filtering.unlock();
    return m_options.bulkMode ? mailBulk(lane, address, 1) : mailPersonal(lane, recipient, 1);
}

bool SendSession::connectAgain(Lane& lane)
{
    // The connection was lost: what the open bulk transaction had gathered went with it.
    if (m_options.bulkMode) {
        deferPendingBulk(lane, "the connection was lost");
    }
    lane.perConnection = 0;
    if (!connectWithBackOff(lane)) {
        return false;
    }
    if (m_options.bulkMode) {
        lane.channel.startTransaction(m_options.senderAddress);
    }
    return true;
}

bool SendSession::askAfterRecipientError(Lane& lane, const RecipientReply& reply)
{
    if (reply.code < 400 || m_options.optionsConfirmed || lane.channel.sessionBlocker()) {
        return true; // a server that takes no mail at all ends the session without a question
    }
    const std::string question = lane.channel.host() + std::string(text::kRecipientErrorMiddle) +
                                 std::to_string(reply.code) + " : " + reply.text +
                                 std::string(text::kRecipientErrorEnd);
    // The other connections hold at their next recipient until the answer is in.
    std::lock_guard asking(m_questionMutex);
    const bool goOn = m_prompter.ask(question, Buttons::YesNo, Icon::Exclamation, Answer::Yes) == Answer::Yes;
    if (!goOn && m_lanes.size() > 1) {
        m_endAll.request_stop(); // before any other connection mails its next recipient
    }
    return goOn;
}

bool SendSession::endedByServer(Lane& lane)
{
    auto blocker = lane.channel.sessionBlocker();
    if (!blocker) {
        return false;
    }
    setPendingError(std::move(*blocker));
    return true;
}

void SendSession::setPendingError(Error error)
{
    std::lock_guard lock(m_mutex);
    m_pendingError = std::move(error);
}

void SendSession::count(std::int64_t SendCounters::*counter, std::int64_t n)
{
    std::lock_guard lock(m_mutex);
    m_counters.*counter += n;
}

void SendSession::recordError(std::string_view address)
{
    count(&SendCounters::errors);
    m_logs.recipientErrors().writeLine(address);
}

SendSession::Step SendSession::mailPersonal(Lane& lane, const store::RecipientRecord& recipient, int attempt)
{
    const auto& address = recipient.emailAddress();
    if (m_rate && !m_rate->acquire(m_stop)) {
        recordError(address);
        return Step::UserStop;
    }
    // Built before the server hears of the recipient, so that it can leave together with the
    // recipient, and so that a message that cannot be built never gets that far.
    auto message = buildMessage(lane, recipient);
    if (!message) {
        logBoth(std::string(text::kMimeErrorPrefix) + errorText(message.error()));
        recordError(address);
        return Step::Continue;
    }
    lane.channel.announceMessage(*message);
    if (!lane.channel.startTransaction(m_options.senderAddress)) {
        if (endedByServer(lane)) {
            return Step::Error;
        }
        if ((isTransientCode(lane.channel.lastReplyCode()) || !lane.channel.isConnected()) &&
            deferRecipient(recipient, address, attempt,
                           replyReason(lane.channel.isConnected() ? lane.channel.lastReplyCode() : 0,
                                       lane.channel.lastReplyText()))) {
            afterTransientReply(lane);
            return Step::Continue;
        }
    }
    const auto reply = lane.channel.addRecipient(address);
    if (reply.outcomeUnknown) {
        recordUnknownOutcome(address);
        afterTransientReply(lane);
        return Step::Continue;
    }
    if (reply.isRejected()) {
        if (reply.isTransient() && deferRecipient(recipient, address, attempt, replyReason(reply.code, reply.text))) {
            afterTransientReply(lane);
            return Step::Continue;
        }
        recordError(address);
        lane.channel.abortTransaction();
        return askAfterRecipientError(lane, reply) ? Step::Continue : Step::StopAfterError;
    }

    m_progress.setLabel(text::kSendingMailMessage);
    lane.channel.setTransmitting(true);
    const TransmitOutcome outcome = lane.channel.transmit(*message, address);
    lane.channel.setTransmitting(false);

    if (outcome == TransmitOutcome::Sent) {
        count(&SendCounters::sent);
        m_logs.sent().writeLine(address);
        ++lane.perConnection;
    } else if (outcome == TransmitOutcome::Deferred &&
               deferRecipient(recipient, address, attempt, transmitReason(lane))) {
        afterTransientReply(lane);
    } else if (outcome == TransmitOutcome::Interrupted) {
        recordUnknownOutcome(address);
    } else {
        recordError(address);
    }

    if (lane.perConnection >= m_options.bulkGroupSize) {
        lane.perConnection = 0;
        return reconnect(lane, false);
    }
    return Step::Continue;
}

SendSession::Step SendSession::mailBulk(Lane& lane, std::string_view address, int attempt)
{
    lane.offered.push_back({std::string(address), attempt});
    // The recipients leave together once they can fill the message; one at a time while a
    // refusal would be a question, so that nobody is offered after a No.
    if (m_options.optionsConfirmed &&
        lane.perConnection + static_cast<int>(lane.offered.size()) < m_options.bulkGroupSize) {
        return Step::Continue;
    }
    return offerBulkRecipients(lane);
}

SendSession::Step SendSession::offerBulkRecipients(Lane& lane)
{
    while (!lane.offered.empty()) {
        const auto batch = std::exchange(lane.offered, {});
        std::vector<std::string> addresses;
        addresses.reserve(batch.size());
        for (const auto& entry : batch) {
            addresses.push_back(entry.address);
        }
        auto replies = lane.channel.addRecipients(addresses);
        Step step = Step::Continue;
        bool full = false; // the server takes no more recipients for this message
        bool gone = false; // the connection went with a reply: the later ones never came
        for (std::size_t i = 0; i < batch.size(); ++i) {
            if (step != Step::Continue) {
                lane.bulk.push_back(batch[i]); // not mailed: the session's end logs them as errors
            } else if (gone || (replies[i].code == kTooManyRecipients && !lane.bulk.empty())) {
                // Offered again on a new connection, or in a new transaction once this message has gone.
                lane.offered.push_back(batch[i]);
                full = full || !gone;
            } else {
                step = takeBulkReply(lane, batch[i].address, batch[i].attempt, replies[i]);
                gone = replies[i].code <= 0 || replies[i].code == kServiceClosing;
            }
        }
        if (step != Step::Continue || !lane.channel.isConnected()) {
            return step;
        }
        if (full) {
            transmitBulk(lane);
            lane.perConnection = 0;
            if (!lane.channel.isConnected()) {
                return reconnect(lane, true);
            }
            lane.channel.startTransaction(m_options.senderAddress);
        }
    }
    return Step::Continue;
}

SendSession::Step SendSession::takeBulkReply(Lane& lane, std::string_view address, int attempt,
                                             const RecipientReply& reply)
{
    if (reply.isRejected()) {
        if (reply.isTransient() && deferRecipient({}, address, attempt, replyReason(reply.code, reply.text))) {
            if (reply.code == kServiceClosing || !lane.channel.isConnected()) {
                // Those gathered so far go with the connection; they are sent again later.
                deferPendingBulk(lane, replyReason(reply.code, reply.text));
                lane.perConnection = 0;
                lane.channel.disconnect(DisconnectReason::Normal);
            }
            return Step::Continue;
        }
        recordError(address);
        if (!askAfterRecipientError(lane, reply)) {
            return Step::StopAfterError;
        }
    } else {
        lane.bulk.push_back({std::string(address), attempt});
        ++lane.perConnection;
    }
    if (lane.perConnection >= m_options.bulkGroupSize) {
        transmitBulk(lane);
        lane.perConnection = 0;
        return reconnect(lane, true);
    }
    return Step::Continue;
}

SendSession::Step SendSession::reconnect(Lane& lane, bool bulk)
{
    if (stopHere()) {
        return Step::UserStop;
    }
    lane.channel.disconnect(DisconnectReason::Normal);
    m_progress.setLabel(text::kReconnecting);
    if (!connectWithBackOff(lane)) {
        return stopRequested() ? Step::UserStop : Step::Error;
    }
    if (bulk) {
        lane.channel.startTransaction(m_options.senderAddress);
    }
    return Step::Continue;
}

void SendSession::transmitBulk(Lane& lane)
{
    if (m_rate && !m_rate->acquire(m_stop)) {
        failPendingBulk(lane); // stopped while waiting for its turn: the message does not go
        return;
    }
    m_progress.setLabel(text::kSendingMailMessage);
    lane.channel.setTransmitting(true);
    auto message = buildMessage(lane, store::RecipientRecord{});
    TransmitOutcome outcome = TransmitOutcome::Failed;
    if (message) {
        outcome = lane.channel.transmit(*message, lane.bulk.front().address);
    } else {
        logBoth(std::string(text::kMimeErrorPrefix) + errorText(message.error()));
        lane.channel.abortTransaction();
    }
    lane.channel.setTransmitting(false);
    if (outcome == TransmitOutcome::Sent) {
        count(&SendCounters::sent, static_cast<std::int64_t>(lane.bulk.size()));
        std::vector<std::string_view> addresses;
        addresses.reserve(lane.bulk.size());
        for (const auto& entry : lane.bulk) {
            addresses.push_back(entry.address);
        }
        m_logs.sent().writeLines(addresses);
        lane.bulk.clear();
    } else if (outcome == TransmitOutcome::Deferred) {
        deferPendingBulk(lane, transmitReason(lane));
        afterTransientReply(lane);
    } else if (outcome == TransmitOutcome::Interrupted) {
        for (const auto& entry : lane.bulk) {
            recordUnknownOutcome(entry.address);
        }
        lane.bulk.clear();
    } else {
        failPendingBulk(lane);
    }
}

std::string SendSession::transmitReason(const Lane& lane) const
{
    return replyReason(lane.channel.isConnected() ? lane.channel.lastReplyCode() : 0, lane.channel.lastReplyText());
}

void SendSession::deferPendingBulk(Lane& lane, std::string_view reason)
{
    for (const auto& entry : lane.bulk) {
        if (!deferRecipient({}, entry.address, entry.attempt, reason)) {
            recordError(entry.address);
        }
    }
    lane.bulk.clear();
}

void SendSession::recordUnknownOutcome(std::string_view address)
{
    // Sending it again could mail this person twice.
    count(&SendCounters::errors);
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

void SendSession::abandonBulk(Lane& lane)
{
    lane.bulk.insert(lane.bulk.end(), lane.offered.begin(), lane.offered.end());
    lane.offered.clear();
    failPendingBulk(lane);
}

void SendSession::failPendingBulk(Lane& lane)
{
    // Everybody the failed message was for is an error, so the loss shows in the counters and in
    // the recipient errors log.
    for (const auto& entry : lane.bulk) {
        recordError(entry.address);
    }
    lane.bulk.clear();
}

bool SendSession::finish(SendResult result)
{
    // Whoever was gathered or waiting for another try when the session ended is not mailed.
    for (const auto& lane : m_lanes) {
        abandonBulk(*lane);
    }
    failRetries();
    (void)m_group.close();
    m_blockList.clear();
    m_exclusions.clear();
    for (const auto& lane : m_lanes) {
        if (!lane->channel.isConnected()) {
            continue;
        }
        switch (result) {
        case SendResult::StoppedByUser:
            lane->channel.disconnect(DisconnectReason::UserStop);
            break;
        case SendResult::EndedByError:
            lane->channel.disconnect(DisconnectReason::ErrorStop);
            break;
        default:
            lane->channel.disconnect(DisconnectReason::EndOfSession);
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
