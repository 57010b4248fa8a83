#include "mailing/Mailing.h"

#include "common/IdSource.h"
#include "common/Text.h"
#include "mailing/BuilderMessageSource.h"
#include "mailing/GroupReader.h"
#include "mailing/LogSink.h"
#include "mailing/PipelinedMessageSource.h"
#include "mailing/SendStatistics.h"
#include "mailing/SendTexts.h"
#include "mailing/SmtpSendChannel.h"
#include "outgoing/MessageBuilder.h"
#include "outgoing/OutgoingMessage.h"
#include "store/GroupNames.h"

#include <optional>

namespace tidecast::mailing
{

struct Mailing::Parts
{
    Parts(const MailingSetup& setup, Prompter& prompter, Progress& progress, SendMonitor& monitor)
        : options(sessionOptions(setup.options, setup.dataDir, setup.settingsFile))
        , sessionSink(logs.session())
        , activity(monitor)
        , lastError(setup.settingsFile)
        , channel(setup.settings, options, {activity, sessionSink, lastError, progress, prompter})
    {}

    SessionOptions options;
    SendLogs logs;
    FileLogSink sessionSink;
    MonitorLogSink activity;
    LastErrorLogSink lastError;
    SmtpSendChannel channel;
    SystemIdSource ids;
    std::optional<outgoing::MessageBuilder> builder;
    std::unique_ptr<MessageSource> messages; // after the builder: it uses it until destroyed
    std::optional<SendSession> session;
};

Mailing::Mailing(MailingSetup setup, Prompter& prompter, Progress& progress, SendMonitor& monitor, const Clock& clock)
    : m_setup(std::move(setup))
    , m_prompter(prompter)
    , m_progress(progress)
    , m_monitor(monitor)
    , m_clock(clock)
{
    // The server chosen for this mailing in the options wins over the configured one.
    if (!m_setup.options.smtpServer.empty()) {
        m_setup.settings.smtpServer = m_setup.options.smtpServer;
    }
    m_parts = std::make_unique<Parts>(m_setup, m_prompter, m_progress, m_monitor);
    m_parts->options.retryAttempts = m_setup.settings.retryAttempts;
    m_parts->options.rateLimit = m_setup.settings.rateLimit;
}

Mailing::~Mailing() = default;

bool Mailing::askAboutMissingAttachments()
{
    auto& attachments = m_setup.message.attachments;
    for (auto entry = attachments.begin(); entry != attachments.end();) {
        const std::string path(trimBlanks(*entry));
        std::error_code ec;
        if (path.empty() || std::filesystem::is_regular_file(path, ec)) {
            ++entry;
            continue;
        }
        if (m_prompter.ask(text::missingAttachmentQuestion(path), Buttons::YesNo, Icon::Exclamation, Answer::No) !=
            Answer::Yes) {
            return false;
        }
        entry = attachments.erase(entry);
    }
    return true;
}

bool Mailing::run(std::stop_token stop)
{
    return prepare() && m_parts->session->run(stop);
}

bool Mailing::run(StopControl& control)
{
    return prepare() && m_parts->session->run(control);
}

bool Mailing::prepare()
{
    // Before the first message, not as a line in the log of a mailing that looks successful.
    if (!askAboutMissingAttachments()) {
        return false;
    }
    auto builder = outgoing::MessageBuilder::create(outgoingMessage(m_setup.message, m_setup.options), m_setup.settings,
                                                    m_clock, m_parts->ids);
    if (!builder) {
        m_prompter.message(builder.error().detail, Icon::Critical);
        return false;
    }
    m_parts->builder.emplace(std::move(*builder));
    m_parts->messages = messageSource();
    m_parts->session.emplace(m_parts->options, m_parts->channel, *m_parts->messages, m_parts->logs, m_prompter,
                             m_progress, m_monitor, m_clock);
    if (m_sleeper != nullptr) {
        m_parts->session->setSleeper(*m_sleeper);
    }
    return true;
}

std::unique_ptr<MessageSource> Mailing::messageSource()
{
    auto* parts = m_parts.get();
    outgoing::ActivitySink activity = [parts](std::string_view line) {
        parts->activity.writeLine(line);
        parts->sessionSink.writeLine(line);
    };
    auto& builder = *m_parts->builder;
    // A signature costs several times what building the message does: signed personal messages
    // are built and signed ahead on worker threads while the one before is sent. A bulk mailing
    // builds one message per transaction and gains nothing from it.
    if (m_parts->options.bulkMode || !builder.signsMessages()) {
        return std::make_unique<BuilderMessageSource>(builder, m_progress, std::move(activity));
    }
    auto reader = std::make_shared<GroupReader>(m_parts->options.dataDir /
                                                (m_parts->options.groupName + std::string(store::kGroupExtension)));
    return std::make_unique<PipelinedMessageSource>(
        [&builder](const store::RecipientRecord& recipient, Progress& progress, const outgoing::ActivitySink& lines) {
            return builder.composeMessage(recipient, progress, lines);
        },
        [&builder](outgoing::UnsignedMessage message) { return builder.signMessage(std::move(message)); },
        [reader](std::int64_t number) { return reader->read(number); }, m_progress, std::move(activity));
}

SendResult Mailing::result() const
{
    return m_parts->session ? m_parts->session->result() : SendResult::None;
}

SendSummary Mailing::summary() const
{
    if (!m_parts->session) {
        SendSummary summary;
        summary.subject = m_setup.message.subject;
        summary.groupName = m_setup.options.groupName;
        summary.groupSize = m_setup.options.recipientCount;
        return summary;
    }
    auto summary = summarise(*m_parts->session, m_setup.message.subject);
    // A session that ended before it opened the group still reports the size the options counted.
    if (summary.groupSize == 0) {
        summary.groupSize = m_setup.options.recipientCount;
    }
    return summary;
}

} // namespace tidecast::mailing
