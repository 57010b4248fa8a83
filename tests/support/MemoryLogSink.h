#pragma once

#include "mailing/LogSink.h"

#include <string>
#include <string_view>
#include <vector>

namespace tidecast::test
{

// Keeps the lines in memory so a test can compare them.
class MemoryLogSink final : public mailing::LogSink
{
public:
    void writeLine(std::string_view line) override { m_lines.emplace_back(line); }

    const std::vector<std::string>& lines() const { return m_lines; }
    void clear() { m_lines.clear(); }

private:
    std::vector<std::string> m_lines;
};

// Drops every line: for benchmarks that measure the work, not the logging.
class NullLogSink final : public mailing::LogSink
{
public:
    void writeLine(std::string_view) override {}
};

} // namespace tidecast::test
