#pragma once

#include "common/Progress.h"
#include "common/Prompter.h"
#include "mailing/LogSink.h"
#include "mailing/RelayPool.h"
#include "mailing/SendChannel.h"
#include "mailing/SessionOptions.h"
#include "net/PopClient.h"
#include "net/SmtpClient.h"
#include "settings/Settings.h"

#include <atomic>
#include <string>
#include <string_view>

namespace tidecast::mailing
{

// Where the channel writes its account of the mailing.
struct ChannelSinks
{
    LogSink& activity;  // the send dialog's activity list
    LogSink& session;   // "session.log"
    LogSink& lastError; // the last-error record of the statistics: each line replaces the one before
    Progress& progress; // label: the send dialog's command label; value/maximum: bytes of the message
    Prompter& prompter;
};

// The send session's connection to the mail servers over our own SMTP and POP3 clients. It logs
// every step the way the send dialog shows it, asks nothing while the options were confirmed, and
// turns the clients' errors into log lines. Stop may be requested from another thread: a
// connection being made is then cancelled.
class SmtpSendChannel final : public SendChannel
{
public:
    // Uses bulkMode, dsn and optionsConfirmed of the options.
    SmtpSendChannel(const settings::Settings& settings, const SessionOptions& options, ChannelSinks sinks);
    ~SmtpSendChannel() override;
    SmtpSendChannel(const SmtpSendChannel&) = delete;
    SmtpSendChannel& operator=(const SmtpSendChannel&) = delete;

    // Checks mail first when POP3 authentication is on, then connects and says hello to the SMTP
    // server; true when the session is usable. Asks for delivery status notification if wanted.
    bool connect() override;
    bool isConnected() const override { return m_smtp.isSessionEstablished(); }
    bool startTransaction(std::string_view sender) override;
    void announceMessage(const ByteChain& message) override { m_announced = &message; }
    RecipientReply addRecipient(std::string_view address) override;
    // With PIPELINING every RCPT TO leaves in one write: a bulk message costs one round trip for
    // all its recipients.
    std::vector<RecipientReply> addRecipients(std::span<const std::string> addresses) override;
    TransmitOutcome transmit(const ByteChain& message, std::string_view recipientAddress) override;
    void abortTransaction() override
    {
        m_announced = nullptr;
        (void)m_smtp.abort();
    }
    void disconnect(DisconnectReason reason) override;
    void setTransmitting(bool transmitting) override { m_transmitting = transmitting; }
    void requestStop() override;
    int lastReplyCode() const override { return m_smtp.replyCode(); }
    std::string lastReplyText() const override { return m_smtp.replyText(); }
    void reportConnectFailures(bool report) override { m_reportConnectFailures = report; }
    std::string host() const override { return m_smtp.host(); }
    std::optional<Error> sessionBlocker() const override { return m_blocker; }

    // Connects to the pool's relays, this channel's share of them, instead of the settings' server.
    void useRelays(RelayPool& relays, std::size_t channelIndex)
    {
        m_relays = &relays;
        m_channelIndex = channelIndex;
    }

    // Disconnects and connects again; in bulk mode a new transaction is started for the sender.
    bool reconnect(std::string_view bulkSender = {});

    // False after the server turned out not to offer delivery status notification.
    bool isDsnRequested() const { return m_dsn; }

    // The clients, to look at their state.
    const net::SmtpClient& smtpClient() const { return m_smtp; }
    const net::PopClient& popClient() const { return m_pop; }

private:
    void logBoth(std::string_view line);
    // The connection message's line about the server's reply, or why there was none.
    std::string whatTheServerSaid() const;
    void noteBlockingReply();
    bool exceedsSizeLimit(const ByteChain& message) const;
    // Logs the recipient before it is offered (or its reply read), and then the reply it got.
    void announceRecipient(std::string_view address);
    RecipientReply recipientReply(bool accepted, bool messageLeaves);
    void logInToPopServer();
    // Connects and says hello to m_server; true when the session is usable.
    bool connectToServer();
    void enableDsn();
    // Nothing: the data went; otherwise why it did not.
    std::optional<TransmitOutcome> writeMessageData(const ByteChain& message, std::string_view recipientAddress);
    TransmitOutcome endOfMessage();
    void onClientError(const net::ClientError& error);

    net::SmtpClient m_smtp;
    net::PopClient m_pop;
    const settings::Settings& m_settings;
    ChannelSinks m_sinks;
    std::atomic<bool> m_stopRequested = false;
    std::atomic<bool> m_connecting = false;
    const ByteChain* m_announced = nullptr;
    bool m_transmitting = false;
    bool m_bulkMode = false;
    bool m_dsn = false;
    bool m_optionsConfirmed = false;
    bool m_reportConnectFailures = true;
    bool m_bulkInvalidRecipient = false;
    std::optional<Error> m_blocker;
    RelayPool* m_relays = nullptr;
    std::size_t m_channelIndex = 0;
    Relay m_server; // of the connection made last
};

} // namespace tidecast::mailing
