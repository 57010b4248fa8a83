#pragma once

#include "mailing/LogFile.h"
#include "mailing/SendMonitor.h"
#include "mailing/SendStatistics.h"

#include <filesystem>
#include <string_view>
#include <utility>

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

// The send dialog's activity list.
class MonitorLogSink final : public LogSink
{
public:
    explicit MonitorLogSink(SendMonitor& monitor)
        : m_monitor(monitor)
    {}
    void writeLine(std::string_view line) override { m_monitor.activity(line); }

private:
    SendMonitor& m_monitor;
};

// A log file such as "session.log"; nothing is written while the file is closed.
class FileLogSink final : public LogSink
{
public:
    explicit FileLogSink(LogFile& file)
        : m_file(file)
    {}
    void writeLine(std::string_view line) override { m_file.writeLine(line); }

private:
    LogFile& m_file;
};

// The last-error record ("LError") of the settings file: each line replaces the one before.
// Without a settings file the lines are dropped.
class LastErrorLogSink final : public LogSink
{
public:
    explicit LastErrorLogSink(std::filesystem::path settingsFile)
        : m_settingsFile(std::move(settingsFile))
    {}
    void writeLine(std::string_view line) override
    {
        if (!m_settingsFile.empty()) {
            writeLastError(m_settingsFile, line);
        }
    }

private:
    std::filesystem::path m_settingsFile;
};

} // namespace tidecast::mailing
