#include "mime/MailMessage.h"

#include "common/Text.h"
#include "mime/MimeText.h"

#include <cstdio>
#include <ctime>
#include <utility>

namespace tidecast::mime
{

void MailMessage::reset()
{
    *this = MailMessage();
}

void MailMessage::setFrom(std::string_view value)
{
    m_from = headerSafe(value);
}

void MailMessage::setTo(std::string_view value)
{
    m_to = headerSafe(value);
}

void MailMessage::setReplyTo(std::string_view value)
{
    m_replyTo = headerSafe(value);
}

void MailMessage::setOrganization(std::string_view value)
{
    m_organization = headerSafe(value);
}

void MailMessage::setSubject(std::string_view value)
{
    m_subject = headerSafe(value);
}

void MailMessage::setMessageId(std::string_view id)
{
    m_messageId = headerSafe(id);
}

void MailMessage::addHeader(std::string_view name, std::string_view value)
{
    m_headers.emplace_back(headerSafe(name), headerSafe(value));
}

ByteChain MailMessage::serialize() const
{
    std::string out;
    if (!m_from.empty()) {
        appendHeaderLine(out, "From", m_from);
    }
    if (!m_to.empty()) {
        appendHeaderLine(out, "To", m_to);
    }
    if (!m_replyTo.empty()) {
        appendHeaderLine(out, "Reply-To", m_replyTo);
    }
    if (!m_organization.empty()) {
        appendHeaderLine(out, "Organization", m_organization);
    }
    appendHeaderLine(out, "Subject", m_subject);
    appendHeaderLine(out, "Date", formatMailDate(m_date));
    if (!m_messageId.empty()) {
        out += "Message-ID: <";
        out += m_messageId;
        out += ">\r\n";
    }
    out += "MIME-Version: 1.0\r\n";
    const char* priorityName = m_priority <= 2 ? " (Highest)" : m_priority >= 4 ? " (Lowest)" : " (Normal)";
    out += "X-Priority: ";
    out += std::to_string(m_priority);
    out += priorityName;
    out += kCrLf;
    for (const auto& [name, value] : m_headers) {
        appendHeaderLine(out, name, value);
    }
    ByteChain chain(std::move(out));
    m_root.appendTo(chain);
    if (!chain.endsWith(kCrLf)) {
        chain.append(kCrLf);
    }
    return chain;
}

std::string formatMailDate(std::chrono::system_clock::time_point at)
{
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[parts.tm_wday], parts.tm_mday,
                  kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return buffer;
}

} // namespace tidecast::mime
