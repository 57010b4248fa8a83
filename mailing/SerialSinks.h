#pragma once

#include "common/Progress.h"
#include "common/Prompter.h"
#include "mailing/LogSink.h"
#include "mailing/SendMonitor.h"

#include <mutex>

namespace tidecast::mailing
{

// Passes every call on to the object it wraps, one call at a time.
template <typename Inner> class Serialised
{
protected:
    explicit Serialised(Inner& inner)
        : m_inner(inner)
    {}
    template <typename Call> decltype(auto) serially(Call call)
    {
        std::lock_guard lock(m_mutex);
        return call(m_inner);
    }

private:
    Inner& m_inner;
    std::mutex m_mutex;
};

// The person-facing ends of a mailing, shared by the connections that mail side by side.
class SerialPrompter final : public Prompter, private Serialised<Prompter>
{
public:
    explicit SerialPrompter(Prompter& prompter)
        : Serialised(prompter)
    {}
    void message(std::string_view text, Icon icon) override
    {
        serially([&](Prompter& inner) { inner.message(text, icon); });
    }
    Answer ask(std::string_view text, Buttons buttons, Icon icon, Answer defaultAnswer) override
    {
        return serially([&](Prompter& inner) { return inner.ask(text, buttons, icon, defaultAnswer); });
    }
};

class SerialProgress final : public Progress, private Serialised<Progress>
{
public:
    explicit SerialProgress(Progress& progress)
        : Serialised(progress)
    {}
    void setLabel(std::string_view text) override
    {
        serially([&](Progress& inner) { inner.setLabel(text); });
    }
    void setMaximum(std::int64_t maximum) override
    {
        serially([&](Progress& inner) { inner.setMaximum(maximum); });
    }
    void setValue(std::int64_t value) override
    {
        serially([&](Progress& inner) { inner.setValue(value); });
    }
};

class SerialMonitor final : public SendMonitor, private Serialised<SendMonitor>
{
public:
    explicit SerialMonitor(SendMonitor& monitor)
        : Serialised(monitor)
    {}
    void activity(std::string_view line) override
    {
        serially([&](SendMonitor& inner) { inner.activity(line); });
    }
    void counters(const SendCounters& counters) override
    {
        serially([&](SendMonitor& inner) { inner.counters(counters); });
    }
    void modeLabel(std::string_view text) override
    {
        serially([&](SendMonitor& inner) { inner.modeLabel(text); });
    }
    void partialLabel(std::string_view text) override
    {
        serially([&](SendMonitor& inner) { inner.partialLabel(text); });
    }
};

class SerialLogSink final : public LogSink, private Serialised<LogSink>
{
public:
    explicit SerialLogSink(LogSink& sink)
        : Serialised(sink)
    {}
    void writeLine(std::string_view line) override
    {
        serially([&](LogSink& inner) { inner.writeLine(line); });
    }
};

} // namespace tidecast::mailing
