#pragma once

#include "common/Progress.h"
#include "common/Prompter.h"
#include "mailing/LogSink.h"
#include "mailing/SendChannel.h"
#include "net/PopClient.h"
#include "net/SmtpClient.h"
#include "settings/Settings.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>

namespace tidecast::mailing
{

// Where the dialogue reports. The activity list and the session log get nearly the same lines;
// they differ in a few places, which is why they are two sinks.
struct DialogueSinks
{
    LogSink& activity;  // the send dialog's activity list
    LogSink& session;   // "session.log"
    LogSink& lastError; // the last-error record of the statistics: each line replaces the one before
    Progress& progress; // label: the send dialog's command label; value/maximum: bytes of the message
    Prompter& prompter;
};

// The conversation with the mail servers during one mailing: connection (with the optional POP3
// log-in before it), delivery status notification, the steps of each mail transaction, the end
// of the connection, and the translation of client errors into log lines. The send session calls
// these steps from its worker thread; requestStop() may be called from any thread.
class SmtpDialogue
{
public:
    SmtpDialogue(net::SmtpClient& smtp, net::PopClient& pop, const settings::Settings& settings, DialogueSinks sinks);
    ~SmtpDialogue();
    SmtpDialogue(const SmtpDialogue&) = delete;
    SmtpDialogue& operator=(const SmtpDialogue&) = delete;

    // Options of the mailing.
    void setBulkMode(bool bulk) { m_bulkMode = bulk; }
    void setDsnRequested(bool dsn) { m_dsn = dsn; }
    bool isDsnRequested() const { return m_dsn; }
    void setOptionsConfirmed(bool confirmed) { m_optionsConfirmed = confirmed; }
    // Set by the session while it builds and transmits a message.
    void setTransmitting(bool transmitting) { m_transmitting = transmitting; }
    // The error event flagged the last bulk recipient as invalid.
    bool isBulkRecipientInvalid() const { return m_bulkInvalidRecipient; }

    // Thread-safe. Cancels a connection attempt in progress; the session tests isStopRequested().
    void requestStop();
    bool isStopRequested() const { return m_stopRequested; }

    bool connectToServer();
    void logInToPopServer();
    void enableDsn();
    void forceDisconnect();

    bool startTransaction(std::string_view sender);
    // Returns the server's reply code; 400 or more rejects the recipient.
    int addRecipient(std::string_view address);
    // Writes the message in pieces of at most 4096 bytes, advancing the progress bar; removes
    // `temporaryFile` (if given) when done, successful or not. False when the write failed.
    bool sendMessageData(std::string_view text, std::string_view recipientAddress,
                         const std::filesystem::path& temporaryFile = {});
    // Completes the data phase. `buildStep` names where the message builder was when the error
    // arose; it is shown in the message box only.
    TransmitOutcome endOfMessage(int buildStep = 0);
    void disconnect(DisconnectReason reason = DisconnectReason::Normal);
    // Closes and reopens the connection; in bulk mode also starts the next transaction for `bulkSender`.
    bool reconnect(std::string_view bulkSender = {});

    // The handler of net::SmtpClient's error event; installed by the constructor.
    void onSmtpError(const net::ClientError& error);

private:
    void logBoth(std::string_view line);

    net::SmtpClient& m_smtp;
    net::PopClient& m_pop;
    const settings::Settings& m_settings;
    DialogueSinks m_sinks;
    std::atomic<bool> m_stopRequested = false;
    std::atomic<bool> m_connecting = false;
    bool m_transmitting = false;
    bool m_bulkMode = false;
    bool m_dsn = false;
    bool m_optionsConfirmed = false;
    bool m_bulkInvalidRecipient = false;
};

} // namespace tidecast::mailing
