#pragma once

#include "send/SendChannel.h"
#include "send/SmtpClient.h"
#include "send/SmtpDialogue.h"

namespace tidecast::send
{

// The send session's view of the SMTP dialogue.
class SmtpChannel final : public SendChannel
{
public:
    SmtpChannel(SmtpClient& client, SmtpDialogue& dialogue)
        : m_client(client)
        , m_dialogue(dialogue)
    {}

    bool connect() override;
    bool isConnected() const override { return m_client.isSessionEstablished(); }
    bool startTransaction(std::string_view sender) override { return m_dialogue.startTransaction(sender); }
    RecipientReply addRecipient(std::string_view address) override;
    TransmitOutcome transmit(std::string_view message, std::string_view recipientAddress) override;
    void abortTransaction() override;
    void disconnect(DisconnectReason reason) override;
    void setTransmitting(bool transmitting) override { m_dialogue.setTransmitting(transmitting); }
    void requestStop() override { m_dialogue.requestStop(); }
    std::string host() const override { return m_client.host(); }

private:
    SmtpClient& m_client;
    SmtpDialogue& m_dialogue;
};

} // namespace tidecast::send
