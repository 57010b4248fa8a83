#include "mailing/Mailing.h"

#include "common/IdSource.h"
#include "common/Text.h"
#include "mailing/BuilderMessageSource.h"
#include "mailing/LogSink.h"
#include "mailing/SendStatistics.h"
#include "mailing/SendTexts.h"
#include "mailing/SmtpSendChannel.h"
#include "outgoing/MessageBuilder.h"
#include "outgoing/OutgoingMessage.h"

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
    std::optional<BuilderMessageSource> messages;
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
    auto* parts = m_parts.get();
    m_parts->messages.emplace(*m_parts->builder, m_progress, [parts](std::string_view line) {
        parts->activity.writeLine(line);
        parts->sessionSink.writeLine(line);
    });
    m_parts->session.emplace(m_parts->options, m_parts->channel, *m_parts->messages, m_parts->logs, m_prompter,
                             m_progress, m_monitor, m_clock);
    return m_parts->session->run(stop);
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
