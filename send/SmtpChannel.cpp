#include "send/SmtpChannel.h"

namespace tidecast::send
{

bool SmtpChannel::connect()
{
    return m_dialogue.ConnectServer();
}

RecipientReply SmtpChannel::addRecipient(std::string_view address)
{
    RecipientReply reply;
    reply.code = m_dialogue.addRecipient(address);
    reply.text = m_client.replyText();
    reply.invalid = m_dialogue.isBulkRecipientInvalid();
    return reply;
}

TransmitOutcome SmtpChannel::transmit(std::string_view message, std::string_view recipientAddress)
{
    m_client.setMessageSizeHint(message.size());
    if (!m_dialogue.xsenddata(message, recipientAddress)) {
        // The write failed: whatever is left of the data phase is abandoned with the connection
        // when it broke, or with a reset when it did not.
        if (m_client.isSessionEstablished()) {
            (void)m_client.abort();
            return TransmitOutcome::Failed;
        }
        return TransmitOutcome::Interrupted;
    }
    switch (m_dialogue.endOfMessage()) {
    case SmtpDialogue::MessageOutcome::Sent:
        return TransmitOutcome::Sent;
    case SmtpDialogue::MessageOutcome::Failed:
        return TransmitOutcome::Failed;
    case SmtpDialogue::MessageOutcome::Interrupted:
        break;
    }
    return TransmitOutcome::Interrupted;
}

void SmtpChannel::abortTransaction()
{
    if (m_client.isSessionEstablished()) {
        (void)m_client.abort();
    }
}

void SmtpChannel::disconnect(DisconnectReason reason)
{
    switch (reason) {
    case DisconnectReason::Normal:
        m_dialogue.disconnect(SmtpDialogue::DisconnectReason::Normal);
        break;
    case DisconnectReason::EndOfSession:
        m_dialogue.disconnect(SmtpDialogue::DisconnectReason::EndOfSession);
        break;
    case DisconnectReason::UserStop:
        m_dialogue.disconnect(SmtpDialogue::DisconnectReason::UserStop);
        break;
    case DisconnectReason::ErrorStop:
        m_dialogue.disconnect(SmtpDialogue::DisconnectReason::ErrorStop);
        break;
    }
}

} // namespace tidecast::send
