#include "mailing/Mailing.h"

#include "common/IdSource.h"
#include "common/Text.h"
#include "mailing/BuilderMessageSource.h"
#include "mailing/GroupReader.h"
#include "mailing/LogSink.h"
#include "mailing/PipelinedMessageSource.h"
#include "mailing/SendStatistics.h"
#include "mailing/SendTexts.h"
#include "mailing/SerialSinks.h"
#include "mailing/SmtpSendChannel.h"
#include "outgoing/MessageBuilder.h"
#include "outgoing/OutgoingMessage.h"
#include "settings/SetupForms.h"
#include "store/GroupNames.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace tidecast::mailing
{

namespace
{

constexpr std::uint16_t kSmtpPort = 25;

// The server of the settings ("host" or "host:port") and the extra servers after it.
std::vector<Relay> serverRelays(const settings::Settings& settings)
{
    const auto port =
        static_cast<std::uint16_t>(settings.smtpPort > 0 && settings.smtpPort <= 65535 ? settings.smtpPort : kSmtpPort);
    std::vector<Relay> relays;
    if (auto main = parseRelay(settings.smtpServer, port)) {
        relays.push_back(std::move(*main));
    } else {
        relays.push_back({settings.smtpServer, port}); // its connection fails and says why
    }
    for (auto& extra : parseRelays(settings.extraServers, port)) {
        relays.push_back(std::move(extra));
    }
    return relays;
}

} // namespace

struct Mailing::Parts
{
    Parts(const MailingSetup& setup, Prompter& outerPrompter, Progress& outerProgress, SendMonitor& outerMonitor,
          const Clock& clock)
        : options(sessionOptions(setup.options, setup.dataDir, setup.settingsFile))
        , prompter(outerPrompter)
        , progress(outerProgress)
        , monitor(outerMonitor)
        , sessionSink(logs.session())
        , activity(monitor)
        , lastErrorFile(setup.settingsFile)
        , lastError(lastErrorFile)
        , relays(serverRelays(setup.settings), clock)
    {
        options.retryAttempts = setup.settings.retryAttempts;
        options.rateLimit = setup.settings.rateLimit;
        const int count = std::clamp(setup.settings.connections, 1, settings::kMaxConnections);
        for (int i = 0; i < count; ++i) {
            channels.push_back(std::make_unique<SmtpSendChannel>(
                setup.settings, options, ChannelSinks{activity, sessionSink, lastError, progress, prompter}));
            channels.back()->useRelays(relays, static_cast<std::size_t>(i));
        }
    }

    std::vector<SendChannel*> channelList() const
    {
        std::vector<SendChannel*> list;
        for (const auto& channel : channels) {
            list.push_back(channel.get());
        }
        return list;
    }

    SessionOptions options;
    // The connections share these, one call at a time.
    SerialPrompter prompter;
    SerialProgress progress;
    SerialMonitor monitor;
    SendLogs logs;
    FileLogSink sessionSink;
    MonitorLogSink activity;
    LastErrorLogSink lastErrorFile;
    SerialLogSink lastError;
    RelayPool relays;
    std::vector<std::unique_ptr<SmtpSendChannel>> channels;
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
    m_parts = std::make_unique<Parts>(m_setup, m_prompter, m_progress, m_monitor, m_clock);
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
    m_parts->session.emplace(m_parts->options, m_parts->channelList(), *m_parts->messages, m_parts->logs,
                             m_parts->prompter, m_parts->progress, m_parts->monitor, m_clock);
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
        return std::make_unique<BuilderMessageSource>(builder, m_parts->progress, std::move(activity));
    }
    auto reader = std::make_shared<GroupReader>(m_parts->options.dataDir /
                                                (m_parts->options.groupName + std::string(store::kGroupExtension)));
    return std::make_unique<PipelinedMessageSource>(
        [&builder](const store::RecipientRecord& recipient, Progress& progress, const outgoing::ActivitySink& lines) {
            return builder.composeMessage(recipient, progress, lines);
        },
        [&builder](outgoing::UnsignedMessage message) { return builder.signMessage(std::move(message)); },
        [reader](std::int64_t number) { return reader->read(number); }, m_parts->progress, std::move(activity));
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
