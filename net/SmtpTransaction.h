#pragma once

#include "net/SmtpCapabilities.h"
#include "net/SmtpReply.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace tidecast::net
{

struct TransactionSettings
{
    bool pipelining = false;    // the server offers PIPELINING
    bool eightBitMime = false;  // the server offers 8BITMIME: MAIL FROM says BODY=8BITMIME
    bool size = false;          // the server offers SIZE
    std::uint64_t sizeHint = 0; // expected message size in bytes; 0 when unknown
    bool dsn = false;           // request delivery status notifications
    std::string envelopeId;     // ENVID sent with DSN
};

// One mail transaction: MAIL FROM, RCPT TO for each recipient, DATA, the dot-stuffed message and
// its end. It builds the commands and interprets the replies in the order the commands went out,
// so several commands may be in flight at once (PIPELINING). No I/O here.
class SmtpTransaction
{
public:
    enum class Event
    {
        SenderAccepted,
        SenderRejected,
        RecipientAccepted,
        RecipientRejected,
        DataReady,   // 354: the message may follow
        DataRefused, // DATA was refused
        MessageAccepted,
        MessageRejected,
        Unexpected, // a reply nothing was waiting for
    };

    explicit SmtpTransaction(TransactionSettings settings);

    // MAIL FROM. With PIPELINING it is held back and leaves together with the first RCPT TO, so a
    // one-recipient transaction costs one round trip less; the result is then empty.
    std::string begin(std::string_view sender);
    // RCPT TO, preceded by a held-back MAIL FROM.
    std::string addRecipient(std::string_view address);
    std::string dataCommand();
    // BDAT for a whole message of `size` bytes, which follow the command as they are (no dots
    // added, no end mark); the reply is the message's.
    std::string lastChunkCommand(std::size_t size);

    // The message bytes with a second dot before every line that starts with a dot, so the
    // server does not end the message early. Line starts are tracked across calls.
    std::string stuff(std::string_view chunk);
    // The end-of-data mark; it starts with CR LF when the message did not end with a line break.
    std::string endOfData();

    // Interprets the oldest outstanding reply.
    Event onReply(const SmtpReply& reply);

    std::size_t outstandingReplies() const { return m_expected.size(); }
    int acceptedRecipients() const { return m_acceptedRecipients; }
    bool isSenderRejected() const { return m_senderRejected; }

private:
    enum class Expect
    {
        Mail,
        Recipient,
        Data,
        End,
    };

    TransactionSettings m_settings;
    std::string m_heldMail;
    std::deque<Expect> m_expected;
    int m_acceptedRecipients = 0;
    bool m_senderRejected = false;
    bool m_atLineStart = true;
};

} // namespace tidecast::net
