#include "mailing/SmtpSendChannel.h"

#include "common/Text.h"
#include "net/SmtpErrors.h"

#include <algorithm>
#include <utility>

namespace tidecast::mailing
{

namespace
{

constexpr std::size_t kWriteChunk = 4096;
constexpr int kTooManyRecipients = 452;
constexpr int kDefaultPort = 25;
constexpr int kDefaultTimeoutSeconds = 30;
// The message box after a refused message names the builder's step, which is always the first here.
constexpr std::string_view kBuildStepSuffix = " - hError=0";
constexpr std::string_view kInternetHint =
    "**** Please make sure that you have an active Internet Connection before trying again.";

// Sets a flag for the length of a scope and puts the old value back.
class FlagScope
{
public:
    FlagScope(bool& flag, bool value)
        : m_flag(flag)
        , m_old(flag)
    {
        m_flag = value;
    }
    ~FlagScope() { m_flag = m_old; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
    bool m_old;
};

std::uint16_t portOrDefault(int port)
{
    return static_cast<std::uint16_t>(port > 0 && port <= 65535 ? port : kDefaultPort);
}

bool isConnectionLoss(int number)
{
    return number == net::smtp_error::kConnectionClosed || number == net::smtp_error::kConnectionLost;
}

bool isTransientReply(int code)
{
    return code >= 400 && code < 500;
}

} // namespace

SmtpSendChannel::SmtpSendChannel(const settings::Settings& settings, const SessionOptions& options, ChannelSinks sinks)
    : m_settings(settings)
    , m_sinks(sinks)
    , m_bulkMode(options.bulkMode)
    , m_dsn(options.dsn)
    , m_optionsConfirmed(options.optionsConfirmed)
{
    m_smtp.setErrorHandler([this](const net::ClientError& error) { onClientError(error); });
}

SmtpSendChannel::~SmtpSendChannel()
{
    m_smtp.setErrorHandler({});
}

void SmtpSendChannel::logBoth(std::string_view line)
{
    m_sinks.activity.writeLine(line);
    m_sinks.session.writeLine(line);
}

void SmtpSendChannel::requestStop()
{
    m_stopRequested = true;
    if (m_connecting) {
        m_smtp.cancel();
        m_pop.cancel();
    }
}

bool SmtpSendChannel::connect()
{
    m_connecting = true;
    m_sinks.progress.setLabel("Connecting to Email Server..");

    if (m_settings.smtpAuthentication) {
        m_smtp.setCredentials(m_settings.smtpUsername, m_settings.smtpPassword);
    } else {
        m_smtp.setCredentials({}, {});
    }
    m_smtp.setSecurity(net::parseSecurity(m_settings.security));
    m_smtp.setCaFile(m_settings.certificateAuthorityFile);

    if (m_settings.pop3Authentication) {
        m_sinks.session.writeLine("Checking Mail on " + m_settings.pop3Server);
        m_sinks.activity.writeLine("C> Checking Mail on " + m_settings.pop3Server);
        logInToPopServer();
        m_pop.clearLastError();
    }

    m_smtp.setTimeout(m_settings.timeout > 0 ? m_settings.timeout : kDefaultTimeoutSeconds);
    // With several relays, one that refuses is left for the next; the connection fails only
    // when none of those that are not resting takes it.
    bool usable = false;
    const std::size_t relays = m_relays != nullptr ? m_relays->size() : 0;
    for (std::size_t tried = 0; tried < std::max<std::size_t>(relays, 1); ++tried) {
        std::optional<std::size_t> relayIndex;
        m_server = Relay{m_settings.smtpServer, portOrDefault(m_settings.smtpPort)};
        if (relays > 0) {
            relayIndex = m_relays->pick(m_channelIndex);
            if (tried > 0 && m_relays->isResting(*relayIndex)) {
                break;
            }
            m_server = m_relays->relay(*relayIndex);
        }
        usable = connectToServer();
        if (relayIndex && !m_stopRequested) {
            if (usable) {
                m_relays->succeeded(*relayIndex);
            } else {
                m_relays->failed(*relayIndex); // it rests while the other relays carry on
            }
        }
        if (usable || m_stopRequested) {
            break;
        }
    }
    if (usable) {
        enableDsn();
    }
    if (!usable && !m_stopRequested && m_reportConnectFailures) {
        m_sinks.prompter.message("Unable to establish a valid connection with " + m_server.host + "\r\n\r\n" +
                                     whatTheServerSaid() +
                                     ".\r\nTidecast Expected a 250 SMTP Reply Code\r\n\r\n"
                                     "Please verify that you are using the correct Mail Server then\r\n"
                                     "make sure that you are online before you try again.",
                                 Icon::Critical);
        if (m_smtp.replyCode() <= 0) {
            m_sinks.activity.writeLine(kInternetHint);
            m_sinks.session.writeLine("");
            m_sinks.session.writeLine(kInternetHint);
            m_sinks.session.writeLine("");
        }
    }

    m_connecting = false;
    return usable;
}

bool SmtpSendChannel::connectToServer()
{
    m_smtp.setPort(m_server.port);
    m_sinks.session.writeLine("Connecting to " + m_server.host);
    m_sinks.activity.writeLine("C> Connecting to " + m_server.host);
    m_smtp.setHost(m_server.host);
    if (m_stopRequested) {
        return false;
    }
    if (!m_settings.domain.empty()) {
        m_smtp.setHeloDomain(m_settings.domain);
    }
    (void)m_smtp.connect();
    if (m_smtp.replyCode() <= 0) {
        logBoth("CS> No result code returned from server");
    } else {
        logBoth("S> " + std::to_string(m_smtp.replyCode()) + " " + m_smtp.replyText());
    }
    return !m_stopRequested && (m_smtp.replyCode() == 250 || m_smtp.isSessionEstablished());
}

std::string SmtpSendChannel::whatTheServerSaid() const
{
    const auto& error = m_smtp.lastError();
    if (m_smtp.replyCode() > 0 || !error) {
        return "The Server said: " + std::to_string(m_smtp.replyCode()) + " " + m_smtp.replyText();
    }
    // No reply at all: which server and port, and why.
    if (error->number == net::smtp_error::kTimeout) {
        const int seconds = m_settings.timeout > 0 ? m_settings.timeout : kDefaultTimeoutSeconds;
        return m_server.host + ":" + std::to_string(m_server.port) + " did not answer within " +
               std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
    }
    return error->description;
}

void SmtpSendChannel::logInToPopServer()
{
    if (m_pop.state() != net::PopClient::State::Idle) {
        m_pop.reset();
    }
    m_pop.disconnect();
    m_pop.setUsername(m_settings.pop3Username);
    m_pop.setPassword(m_settings.pop3Password);
    m_pop.setHost(m_settings.pop3Server);
    m_pop.setPort(static_cast<std::uint16_t>(
        m_settings.pop3Port > 0 && m_settings.pop3Port <= 65535 ? m_settings.pop3Port : 110));
    m_pop.setTimeout(m_settings.timeout > 0 ? m_settings.timeout : kDefaultTimeoutSeconds);
    m_pop.setSecurity(net::parseSecurity(m_settings.security));
    m_pop.setCaFile(m_settings.certificateAuthorityFile);
    (void)m_pop.login();
    const std::string line =
        "There are " + std::to_string(m_pop.messageCount()) + " message(s) on " + m_settings.pop3Server;
    m_sinks.session.writeLine(line);
    m_sinks.activity.writeLine("C> " + line);
    m_pop.disconnect();
}

void SmtpSendChannel::enableDsn()
{
    if (!m_dsn) {
        return;
    }
    if (m_smtp.requestDsn()) {
        logBoth("Delivery Status Notification Enabled");
    } else {
        m_smtp.clearLastError();
        logBoth("Delivery Status Notification is Not supported by your Mail Server");
        m_dsn = false;
    }
}

bool SmtpSendChannel::startTransaction(std::string_view sender)
{
    m_sinks.progress.setLabel("Initiating Mail Transaction");
    logBoth("Initiating Mail Transaction");
    logBoth("Message From: <" + std::string(sender) + ">");
    const bool started = m_smtp.startTransaction(sender);
    noteBlockingReply();
    return started;
}

RecipientReply SmtpSendChannel::addRecipient(std::string_view address)
{
    // A message over the server's limit stays behind: transmit() ends the mailing with it.
    const ByteChain* message = std::exchange(m_announced, nullptr);
    if (message != nullptr && (m_bulkMode || exceedsSizeLimit(*message))) {
        message = nullptr;
    }
    // With CHUNKING the whole message leaves with the recipient: once it has, a reply that never
    // comes leaves open whether it was delivered.
    const bool messageLeaves = message != nullptr && m_smtp.capabilities().pipelining && m_smtp.capabilities().chunking;
    announceRecipient(address);
    return recipientReply(m_smtp.addRecipient(address, message), messageLeaves);
}

std::vector<RecipientReply> SmtpSendChannel::addRecipients(std::span<const std::string> addresses)
{
    m_smtp.clearLastError();
    if (addresses.size() < 2 || !m_smtp.sendRecipients(addresses)) {
        return SendChannel::addRecipients(addresses);
    }
    std::vector<RecipientReply> replies;
    for (const auto& address : addresses) {
        announceRecipient(address);
        replies.push_back(recipientReply(m_smtp.readRecipientReply(), false));
    }
    return replies;
}

void SmtpSendChannel::announceRecipient(std::string_view address)
{
    m_sinks.progress.setLabel("Identifying Recipient");
    logBoth("C> RCPT TO: <" + std::string(address) + ">");
    m_bulkInvalidRecipient = false;
    m_smtp.clearLastError();
}

RecipientReply SmtpSendChannel::recipientReply(bool accepted, bool messageLeaves)
{
    if (!(m_bulkMode && m_bulkInvalidRecipient)) {
        logBoth("S> " + std::to_string(m_smtp.replyCode()) + " " + m_smtp.replyText());
    }
    noteBlockingReply();
    const auto& error = m_smtp.lastError();
    if (!accepted && error &&
        (isConnectionLoss(error->number) || error->number == net::smtp_error::kTimeout ||
         error->number == net::smtp_error::kNotConnected)) {
        // No reply: whatever the last one was, it was not this recipient's.
        RecipientReply lost{0, {}, false};
        lost.outcomeUnknown = messageLeaves && error->number != net::smtp_error::kNotConnected;
        return lost;
    }
    return RecipientReply{m_smtp.replyCode(), m_smtp.replyText(), m_bulkInvalidRecipient};
}

void SmtpSendChannel::noteBlockingReply()
{
    // 530: the server takes no mail at all without TLS (or without a log-in) on this connection.
    // Every further recipient would fail the same way, so the session ends with what to change.
    if (m_blocker || m_smtp.replyCode() != 530) {
        return;
    }
    const auto reply = "530 " + m_smtp.replyText();
    std::string text;
    if (toLowerAscii(reply).find("tls") != std::string::npos) {
        text = "The mail server " + m_smtp.host() + " accepts mail only over an encrypted connection (" + reply +
               "). Turn on STARTTLS in the Server Setup (Security: starttls) and send again.";
    } else {
        text = "The mail server " + m_smtp.host() + " accepts mail only after a log-in (" + reply +
               "). Turn on SMTP authentication in the Server Setup and send again.";
    }
    m_blocker = Error{ErrorCode::Protocol, std::move(text), 530};
}

bool SmtpSendChannel::exceedsSizeLimit(const ByteChain& message) const
{
    const auto limit = m_smtp.capabilities().maxSize;
    return limit > 0 && message.size() > limit;
}

TransmitOutcome SmtpSendChannel::transmit(const ByteChain& message, std::string_view recipientAddress)
{
    // A server that announced its SIZE limit would refuse a larger message only after the upload;
    // since every message of the mailing is about as large, the mailing ends here instead.
    if (exceedsSizeLimit(message)) {
        const auto limit = m_smtp.capabilities().maxSize;
        m_blocker = Error{ErrorCode::Protocol,
                          "The message (" + std::to_string(message.size()) + " bytes) is larger than the mail server " +
                              m_smtp.host() + " accepts (" + std::to_string(limit) + " bytes).",
                          net::smtp_error::kMessageTooLarge};
        m_sinks.session.writeLine("CS> " + m_blocker->detail);
        (void)m_smtp.abort();
        return TransmitOutcome::Failed;
    }
    // The next transaction announces about this size with SIZE (the server checks it at once).
    m_smtp.setMessageSizeHint(message.size());
    if (const auto failed = writeMessageData(message, recipientAddress)) {
        return *failed;
    }
    return endOfMessage();
}

std::optional<TransmitOutcome> SmtpSendChannel::writeMessageData(const ByteChain& message,
                                                                 std::string_view recipientAddress)
{
    FlagScope transmitting(m_transmitting, true);
    m_sinks.progress.setLabel("Sending Message ....");
    logBoth("Sending Message");
    const auto maximum = static_cast<std::int64_t>(message.size()) + 1;
    m_sinks.progress.setMaximum(maximum);
    m_sinks.progress.setValue(0);
    std::int64_t written = 0;
    for (std::string_view text : message.pieces()) {
        while (!text.empty()) {
            const int n = m_smtp.writeData(text, kWriteChunk);
            if (n < 0) {
                const auto error = m_smtp.lastError().value_or(net::ClientError{});
                m_smtp.clearLastError();
                std::string description = error.description;
                if (error.number == net::smtp_error::kInvalidRecipient) {
                    description = "Invalid Recipient Email Address - " + std::string(recipientAddress);
                }
                const std::string line = description + " - " + std::to_string(error.number);
                logBoth("S> " + line);
                m_sinks.lastError.writeLine("x-Send: " + line);
                // Before the end of the message nothing was delivered: a reply that may pass or
                // a lost connection leaves the message to be sent again.
                const bool mayPass = error.number == net::smtp_error::kDataRejected
                                         ? isTransientReply(m_smtp.replyCode())
                                         : error.number != net::smtp_error::kInvalidRecipient &&
                                               error.number != net::smtp_error::kRecipientRejected &&
                                               error.number != net::smtp_error::kSenderRejected;
                return mayPass ? TransmitOutcome::Deferred : TransmitOutcome::Failed;
            }
            written += n;
            m_sinks.progress.setValue(written);
            text.remove_prefix(static_cast<std::size_t>(n));
        }
    }
    m_sinks.progress.setValue(maximum);
    return std::nullopt;
}

TransmitOutcome SmtpSendChannel::endOfMessage()
{
    FlagScope transmitting(m_transmitting, true);
    if (m_smtp.failureIndicator() == 0 && m_smtp.endMessage()) {
        logBoth("Message sent");
        return TransmitOutcome::Sent;
    }
    const auto error = m_smtp.lastError();
    m_smtp.clearLastError();
    // A connection that died is not the message's fault: the session reconnects and goes on.
    if (!error || error->number == 0 || isConnectionLoss(error->number)) {
        logBoth("ERR: Your connection to the Mail Server has been interrupted - attempting to reconnect....");
        m_sinks.lastError.writeLine(
            "Your connection to the Mail Server has been interrupted ...attepting to reconnect.");
        return TransmitOutcome::Interrupted;
    }
    const std::string text = "MessageSend Error: " + error->description + " - " + std::to_string(error->number);
    if (error->number == net::smtp_error::kDataRejected && isTransientReply(m_smtp.replyCode())) {
        logBoth(text);
        return TransmitOutcome::Deferred;
    }
    if (!m_optionsConfirmed) {
        m_sinks.prompter.message(text + std::string(kBuildStepSuffix), Icon::Critical);
    }
    logBoth(text);
    m_sinks.lastError.writeLine("MessageSend: " + error->description + " - " + std::to_string(error->number));
    return TransmitOutcome::Failed;
}

void SmtpSendChannel::disconnect(DisconnectReason reason)
{
    if (!m_smtp.isSessionEstablished()) {
        return;
    }
    if (reason == DisconnectReason::UserStop) {
        (void)m_smtp.abort();
    }
    logBoth("Disconnecting");
    m_sinks.progress.setLabel("Disconnecting from Server");
    m_smtp.disconnect();
    logBoth("Disconnected");
    if (reason != DisconnectReason::Normal) {
        m_sinks.progress.setLabel("Disconnected from Server");
    }
}

bool SmtpSendChannel::reconnect(std::string_view bulkSender)
{
    disconnect(DisconnectReason::Normal);
    m_sinks.progress.setLabel("Re-connecting To Server");
    if (!connect()) {
        return false;
    }
    if (m_bulkMode) {
        return startTransaction(bulkSender);
    }
    return true;
}

void SmtpSendChannel::onClientError(const net::ClientError& error)
{
    if (m_stopRequested || m_transmitting) {
        return;
    }
    if (error.number == net::smtp_error::kRecipientRejected) {
        // 452: this message has all the recipients the server takes; the address itself is fine
        // and goes into the next transaction. Another "4xx" may pass and is tried again later.
        // The session log shows the server's own reply.
        if (m_bulkMode && !isTransientReply(m_smtp.replyCode())) {
            logBoth("CS> Invalid Recipient Email Address");
            m_bulkInvalidRecipient = true;
        }
        return;
    }
    if (error.number == net::smtp_error::kCancelled) {
        return;
    }
    if (isConnectionLoss(error.number)) {
        m_smtp.disconnect();
    }
    logBoth("CS> " + std::to_string(error.number) + " - " + error.description);
}

} // namespace tidecast::mailing
