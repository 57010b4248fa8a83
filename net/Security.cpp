#include "net/Security.h"

#include "common/Text.h"

namespace tidecast::net
{

Security parseSecurity(std::string_view text)
{
    const auto word = toLowerAscii(trimWhitespace(text));
    if (word == "starttls") {
        return Security::StartTls;
    }
    if (word == "tls") {
        return Security::Tls;
    }
    if (word == "none") {
        return Security::None;
    }
    return Security::Auto;
}

} // namespace tidecast::net
