#pragma once

#include <chrono>

namespace tidecast
{

// Where the core gets the time, so tests can fix it.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual std::chrono::system_clock::time_point now() const = 0;
};

class SystemClock final : public Clock
{
public:
    std::chrono::system_clock::time_point now() const override { return std::chrono::system_clock::now(); }
};

class FixedClock final : public Clock
{
public:
    explicit FixedClock(std::chrono::system_clock::time_point at)
        : m_at(at)
    {}
    std::chrono::system_clock::time_point now() const override { return m_at; }
    void advance(std::chrono::system_clock::duration by) { m_at += by; }

private:
    std::chrono::system_clock::time_point m_at;
};

} // namespace tidecast
