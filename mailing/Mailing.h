#pragma once

#include "common/Clock.h"
#include "common/Progress.h"
#include "common/Prompter.h"
#include "mailing/MessageSource.h"
#include "mailing/SendCommand.h"
#include "mailing/SendMonitor.h"
#include "mailing/SendOptions.h"
#include "mailing/SendResults.h"
#include "mailing/SendSession.h"
#include "mailing/StopControl.h"
#include "outgoing/OutgoingMessage.h"
#include "settings/Settings.h"

#include <filesystem>
#include <memory>
#include <stop_token>

namespace tidecast::mailing
{

// Everything a mailing is made of once the send options were accepted.
struct MailingSetup
{
    settings::Settings settings; // connection, message and encoding settings
    SendOptions options;
    outgoing::ComposedMessage message;
    std::filesystem::path dataDir;
    std::filesystem::path settingsFile;
};

// One mailing with the real collaborators: the SMTP and POP3 clients and their dialogue, the
// message builder, the five logs and the send session. The desktop and the command line both
// run their mailings through this.
class Mailing
{
public:
    Mailing(MailingSetup setup, Prompter& prompter, Progress& progress, SendMonitor& monitor, const Clock& clock);
    ~Mailing();
    Mailing(const Mailing&) = delete;
    Mailing& operator=(const Mailing&) = delete;

    // Runs the send session. False unless the session completed; a message that cannot be built for this
    // mailing at all (a character the character set cannot carry) is refused before any log is
    // opened, with the session's result None; so is a missing attachment answered No.
    bool run(std::stop_token stop = {});
    // The same, stopped through the Stop button's control (see SendSession::run).
    bool run(StopControl& control);

    // Where back-off and rate-limit waits happen; the wall clock unless set before run().
    void setSleeper(Sleeper& sleeper) { m_sleeper = &sleeper; }

    SendResult result() const;
    SendSummary summary() const;

private:
    // Each listed attachment that is missing: Yes sends without it, No stops before anything starts.
    bool askAboutMissingAttachments();
    // Where the session gets its messages from, once the builder is made.
    std::unique_ptr<MessageSource> messageSource();
    // Everything before the session runs; false when the mailing cannot start.
    bool prepare();

    struct Parts;
    MailingSetup m_setup;
    Prompter& m_prompter;
    Progress& m_progress;
    SendMonitor& m_monitor;
    const Clock& m_clock;
    Sleeper* m_sleeper = nullptr;
    std::unique_ptr<Parts> m_parts;
};

} // namespace tidecast::mailing
