#pragma once

#include "outgoing/GroupIdentity.h"

#include <array>
#include <string>
#include <vector>

namespace tidecast::outgoing
{

enum class SendMode
{
    Personal, // one merged message per recipient
    Bulk,     // one message for everybody, never merged
};

// Everything about one mailing's message that the builder needs besides the settings: filled by
// the send session from the composer and the send options. Texts are UTF-8.
struct OutgoingMessage
{
    std::string subject;
    std::string body;     // the plain text, CR LF line breaks
    std::string htmlPath; // file whose content is the HTML part; empty or missing file: no HTML part
    std::vector<std::string> attachments;
    int priority = 3;       // 1 high, 3 normal, 5 low
    GroupIdentity identity; // the group's own identity or the default one of the settings
    SendMode mode = SendMode::Personal;
    std::string bulkToText; // bulk mode: the text shown in the To header; empty: the sender's address
    bool wrap = true;       // wrap the plain text at the settings' wrap width
    // Personal mode: attach the file named by Additional Field 1..4 of each recipient.
    bool customAttachments = false;
    std::array<bool, 4> attachField{};
};

} // namespace tidecast::outgoing
