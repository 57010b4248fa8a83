#pragma once

#include "common/Progress.h"
#include "common/Prompter.h"
#include "mailing/LogFile.h"
#include "mailing/LogSink.h"
#include "mailing/SendChannel.h"
#include "mailing/SendMonitor.h"
#include "mailing/SmtpDialogue.h"
#include "net/PopClient.h"
#include "net/SmtpClient.h"
#include "settings/Settings.h"

#include <filesystem>
#include <string>

namespace tidecast::mailing
{

struct SmtpChannelOptions
{
    bool bulkMode = false;
    bool dsn = false;                   // ask for delivery status notifications
    bool optionsConfirmed = false;      // errors are logged without a message box
    std::filesystem::path settingsFile; // where the last-error record ("LError") is kept
};

// The send session's connection to the mail servers over our own SMTP and POP3 clients: the
// dialogue steps, with the activity list going to the send dialog, the session-log lines to the
// open session log and the last error to the settings file.
class SmtpSendChannel final : public SendChannel
{
public:
    SmtpSendChannel(const settings::Settings& settings, SmtpChannelOptions options, SendMonitor& monitor,
                    LogFile& sessionLog, Progress& progress, Prompter& prompter);

    bool connect() override { return m_dialogue.connectToServer(); }
    bool isConnected() const override { return m_smtp.isSessionEstablished(); }
    bool startTransaction(std::string_view sender) override { return m_dialogue.startTransaction(sender); }
    RecipientReply addRecipient(std::string_view address) override;
    TransmitOutcome transmit(std::string_view message, std::string_view recipientAddress) override;
    void abortTransaction() override { (void)m_smtp.abort(); }
    void disconnect(DisconnectReason reason) override { m_dialogue.disconnect(reason); }
    void setTransmitting(bool transmitting) override { m_dialogue.setTransmitting(transmitting); }
    void requestStop() override { m_dialogue.requestStop(); }
    std::string host() const override { return m_smtp.host(); }

private:
    class ActivitySink final : public LogSink
    {
    public:
        explicit ActivitySink(SendMonitor& monitor)
            : m_monitor(monitor)
        {}
        void writeLine(std::string_view line) override { m_monitor.activity(line); }

    private:
        SendMonitor& m_monitor;
    };

    class FileSink final : public LogSink
    {
    public:
        explicit FileSink(LogFile& file)
            : m_file(file)
        {}
        void writeLine(std::string_view line) override { m_file.writeLine(line); }

    private:
        LogFile& m_file;
    };

    class LastErrorSink final : public LogSink
    {
    public:
        explicit LastErrorSink(std::filesystem::path settingsFile)
            : m_settingsFile(std::move(settingsFile))
        {}
        void writeLine(std::string_view line) override;

    private:
        std::filesystem::path m_settingsFile;
    };

    ActivitySink m_activity;
    FileSink m_session;
    LastErrorSink m_lastError;
    net::SmtpClient m_smtp;
    net::PopClient m_pop;
    SmtpDialogue m_dialogue;
};

} // namespace tidecast::mailing
