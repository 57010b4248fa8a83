#pragma once

#include "outgoing/ComposedMessage.h"
#include "outgoing/GroupIdentity.h"

#include <array>
#include <string>

namespace tidecast::outgoing
{

enum class SendMode
{
    Personal, // one merged message per recipient
    Bulk,     // one message for everybody, never merged
};

// A composed message with everything a mailing decides about it: who sends it, to whom, and how
// the text is laid out. The builder needs nothing else but the settings. Texts are UTF-8.
struct OutgoingMessage : ComposedMessage
{
    GroupIdentity identity; // the group's own identity or the default one of the settings
    SendMode mode = SendMode::Personal;
    std::string bulkToText; // bulk mode: the text shown in the To header; empty: the sender's address
    bool wrap = true;       // wrap the plain text at the settings' wrap width
    // Personal mode: attach the file named by Additional Field 1..4 of each recipient.
    bool customAttachments = false;
    std::array<bool, 4> attachField{};
};

} // namespace tidecast::outgoing
