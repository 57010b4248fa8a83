#pragma once

#include "common/ByteChain.h"
#include "net/ClientError.h"
#include "net/MailTransport.h"
#include "net/SmtpCapabilities.h"
#include "net/SmtpReply.h"
#include "net/SmtpTransaction.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tidecast::net
{

// Our SMTP client, driven operation by operation by the send dialogue. Every call blocks until the
// server has answered or the time-out has passed. Use from one thread; cancel() alone may be
// called from another one. No command, reply or credential is logged here: the caller logs what
// it wants from replyCode()/replyText(), and the password never leaves the AUTH exchange.
class SmtpClient
{
public:
    using ErrorHandler = std::function<void(const ClientError&)>;
    using IdSource = std::function<std::string()>;

    SmtpClient();

    void setHost(std::string host) { m_host = std::move(host); }
    const std::string& host() const { return m_host; }
    void setPort(std::uint16_t port) { m_port = port; }
    void setTimeout(int seconds) { m_timeoutSeconds = seconds; }
    void setHeloDomain(std::string domain) { m_heloDomain = std::move(domain); }
    const std::string& heloDomain() const { return m_heloDomain; }
    void setCredentials(std::string username, std::string password);
    void setSecurity(Security security) { m_security = security; }
    void setCaFile(std::string certificateAuthorityFile) { m_transport.setCaFile(std::move(certificateAuthorityFile)); }
    // Gives the ENVID of each transaction that requests notifications; random by default.
    void setEnvelopeIdSource(IdSource source) { m_envelopeIds = std::move(source); }
    // Called for every error as it happens (before the failing call returns).
    void setErrorHandler(ErrorHandler handler) { m_errorHandler = std::move(handler); }
    // Expected size of the next message, announced with SIZE when the server takes it.
    void setMessageSizeHint(std::uint64_t bytes) { m_sizeHint = bytes; }

    // Connects, reads the greeting, says EHLO (HELO when EHLO is refused), starts TLS and
    // authenticates as the settings say. False when no session could be established.
    bool connect();
    bool isSessionEstablished() const { return m_established; }
    // The last reply: code 0 when none came.
    int replyCode() const { return m_reply.code; }
    std::string replyText() const { return m_reply.text(); }
    const SmtpCapabilities& capabilities() const { return m_capabilities; }
    bool isEncrypted() const { return m_transport.isEncrypted(); }

    // Asks for delivery status notifications on later transactions; false (with an error) when
    // the server does not offer them.
    bool requestDsn();
    bool isDsnRequested() const { return m_dsn; }

    // MAIL FROM. With PIPELINING the command waits for the first recipient.
    bool startTransaction(std::string_view sender);
    // RCPT TO; the reply is then in replyCode()/replyText(). True when the server accepted it.
    // With `message` the recipient is the transaction's only one and that message follows: when
    // the server offers PIPELINING, DATA leaves together with the recipient (with CHUNKING the
    // whole message does, as BDAT), and writeData()/endMessage(), given the same message, then
    // report the server's answers as if they had sent it. A refused recipient's message is never
    // delivered.
    bool addRecipient(std::string_view address, const ByteChain* message = nullptr);
    // Many recipients for a server that offers PIPELINING: every RCPT TO leaves in one write, and
    // readRecipientReply() then reads their replies one by one, each as addRecipient() reports
    // it. False, with nothing sent, when the server does not pipeline, no transaction is open or
    // an address is not a mailbox.
    bool sendRecipients(std::span<const std::string> addresses);
    bool readRecipientReply();
    // Writes up to maxLength bytes of `data` as message text (the first write sends DATA) and
    // returns how many bytes were taken, or -1 on failure.
    int writeData(std::string_view data, std::size_t maxLength);
    // Greater than 0 when the message written so far cannot be delivered.
    int failureIndicator() const { return m_failure; }
    // Ends the message; true when the server accepted it.
    bool endMessage();
    // RSET: abandons the transaction in progress.
    bool abort();
    // QUIT and close.
    void disconnect();
    // Ends the blocking call in progress in another thread; the connection is then closed.
    void cancel() { m_transport.cancel(); }

    const std::optional<ClientError>& lastError() const { return m_lastError; }
    void clearLastError() { m_lastError.reset(); }

private:
    std::chrono::milliseconds timeout() const;
    bool send(std::string_view bytes);
    std::optional<SmtpReply> readReply();
    // Reads the next reply of the open transaction and reports a refusal; nothing when none came.
    std::optional<SmtpTransaction::Event> readTransactionReply();
    bool flushData();
    void discardMessageReplies();
    void raise(int number, std::string description);
    void dropConnection();

    MailTransport m_transport;
    SmtpReplyParser m_parser;
    std::string m_host;
    std::uint16_t m_port = 25;
    int m_timeoutSeconds = 30;
    std::string m_heloDomain;
    std::string m_username;
    std::string m_password;
    bool m_authenticate = false;
    Security m_security = Security::Auto;
    IdSource m_envelopeIds;
    ErrorHandler m_errorHandler;
    std::uint64_t m_sizeHint = 0;

    bool m_established = false;
    bool m_dsn = false;
    SmtpCapabilities m_capabilities;
    SmtpReply m_reply;
    std::optional<SmtpTransaction> m_transaction;
    bool m_inData = false;
    bool m_dataSent = false;    // DATA left with the recipient; its reply is still to be read
    bool m_messageSent = false; // the whole message left with the recipient, as BDAT
    std::string m_pendingData;
    int m_failure = 0;
    std::optional<ClientError> m_lastError;
};

} // namespace tidecast::net
