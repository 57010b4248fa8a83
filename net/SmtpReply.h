#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::net
{

// One complete server reply: the three-digit code and the text of each line without the code and
// its separator. A multi-line reply ("250-a", "250 b") arrives here as one value.
struct SmtpReply
{
    int code = 0;
    std::vector<std::string> lines;

    // The lines joined by blanks, as a person reads the reply in a log line.
    std::string text() const;

    bool isPositive() const { return code >= 200 && code < 400; }
    bool isTransient() const { return code >= 400 && code < 500; }
    bool isPermanent() const { return code >= 500; }
};

// Collects bytes from the server and hands out complete replies. Pure: no I/O, so it can be fed
// one byte or a whole pipelined batch at a time.
class SmtpReplyParser
{
public:
    // Appends received bytes.
    void feed(std::string_view bytes);

    // The next complete reply, if one has arrived. A line that is not "ddd", "ddd text" or
    // "ddd-text" makes the stream unreadable: next() then returns a reply with code -1 forever.
    std::optional<SmtpReply> next();

    bool hasPendingBytes() const { return !m_buffer.empty(); }

    // Forgets everything received so far (after STARTTLS nothing sent in the clear may be used).
    void reset();

private:
    std::string m_buffer;
    SmtpReply m_partial;
    bool m_broken = false;
};

} // namespace tidecast::net
