#pragma once

#include "common/Progress.h"
#include "common/Prompter.h"
#include "mailing/LogSink.h"
#include "mailing/SendMonitor.h"

#include <mutex>

namespace tidecast::mailing
{

// The person-facing ends of a mailing, shared by the connections that mail side by side: each
// passes every call on to the one it wraps, one call at a time.
class SerialPrompter final : public Prompter
{
public:
    explicit SerialPrompter(Prompter& prompter)
        : m_prompter(prompter)
    {}
    void message(std::string_view text, Icon icon) override
    {
        std::lock_guard lock(m_mutex);
        m_prompter.message(text, icon);
    }
    Answer ask(std::string_view text, Buttons buttons, Icon icon, Answer defaultAnswer) override
    {
        std::lock_guard lock(m_mutex);
        return m_prompter.ask(text, buttons, icon, defaultAnswer);
    }

private:
    Prompter& m_prompter;
    std::mutex m_mutex;
};

class SerialProgress final : public Progress
{
public:
    explicit SerialProgress(Progress& progress)
        : m_progress(progress)
    {}
    void setLabel(std::string_view text) override
    {
        std::lock_guard lock(m_mutex);
        m_progress.setLabel(text);
    }
    void setMaximum(std::int64_t maximum) override
    {
        std::lock_guard lock(m_mutex);
        m_progress.setMaximum(maximum);
    }
    void setValue(std::int64_t value) override
    {
        std::lock_guard lock(m_mutex);
        m_progress.setValue(value);
    }

private:
    Progress& m_progress;
    std::mutex m_mutex;
};

class SerialMonitor final : public SendMonitor
{
public:
    explicit SerialMonitor(SendMonitor& monitor)
        : m_monitor(monitor)
    {}
    void activity(std::string_view line) override
    {
        std::lock_guard lock(m_mutex);
        m_monitor.activity(line);
    }
    void counters(const SendCounters& counters) override
    {
        std::lock_guard lock(m_mutex);
        m_monitor.counters(counters);
    }
    void modeLabel(std::string_view text) override
    {
        std::lock_guard lock(m_mutex);
        m_monitor.modeLabel(text);
    }
    void partialLabel(std::string_view text) override
    {
        std::lock_guard lock(m_mutex);
        m_monitor.partialLabel(text);
    }

private:
    SendMonitor& m_monitor;
    std::mutex m_mutex;
};

class SerialLogSink final : public LogSink
{
public:
    explicit SerialLogSink(LogSink& sink)
        : m_sink(sink)
    {}
    void writeLine(std::string_view line) override
    {
        std::lock_guard lock(m_mutex);
        m_sink.writeLine(line);
    }

private:
    LogSink& m_sink;
    std::mutex m_mutex;
};

} // namespace tidecast::mailing
