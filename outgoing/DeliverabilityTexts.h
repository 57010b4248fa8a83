#pragma once

#include <string_view>

// The refusals of the "Deliverability" settings that a person reads, in one place, so the desktop
// and the command line say exactly the same thing.
namespace tidecast::outgoing::text
{

inline constexpr std::string_view kUnsubscribeUrlNotHttps =
    "The Unsubscribe URL must start with https:// so that mail providers can offer one-click unsubscribe.\r\n"
    "Please correct it in the Deliverability settings.";
inline constexpr std::string_view kUnsubscribeMailtoInvalid =
    "The Unsubscribe Mailto setting must be one email address, such as unsubscribe@example.com.\r\n"
    "Please correct it in the Deliverability settings.";
inline constexpr std::string_view kBulkUnsubscribeRefused =
    "This message cannot be sent in bulk because its Unsubscribe URL contains\r\n"
    " personalized information for each recipient.\r\n"
    "Remove the merge macros from the Unsubscribe URL or send in personal mode.";

} // namespace tidecast::outgoing::text
