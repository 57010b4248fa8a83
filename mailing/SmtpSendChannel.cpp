#include "mailing/SmtpSendChannel.h"

#include "mailing/SendStatistics.h"

namespace tidecast::mailing
{

void SmtpSendChannel::LastErrorSink::writeLine(std::string_view line)
{
    if (!m_settingsFile.empty()) {
        writeLastError(m_settingsFile, line);
    }
}

SmtpSendChannel::SmtpSendChannel(const settings::Settings& settings, SmtpChannelOptions options, SendMonitor& monitor,
                                 LogFile& sessionLog, Progress& progress, Prompter& prompter)
    : m_activity(monitor)
    , m_session(sessionLog)
    , m_lastError(options.settingsFile)
    , m_dialogue(m_smtp, m_pop, settings, DialogueSinks{m_activity, m_session, m_lastError, progress, prompter})
{
    m_dialogue.setBulkMode(options.bulkMode);
    m_dialogue.setDsnRequested(options.dsn);
    m_dialogue.setOptionsConfirmed(options.optionsConfirmed);
}

RecipientReply SmtpSendChannel::addRecipient(std::string_view address)
{
    RecipientReply reply;
    reply.code = m_dialogue.addRecipient(address);
    reply.text = m_smtp.replyText();
    reply.invalid = m_dialogue.isBulkRecipientInvalid();
    return reply;
}

TransmitOutcome SmtpSendChannel::transmit(std::string_view message, std::string_view recipientAddress)
{
    if (!m_dialogue.sendMessageData(message, recipientAddress)) {
        return TransmitOutcome::Failed;
    }
    return m_dialogue.endOfMessage();
}

} // namespace tidecast::mailing
