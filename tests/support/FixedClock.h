#pragma once

#include "common/Clock.h"

#include <mutex>

namespace tidecast
{

// A clock that stands still until a test moves it. Thread-safe.
class FixedClock final : public Clock
{
public:
    explicit FixedClock(std::chrono::system_clock::time_point at)
        : m_at(at)
    {}
    std::chrono::system_clock::time_point now() const override
    {
        std::lock_guard lock(m_mutex);
        return m_at;
    }
    void advance(std::chrono::system_clock::duration by)
    {
        std::lock_guard lock(m_mutex);
        m_at += by;
    }

private:
    mutable std::mutex m_mutex;
    std::chrono::system_clock::time_point m_at;
};

} // namespace tidecast
