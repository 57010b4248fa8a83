#pragma once

#include <string>
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
inline constexpr std::string_view kDkimIncomplete =
    "DKIM signing needs all three Deliverability settings: DKIM Domain, DKIM Selector and DKIM Key File.\r\n"
    "Please fill in the missing ones, or clear all three to send unsigned mail.";

inline constexpr std::string_view kDkimSigningFailed = "DKIM signing failed.";

inline std::string dkimKeyUnreadable(std::string_view path)
{
    return "The DKIM Key File \"" + std::string(path) +
           "\" cannot be read as a PEM private key.\r\n"
           "Choose a readable key file in the Deliverability settings.";
}

inline std::string dkimKeyUnsupported(std::string_view path)
{
    return "The DKIM Key File \"" + std::string(path) +
           "\" holds a key that cannot be used for signing.\r\n"
           "Use an RSA key of 2048 bits or more, or an Ed25519 key.";
}

inline std::string dkimDomainMismatch(std::string_view fromAddress, std::string_view domain)
{
    return "The From address \"" + std::string(fromAddress) + "\" is not in the DKIM Domain \"" + std::string(domain) +
           "\", so receivers would not count its signature.\r\n"
           "Send from an address at that domain or below it, or change the DKIM Domain in the Deliverability "
           "settings.";
}

inline std::string dkimRecordNotice(std::string_view name, std::string_view record)
{
    return "Publish this TXT record in the DNS at " + std::string(name) + ":\r\n" + std::string(record);
}

} // namespace tidecast::outgoing::text
