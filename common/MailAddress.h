#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tidecast
{

// The longest address a mail path can carry (RFC 5321: a 256-octet path less its two brackets).
inline constexpr std::size_t kMaxAddressLength = 254;

// True when `address` is a mailbox as SMTP writes it in MAIL FROM and RCPT TO: a dot-atom or
// quoted local part (without blanks or angle brackets) of at most 64 octets, "@", and a domain name or an address
// literal, at most 254 octets in all. The one check of an address wherever one comes in: the recipient dialog, the
// command line, the import, the send session and the SMTP client itself, so that no blank,
// ">" or line break ever reaches a command.
bool isValidMailbox(std::string_view address);

// The address as a log line or message may show it: control characters become "?".
std::string printableAddress(std::string_view address);

} // namespace tidecast
