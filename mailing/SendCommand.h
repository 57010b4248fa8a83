#pragma once

#include "common/Prompter.h"
#include "mailing/SendOptions.h"
#include "mailing/SendSession.h"
#include "messages/MessageDocument.h"
#include "outgoing/ComposedMessage.h"
#include "outgoing/GroupIdentity.h"
#include "outgoing/OutgoingMessage.h"
#include "settings/Settings.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tidecast::mailing
{

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
    std::int64_t groupSize = 0;
};

// The send command's preparation up to the send options dialog, in order, with every message:
// closes the databases, checks the spelling when asked to, checks that groups exist, resets the
// send state, checks the server, the selected group, the body and subject, applies defaults,
// loads the sender identity and checks its address, and checks and counts the group file.
// Nothing when a step stopped the command.
std::optional<PreparedMailing> prepareSend(const settings::Settings& settings, const std::filesystem::path& dataDir,
                                           const std::vector<std::string>& groups, const std::string& selectedGroup,
                                           const outgoing::ComposedMessage& message, SendCommandHost& host,
                                           Prompter& prompter);

// The message of a document as the send command takes it.
outgoing::ComposedMessage composedMessage(const messages::MessageDocument& document);

// The message with what the accepted send options decide: sender, mode, To text and custom
// attachments (personal mode only). The text is always wrapped.
outgoing::OutgoingMessage outgoingMessage(const outgoing::ComposedMessage& message, const SendOptions& options);

// A sender address worth trying: not empty, not only an at sign, and holding one.
bool isUsableSenderAddress(std::string_view address);

// The session's options from the accepted send options.
SessionOptions sessionOptions(const SendOptions& options, const std::filesystem::path& dataDir,
                              const std::filesystem::path& settingsFile);

} // namespace tidecast::mailing
