#include "net/SmtpTransaction.h"

#include "net/SmtpHandshake.h"

#include <utility>

namespace tidecast::net
{

SmtpTransaction::SmtpTransaction(TransactionSettings settings)
    : m_settings(std::move(settings))
{}

std::string SmtpTransaction::begin(std::string_view sender)
{
    std::string command = "MAIL FROM:<" + sanitizeCommandArgument(sender) + ">";
    if (m_settings.eightBitMime) {
        command += " BODY=8BITMIME";
    }
    if (m_settings.size && m_settings.sizeHint > 0) {
        command += " SIZE=" + std::to_string(m_settings.sizeHint);
    }
    if (m_settings.dsn) {
        // Bounces carry only the headers, and the envelope id lets them be matched to the mailing.
        command += " RET=HDRS ENVID=" + sanitizeCommandArgument(m_settings.envelopeId);
    }
    command += "\r\n";
    m_expected.push_back(Expect::Mail);
    if (m_settings.pipelining) {
        m_heldMail = std::move(command);
        return {};
    }
    return command;
}

std::string SmtpTransaction::addRecipient(std::string_view address)
{
    std::string out = std::exchange(m_heldMail, {});
    out += "RCPT TO:<" + sanitizeCommandArgument(address) + ">";
    if (m_settings.dsn) {
        out += " NOTIFY=SUCCESS,FAILURE,DELAY";
    }
    out += "\r\n";
    m_expected.push_back(Expect::Recipient);
    return out;
}

std::string SmtpTransaction::dataCommand()
{
    m_expected.push_back(Expect::Data);
    m_atLineStart = true;
    return std::exchange(m_heldMail, {}) + "DATA\r\n";
}

std::string SmtpTransaction::lastChunkCommand(std::size_t size)
{
    m_expected.push_back(Expect::End);
    return std::exchange(m_heldMail, {}) + "BDAT " + std::to_string(size) + " LAST\r\n";
}

std::string SmtpTransaction::stuff(std::string_view chunk)
{
    std::string out;
    out.reserve(chunk.size() + chunk.size() / 64 + 1);
    for (const char c : chunk) {
        if (m_atLineStart && c == '.') {
            out += '.';
        }
        out += c;
        m_atLineStart = c == '\n';
    }
    return out;
}

std::string SmtpTransaction::endOfData()
{
    m_expected.push_back(Expect::End);
    return m_atLineStart ? ".\r\n" : "\r\n.\r\n";
}

SmtpTransaction::Event SmtpTransaction::onReply(const SmtpReply& reply)
{
    if (m_expected.empty()) {
        return Event::Unexpected;
    }
    const Expect expect = m_expected.front();
    m_expected.pop_front();
    switch (expect) {
    case Expect::Mail:
        m_senderRejected = !reply.isPositive();
        return m_senderRejected ? Event::SenderRejected : Event::SenderAccepted;
    case Expect::Recipient:
        if (reply.isPositive()) {
            ++m_acceptedRecipients;
            return Event::RecipientAccepted;
        }
        return Event::RecipientRejected;
    case Expect::Data:
        return reply.code == 354 ? Event::DataReady : Event::DataRefused;
    case Expect::End:
        return reply.isPositive() ? Event::MessageAccepted : Event::MessageRejected;
    }
    return Event::Unexpected;
}

} // namespace tidecast::net
