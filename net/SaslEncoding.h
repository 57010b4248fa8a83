#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tidecast::net
{

// Base64 as SMTP AUTH uses it: one line, no breaks.
std::string saslEncode(std::string_view bytes);
std::optional<std::string> saslDecode(std::string_view text);

// The CRAM-MD5 answer to a (decoded) server challenge: "user hex(HMAC-MD5(password, challenge))".
std::string cramMd5Response(std::string_view username, std::string_view password, std::string_view challenge);

} // namespace tidecast::net
