#pragma once

#include <cstdint>
#include <string_view>

namespace tidecast::net
{

// "Security" of "Server Setup": how the connection is protected. Shared by the SMTP and POP3 clients.
enum class Security
{
    Auto,     // implicit TLS on port 465, otherwise STARTTLS whenever the server offers it
    StartTls, // STARTTLS is required
    Tls,      // TLS from the first byte
    None,     // never encrypt
};

// Unknown words read as Auto, the safe default.
Security parseSecurity(std::string_view text);

inline constexpr std::uint16_t kImplicitTlsPort = 465;
inline constexpr std::uint16_t kImplicitTlsPopPort = 995;

} // namespace tidecast::net
