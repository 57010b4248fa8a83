#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tidecast::mailing
{

// Somewhere the send engine writes its account of a mailing, one line at a time: the activity
// list on screen, a log file, the last-error record. An implementation adds the line ending it
// needs and writes the line through at once (a killed mailing must leave complete logs behind).
// Failures to write are its own business: the mailing goes on regardless.
class LogSink
{
public:
    virtual ~LogSink() = default;

    virtual void writeLine(std::string_view line) = 0;
};

class NullLogSink final : public LogSink
{
public:
    void writeLine(std::string_view) override {}
};

// Keeps the lines in memory: for tests, and for front ends that show them later.
class MemoryLogSink final : public LogSink
{
public:
    void writeLine(std::string_view line) override { m_lines.emplace_back(line); }

    const std::vector<std::string>& lines() const { return m_lines; }
    void clear() { m_lines.clear(); }

private:
    std::vector<std::string> m_lines;
};

} // namespace tidecast::mailing
