#pragma once

#include "common/ByteChain.h"
#include "common/Result.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::mailing
{

// The server's answer to one recipient.
struct RecipientReply
{
    int code = 0; // 0 or less: no reply came
    std::string text;
    bool invalid = false; // bulk mode: the client flagged the address as invalid
    // The message left with the recipient and the connection broke before the reply: it may have
    // been delivered.
    bool outcomeUnknown = false;

    // A recipient the session counts as an error: refused, flagged, or left without an answer.
    bool isRejected() const { return invalid || code >= 400 || code <= 0; }
    // Refused for now ("4xx") or left without an answer: worth another try later.
    bool isTransient() const { return !invalid && !outcomeUnknown && code < 500; }
};

enum class TransmitOutcome
{
    Sent,
    Failed,      // the server or the client refused this message
    Deferred,    // refused for now ("4xx") or the connection broke before the message ended
    Interrupted, // the connection broke after the message ended: it may have been delivered
};

// "421": the server is closing the connection; whatever it refused may go on another one.
inline constexpr int kServiceClosing = 421;

enum class DisconnectReason
{
    Normal,       // between connections
    EndOfSession, // the mailing is over
    UserStop,     // the transaction in progress is abandoned first
    ErrorStop,    // a blocking operation in progress is cancelled first
};

// What the send session needs of the mail server conversation: connection, the steps of each
// mail transaction and the end of the connection. The implementation writes its own activity
// and session-log lines ("C> ", "S> ", "CS> ") and shows its own message boxes. Used from the
// session's thread; requestStop() may be called from any thread.
class SendChannel
{
public:
    virtual ~SendChannel() = default;

    // connectToServer: true when the connection is usable.
    virtual bool connect() = 0;
    virtual bool isConnected() const = 0;
    virtual bool startTransaction(std::string_view sender) = 0;
    // The message transmit() will send to the next recipient, who is its only one, so that it
    // may leave together with the recipient. It must stay unchanged until transmit().
    virtual void announceMessage(const ByteChain& message) { (void)message; }
    virtual RecipientReply addRecipient(std::string_view address) = 0;
    // Several recipients of the open bulk transaction, their replies in the same order; a channel
    // that cannot send them together offers them one at a time.
    virtual std::vector<RecipientReply> addRecipients(std::span<const std::string> addresses)
    {
        std::vector<RecipientReply> replies;
        for (const auto& address : addresses) {
            replies.push_back(addRecipient(address));
        }
        return replies;
    }
    // Writes the finished message, piece by piece, and completes the data phase.
    virtual TransmitOutcome transmit(const ByteChain& message, std::string_view recipientAddress) = 0;
    // Abandons the transaction in progress (after a refused personal recipient or a failed build).
    virtual void abortTransaction() = 0;
    virtual void disconnect(DisconnectReason reason) = 0;
    // While set, client errors are left to transmit() to report.
    virtual void setTransmitting(bool transmitting) = 0;
    // The reply to the last command; 0 when none came.
    virtual int lastReplyCode() const { return 0; }
    virtual std::string lastReplyText() const { return {}; }
    // Whether connect() tells the person why it failed; off while the session will try again.
    virtual void reportConnectFailures(bool /*report*/) {}
    // Cancels a connection attempt in progress.
    virtual void requestStop() = 0;
    // The server's host name, for the recipient error question.
    virtual std::string host() const = 0;
    // Why no transaction on this server can succeed, after a reply that says so (the server
    // insists on a protection the settings do not use); empty otherwise. The session ends with it.
    virtual std::optional<Error> sessionBlocker() const { return std::nullopt; }
};

} // namespace tidecast::mailing
