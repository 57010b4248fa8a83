#include "net/SmtpReply.h"

namespace tidecast::net
{

std::string SmtpReply::text() const
{
    std::string joined;
    for (const auto& line : lines) {
        if (!joined.empty()) {
            joined += ' ';
        }
        joined += line;
    }
    return joined;
}

void SmtpReplyParser::feed(std::string_view bytes)
{
    m_buffer.append(bytes);
}

std::optional<SmtpReply> SmtpReplyParser::next()
{
    while (!m_broken) {
        const auto end = m_buffer.find('\n');
        if (end == std::string::npos) {
            return std::nullopt;
        }
        std::string_view line(m_buffer.data(), end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const bool wellFormed = line.size() >= 3 && line[0] >= '2' && line[0] <= '5' && line[1] >= '0' &&
                                line[1] <= '9' && line[2] >= '0' && line[2] <= '9' &&
                                (line.size() == 3 || line[3] == ' ' || line[3] == '-');
        const int code = wellFormed ? (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0') : 0;
        // Every line of one reply carries the same code; a change means the server is confused.
        if (!wellFormed || (!m_partial.lines.empty() && code != m_partial.code)) {
            m_broken = true;
            break;
        }
        m_partial.code = code;
        m_partial.lines.emplace_back(line.size() > 4 ? line.substr(4) : std::string_view());
        const bool last = line.size() == 3 || line[3] == ' ';
        m_buffer.erase(0, end + 1);
        if (last) {
            SmtpReply reply = std::move(m_partial);
            m_partial = {};
            return reply;
        }
    }
    return SmtpReply{-1, {"Unreadable reply from server"}};
}

void SmtpReplyParser::reset()
{
    m_buffer.clear();
    m_partial = {};
    m_broken = false;
}

} // namespace tidecast::net
