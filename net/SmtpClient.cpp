#include "net/SmtpClient.h"

#include "common/MailAddress.h"
#include "net/SmtpErrors.h"
#include "net/SmtpHandshake.h"

#include <asio/ip/host_name.hpp>
#include <openssl/rand.h>

#include <algorithm>
#include <utility>

namespace tidecast::net
{

namespace
{

// Message text leaves in pieces of about this size; the tail goes out together with the end mark.
constexpr std::size_t kDataFlushSize = 4096;
constexpr int kDefaultTimeoutSeconds = 30;
// What we report for a connection that died in the middle of a session, as servers do when they
// close the channel themselves: any code of 400 or more makes the caller treat the step as failed.
constexpr int kLostConnectionCode = 421;
// "Must issue a STARTTLS command first" / "Authentication required".
constexpr int kLocalRefusalCode = 530;

std::string randomEnvelopeId()
{
    unsigned char bytes[12];
    if (RAND_bytes(bytes, sizeof bytes) != 1) {
        return "tidecast";
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string id;
    for (const unsigned char b : bytes) {
        id += kHex[b >> 4];
        id += kHex[b & 0x0f];
    }
    return id;
}

std::string describe(const SmtpReply& reply)
{
    return std::to_string(reply.code) + " " + reply.text();
}

} // namespace

SmtpClient::SmtpClient()
    : m_envelopeIds(randomEnvelopeId)
{}

void SmtpClient::setCredentials(std::string username, std::string password)
{
    m_username = std::move(username);
    m_password = std::move(password);
    m_authenticate = !m_username.empty() || !m_password.empty();
}

std::chrono::milliseconds SmtpClient::timeout() const
{
    return std::chrono::seconds(m_timeoutSeconds > 0 ? m_timeoutSeconds : kDefaultTimeoutSeconds);
}

void SmtpClient::raise(int number, std::string description)
{
    m_lastError = ClientError{number, std::move(description)};
    if (m_errorHandler) {
        m_errorHandler(*m_lastError);
    }
}

void SmtpClient::dropConnection()
{
    m_transport.close();
    m_established = false;
    m_transaction.reset();
    m_inData = false;
    m_dataSent = false;
    m_messageSent = false;
    m_pendingData.clear();
}

bool SmtpClient::send(std::string_view bytes)
{
    auto written = m_transport.write(bytes, timeout());
    if (!written) {
        const bool wasEstablished = m_established;
        dropConnection();
        m_reply = wasEstablished ? SmtpReply{kLostConnectionCode, {written.error().detail}} : SmtpReply{};
        raise(written.error().number, written.error().detail);
        return false;
    }
    return true;
}

std::optional<SmtpReply> SmtpClient::readReply()
{
    for (;;) {
        if (auto reply = m_parser.next()) {
            if (reply->code < 0) {
                dropConnection();
                m_reply = {};
                raise(smtp_error::kProtocol, "The server's reply could not be understood");
                return std::nullopt;
            }
            return reply;
        }
        auto received = m_transport.readSome(timeout());
        if (!received) {
            const bool wasEstablished = m_established;
            dropConnection();
            m_reply = wasEstablished ? SmtpReply{kLostConnectionCode, {received.error().detail}} : SmtpReply{};
            raise(received.error().number, received.error().detail);
            return std::nullopt;
        }
        m_parser.feed(*received);
    }
}

bool SmtpClient::connect()
{
    dropConnection();
    m_parser.reset();
    m_reply = {};
    m_capabilities = {};
    m_dsn = false;

    const bool implicitTls =
        m_security == Security::Tls || (m_security == Security::Auto && m_port == kImplicitTlsPort);
    auto connected = m_transport.connect(m_host, m_port, timeout());
    if (connected && implicitTls) {
        connected = m_transport.startTls(m_host, timeout());
    }
    if (!connected) {
        dropConnection();
        raise(connected.error().number, connected.error().detail);
        return false;
    }

    std::string domain = m_heloDomain;
    if (domain.empty()) {
        std::error_code ec;
        domain = asio::ip::host_name(ec);
        if (ec || domain.empty()) {
            domain = "localhost";
        }
    }
    SmtpHandshake handshake({domain, m_security, implicitTls, m_authenticate, m_username, m_password});
    for (;;) {
        auto reply = readReply();
        if (!reply) {
            return false;
        }
        m_reply = *reply;
        auto step = handshake.onReply(*reply);
        if (step.action == SmtpHandshake::Action::StartTls) {
            // Anything the server sent before the handshake could have been injected in the clear.
            m_parser.reset();
            auto secured = m_transport.startTls(m_host, timeout());
            if (!secured) {
                dropConnection();
                raise(secured.error().number, secured.error().detail);
                return false;
            }
            step = handshake.onTlsStarted();
        }
        switch (step.action) {
        case SmtpHandshake::Action::Send:
            if (!send(step.command)) {
                return false;
            }
            break;
        case SmtpHandshake::Action::Done:
            m_capabilities = handshake.capabilities();
            m_established = true;
            return true;
        case SmtpHandshake::Action::Failed:
            // When we refuse to go on after a positive reply (no STARTTLS, a password that would go
            // in clear), report it as the refusal a server would give, so nobody takes the
            // server's 250 for a usable session.
            if (m_reply.isPositive()) {
                m_reply = SmtpReply{kLocalRefusalCode, {handshake.errorText()}};
            }
            dropConnection();
            raise(handshake.errorNumber(), handshake.errorText());
            return false;
        case SmtpHandshake::Action::StartTls:
            break;
        }
    }
}

bool SmtpClient::requestDsn()
{
    if (!m_established) {
        raise(smtp_error::kNotConnected, "Not connected to a server");
        return false;
    }
    if (!m_capabilities.dsn) {
        // A plain answer, not an error event: the caller reports it in its own words.
        m_lastError =
            ClientError{smtp_error::kDsnNotSupported, "The server does not offer delivery status notification"};
        return false;
    }
    m_dsn = true;
    return true;
}

bool SmtpClient::startTransaction(std::string_view sender)
{
    m_failure = 0;
    m_pendingData.clear();
    if (!m_established) {
        m_transaction.reset();
        raise(smtp_error::kNotConnected, "Not connected to a server");
        return false;
    }
    // A transaction that never reached its end (all recipients refused, DATA refused) still holds
    // the server's MAIL state; a second MAIL FROM would be refused as nested.
    if (m_transaction && !abort()) {
        return false;
    }
    if (!sender.empty() && !isValidMailbox(sender)) {
        raise(smtp_error::kSenderRejected, "Not a valid email address: " + printableAddress(sender));
        return false;
    }
    if (m_capabilities.maxSize > 0 && m_sizeHint > m_capabilities.maxSize) {
        raise(smtp_error::kMessageTooLarge,
              "The message is larger than the server accepts (" + std::to_string(m_capabilities.maxSize) + " bytes)");
        return false;
    }
    TransactionSettings settings;
    settings.pipelining = m_capabilities.pipelining;
    settings.eightBitMime = m_capabilities.eightBitMime;
    settings.size = m_capabilities.size;
    settings.sizeHint = m_sizeHint;
    settings.dsn = m_dsn;
    if (m_dsn) {
        settings.envelopeId = m_envelopeIds();
    }
    auto& transaction = m_transaction.emplace(std::move(settings));
    const auto command = transaction.begin(sender);
    if (command.empty()) {
        return true;
    }
    if (!send(command)) {
        return false;
    }
    auto reply = readReply();
    if (!reply) {
        return false;
    }
    m_reply = *reply;
    if (transaction.onReply(*reply) != SmtpTransaction::Event::SenderAccepted) {
        raise(smtp_error::kSenderRejected, describe(*reply));
        return false;
    }
    return true;
}

bool SmtpClient::addRecipient(std::string_view address, const ByteChain* message)
{
    if (!m_established || !m_transaction) {
        m_reply = {};
        raise(smtp_error::kNotConnected, "No mail transaction has been started");
        return false;
    }
    // Checked here as well as where addresses come in: nothing but a mailbox goes between the
    // brackets, so an address can never add parameters or commands of its own.
    if (!isValidMailbox(address)) {
        m_reply = {};
        raise(smtp_error::kRecipientRejected, "Not a valid email address: " + printableAddress(address));
        return false;
    }
    std::string commands = m_transaction->addRecipient(address);
    // The replies that belong to the message: writeData() and endMessage() read them.
    std::size_t messageReplies = 0;
    if (message != nullptr && m_capabilities.pipelining) {
        if (m_capabilities.chunking) {
            const bool addLineEnd = !message->empty() && !message->endsWith("\n");
            commands += m_transaction->lastChunkCommand(message->size() + (addLineEnd ? 2 : 0));
            // Small pieces go out with the commands; a large one (an attached file shared by
            // every message) is written as it is rather than copied.
            for (const auto piece : message->pieces()) {
                if (piece.size() > kDataFlushSize && (!send(commands) || !send(piece))) {
                    return false;
                }
                if (piece.size() > kDataFlushSize) {
                    commands.clear();
                } else {
                    commands += piece;
                }
            }
            if (addLineEnd) {
                commands += "\r\n";
            }
            m_messageSent = true;
        } else {
            commands += m_transaction->dataCommand();
            m_dataSent = true;
        }
        messageReplies = 1;
    }
    if (!send(commands)) {
        return false;
    }
    bool accepted = false;
    while (m_transaction && m_transaction->outstandingReplies() > messageReplies) {
        const auto event = readTransactionReply();
        if (!event) {
            return false;
        }
        accepted = accepted || *event == SmtpTransaction::Event::RecipientAccepted;
    }
    if (!accepted && messageReplies > 0) {
        discardMessageReplies();
    }
    return accepted;
}

bool SmtpClient::sendRecipients(std::span<const std::string> addresses)
{
    if (!m_established || !m_transaction || !m_capabilities.pipelining ||
        !std::all_of(addresses.begin(), addresses.end(), [](const auto& address) { return isValidMailbox(address); })) {
        return false;
    }
    std::string commands;
    for (const auto& address : addresses) {
        commands += m_transaction->addRecipient(address);
    }
    return send(commands);
}

bool SmtpClient::readRecipientReply()
{
    if (!m_transaction || m_transaction->outstandingReplies() == 0) {
        m_reply = {};
        raise(smtp_error::kNotConnected, "No mail transaction has been started");
        return false;
    }
    // MAIL FROM's reply comes first when it left with the first recipient.
    for (;;) {
        const auto event = readTransactionReply();
        if (!event) {
            return false;
        }
        const bool senders =
            *event == SmtpTransaction::Event::SenderAccepted || *event == SmtpTransaction::Event::SenderRejected;
        if (!senders || !m_transaction || m_transaction->outstandingReplies() == 0) {
            return *event == SmtpTransaction::Event::RecipientAccepted;
        }
    }
}

std::optional<SmtpTransaction::Event> SmtpClient::readTransactionReply()
{
    auto reply = readReply();
    if (!reply) {
        return std::nullopt;
    }
    const auto event = m_transaction->onReply(*reply);
    switch (event) {
    case SmtpTransaction::Event::SenderRejected:
        // The recipient's own reply (usually 503) says less than why the sender was refused.
        m_reply = *reply;
        raise(smtp_error::kSenderRejected, describe(*reply));
        break;
    case SmtpTransaction::Event::RecipientAccepted:
        m_reply = *reply;
        break;
    case SmtpTransaction::Event::RecipientRejected:
        if (!m_transaction->isSenderRejected()) {
            m_reply = *reply;
            raise(smtp_error::kRecipientRejected, describe(*reply));
        }
        break;
    default:
        break;
    }
    return event;
}

void SmtpClient::discardMessageReplies()
{
    // DATA or BDAT sent with a refused recipient is refused as well (503, 554); that says nothing
    // the recipient's reply did not, so the recipient's reply stays the one reported.
    const SmtpReply recipientReply = m_reply;
    while (m_transaction && m_transaction->outstandingReplies() > 0) {
        auto reply = readReply();
        if (!reply) {
            break;
        }
        if (m_transaction->onReply(*reply) == SmtpTransaction::Event::DataReady) {
            // A server that wants the text anyway gets no message at all: only closing ends it.
            dropConnection();
        }
    }
    m_dataSent = false;
    m_messageSent = false;
    m_reply = recipientReply;
}

bool SmtpClient::flushData()
{
    if (m_pendingData.empty()) {
        return true;
    }
    const bool sent = send(m_pendingData);
    m_pendingData.clear();
    return sent;
}

int SmtpClient::writeData(std::string_view data, std::size_t maxLength)
{
    if (m_failure > 0) {
        return -1;
    }
    if (!m_established || !m_transaction) {
        m_failure = 1;
        raise(smtp_error::kNotConnected, "No mail transaction has been started");
        return -1;
    }
    if (m_messageSent) {
        // It left with the recipient; endMessage() reads the answer.
        m_inData = true;
        return static_cast<int>(std::min(data.size(), maxLength));
    }
    if (!m_inData) {
        if (!std::exchange(m_dataSent, false) && !send(m_transaction->dataCommand())) {
            m_failure = 1;
            return -1;
        }
        auto reply = readReply();
        if (!reply) {
            m_failure = 1;
            return -1;
        }
        // With PIPELINING a held-back MAIL FROM went out with DATA; its reply comes first.
        while (m_transaction->outstandingReplies() > 1) {
            (void)m_transaction->onReply(*reply);
            reply = readReply();
            if (!reply) {
                m_failure = 1;
                return -1;
            }
        }
        m_reply = *reply;
        if (m_transaction->onReply(*reply) != SmtpTransaction::Event::DataReady) {
            m_failure = 1;
            raise(m_transaction->acceptedRecipients() == 0 ? smtp_error::kInvalidRecipient : smtp_error::kDataRejected,
                  describe(*reply));
            return -1;
        }
        m_inData = true;
    }
    const auto taken = std::min(data.size(), maxLength);
    m_pendingData += m_transaction->stuff(data.substr(0, taken));
    if (m_pendingData.size() >= kDataFlushSize && !flushData()) {
        m_failure = 1;
        return -1;
    }
    return static_cast<int>(taken);
}

bool SmtpClient::endMessage()
{
    if (!m_inData || m_failure > 0 || !m_transaction) {
        return false;
    }
    if (!std::exchange(m_messageSent, false)) {
        m_pendingData += m_transaction->endOfData();
        if (!flushData()) {
            m_failure = 1;
            return false;
        }
    }
    m_inData = false;
    auto reply = readReply();
    if (!reply) {
        m_failure = 1;
        return false;
    }
    m_reply = *reply;
    const bool accepted = m_transaction->onReply(*reply) == SmtpTransaction::Event::MessageAccepted;
    m_transaction.reset();
    if (!accepted) {
        m_failure = 1;
        raise(smtp_error::kDataRejected, describe(*reply));
    }
    return accepted;
}

bool SmtpClient::abort()
{
    if (!m_established) {
        return false;
    }
    if (m_inData || m_dataSent || m_messageSent) {
        // Inside the message text RSET would only be more text, and after a DATA or BDAT that
        // went out early the server may be waiting for it: the connection has to go.
        dropConnection();
        return false;
    }
    m_transaction.reset();
    m_pendingData.clear();
    if (!send("RSET\r\n")) {
        return false;
    }
    auto reply = readReply();
    if (!reply) {
        return false;
    }
    m_reply = *reply;
    return reply->isPositive();
}

void SmtpClient::disconnect()
{
    if (m_established && !m_inData && m_transport.isOpen()) {
        // A polite QUIT; its failure changes nothing, so it is not reported.
        if (m_transport.write("QUIT\r\n", timeout())) {
            m_parser.reset();
            if (auto received = m_transport.readSome(timeout())) {
                m_parser.feed(*received);
                if (auto reply = m_parser.next()) {
                    m_reply = *reply;
                }
            }
        }
    }
    dropConnection();
    m_parser.reset();
}

} // namespace tidecast::net
