#pragma once

#include "cli/CliContext.h"
#include "mailing/Mailing.h"
#include "messages/MessageDocument.h"

#include <optional>
#include <string>
#include <vector>

namespace tidecast::cli
{

// What `send` and `preview` take on the command line for the send command and its options.
struct MailingArguments
{
    std::string messageFile;
    std::string group;
    bool bulk = false;
    std::optional<std::string> toText;
    std::string blockFile;
    std::string partial;
    std::string after;
    std::string before;
    std::vector<std::string> filters;
    std::string filtersFile;
    bool dsn = false;
    std::string customAttachments;
    std::vector<std::string> servers; // the first for the settings' server, the others as extra servers
    int rate = -1;                    // messages per minute; below 0: as the settings say
    int connections = 0;              // connections side by side; 0: as the settings say
    std::string passwordFile;         // send only: the SMTP password's first line
};

// A mailing as the send options leave it, and the document it comes from.
struct CliMailing
{
    messages::MessageDocument document;
    mailing::MailingSetup setup;
};

enum class MailingPurpose
{
    Send,
    Preview, // the options' Preview: the server is not checked
};

// The send command's preparation and the send options with the rules of their dialogs, so that
// a preview is built exactly as the mailing would be. Nothing when a step refused or a question
// stopped it: `status` then holds the exit status.
std::optional<CliMailing> prepareMailing(CliContext& context, const MailingArguments& arguments, MailingPurpose purpose,
                                         int& status);

} // namespace tidecast::cli
