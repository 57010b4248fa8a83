#pragma once

#include "mime/MimePart.h"

#include <chrono>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tidecast::mime
{

// An Internet message (RFC 5322 with MIME): the top-level header fields and the root part, which
// is the message's own body or the outermost multipart. Serialises with CR LF line ends.
class MailMessage
{
public:
    // Back to an empty message.
    void reset();

    // Header values; CR and LF inside them become blanks.
    void setFrom(std::string_view value);
    void setTo(std::string_view value);
    void setReplyTo(std::string_view value);
    void setOrganization(std::string_view value);
    void setSubject(std::string_view value);
    // 1 (high), 3 (normal) or 5 (low); other values are written as they are.
    void setPriority(int priority) { m_priority = priority; }
    void setDate(std::chrono::system_clock::time_point at) { m_date = at; }
    // The identifier between the angle brackets, e.g. "abc.123@example.com".
    void setMessageId(std::string_view id);
    // Any further top-level field, written after X-Priority in the order added.
    void addHeader(std::string_view name, std::string_view value);

    MimePart& root() { return m_root; }
    const MimePart& root() const { return m_root; }

    // The complete message: its own text, with the shared bodies of its parts referenced.
    ByteChain serialize() const;

private:
    std::string m_from;
    std::string m_to;
    std::string m_replyTo;
    std::string m_organization;
    std::string m_subject;
    std::string m_messageId;
    std::vector<std::pair<std::string, std::string>> m_headers;
    int m_priority = 3;
    std::chrono::system_clock::time_point m_date{};
    MimePart m_root;
};

// RFC 5322 date-time in UTC, e.g. "Sun, 06 Dec 2026 14:12:13 +0000".
std::string formatMailDate(std::chrono::system_clock::time_point at);

} // namespace tidecast::mime
