#pragma once

#include "common/Prompter.h"
#include "mailing/SendOptions.h"
#include "mailing/SendSession.h"
#include "outgoing/GroupIdentity.h"
#include "settings/Settings.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tidecast::mailing
{

// The message in the composer when Send is chosen.
struct ComposedMessage
{
    std::string subject;
    std::string body; // CR LF line breaks
    std::string htmlPath;
    std::vector<std::string> attachments;
    int priorityIndex = 1; // the priority selector: 0 high, 1 normal, 2 low
};

// Where a stopped send command puts the focus.
enum class SendFocus
{
    None,
    GroupSelector,
    MessageText,
    Subject,
};

enum class SpellCheckOutcome
{
    Completed,
    Cancelled,   // the person cancelled the check: the send command asks whether to go on
    StopSending, // the person cancelled the check and has already said not to send
};

// What the send command needs of the window it runs in.
class SendCommandHost
{
public:
    virtual ~SendCommandHost() = default;

    // The window's open group databases are closed.
    virtual void closeDatabases() = 0;
    // The spelling check before sending.
    virtual SpellCheckOutcome checkSpellingBeforeSending() = 0;
    virtual void openServerSetup() = 0;
    virtual void openIdentitySetup() = 0;
    virtual void setFocus(SendFocus focus) = 0;
};

// A mailing ready for the send options dialog.
struct PreparedMailing
{
    settings::Settings settings;      // with the defaults of an empty port, time-out and wrap width applied
    SendOptions options;              // reset, with the group and its size
    outgoing::GroupIdentity identity; // the group's own details or the defaults
    ComposedMessage message;
    int priority = 3; // 1, 3 or 5
    std::int64_t groupSize = 0;
};

// The send command's preparation up to the send options dialog, in order, with every message:
// closes the databases, checks the spelling when asked to, checks that groups exist, resets the
// send state, checks the server, the selected group, the body and subject, applies defaults,
// loads the sender identity and checks its address, and checks and counts the group file.
// Nothing when a step stopped the command.
std::optional<PreparedMailing> prepareSend(const settings::Settings& settings, const std::filesystem::path& dataDir,
                                           const std::vector<std::string>& groups, const std::string& selectedGroup,
                                           const ComposedMessage& message, SendCommandHost& host, Prompter& prompter);

// "1, 3 or 5 for the first, second or any other entry of the priority selector".
int priorityValue(int priorityIndex);

// A sender address worth trying: not empty, not only an at sign, and holding one.
bool isUsableSenderAddress(std::string_view address);

// The session's options from the accepted send options.
SessionOptions sessionOptions(const SendOptions& options, const std::filesystem::path& dataDir,
                              const std::filesystem::path& settingsFile);

} // namespace tidecast::mailing
