#include "outgoing/UnsubscribeHeaders.h"

#include "common/Text.h"
#include "outgoing/DeliverabilityTexts.h"
#include "outgoing/MergeMacros.h"

namespace tidecast::outgoing
{

namespace
{

// The typed part of a URL keeps its own escapes and delimiters; only what cannot stand inside
// the angle brackets of a header (controls, blanks, quotes, brackets, non-ASCII) is escaped.
std::string headerSafeUrl(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '<' || c == '>' || c == '"') {
            out += percentEncode(std::string_view(&c, 1));
        } else {
            out += c;
        }
    }
    return out;
}

bool isOneAddress(std::string_view address)
{
    const std::size_t at = address.find('@');
    if (at == 0 || at == std::string_view::npos || at + 1 == address.size() ||
        address.find('@', at + 1) != std::string_view::npos) {
        return false;
    }
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '<' || c == '>' || c == ',' || c == '"') {
            return false;
        }
    }
    return true;
}

} // namespace

Result<UnsubscribeHeaders> UnsubscribeHeaders::create(const settings::Settings& settings, SendMode mode)
{
    UnsubscribeHeaders headers;
    const std::string_view mailto = trimWhitespace(settings.unsubscribeMailto);
    const std::string_view url = trimWhitespace(settings.unsubscribeUrl);
    if (!mailto.empty()) {
        if (!isOneAddress(mailto)) {
            return Error{ErrorCode::InvalidArgument, std::string(text::kUnsubscribeMailtoInvalid)};
        }
        headers.m_mailto = "<mailto:" + std::string(mailto) + ">";
    }
    if (!url.empty()) {
        if (!equalsIgnoreCase(url.substr(0, 8), "https://") || url.size() == 8) {
            return Error{ErrorCode::InvalidArgument, std::string(text::kUnsubscribeUrlNotHttps)};
        }
        headers.m_personal = hasMergeMacros(url);
        if (headers.m_personal && mode == SendMode::Bulk) {
            return Error{ErrorCode::InvalidArgument, std::string(text::kBulkUnsubscribeRefused)};
        }
        headers.m_url = headerSafeUrl(url);
    }
    return headers;
}

std::string UnsubscribeHeaders::listUnsubscribe(const store::RecipientRecord* recipient) const
{
    std::string url = m_url;
    if (m_personal && recipient != nullptr) {
        // The macros are plain ASCII, so headerSafeUrl left them as they were typed.
        replaceMergeMacros(url, *recipient, MergeEscape::Url);
    }
    if (url.empty()) {
        return m_mailto;
    }
    return m_mailto.empty() ? "<" + url + ">" : m_mailto + ", <" + url + ">";
}

} // namespace tidecast::outgoing
