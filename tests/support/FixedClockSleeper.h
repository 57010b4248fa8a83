#pragma once

#include "common/Sleeper.h"
#include "support/FixedClock.h"

#include <mutex>
#include <vector>

namespace tidecast
{

// Sleeping moves the fixed clock on at once and remembers how long each wait was. Thread-safe.
class FixedClockSleeper final : public Sleeper
{
public:
    explicit FixedClockSleeper(FixedClock& clock)
        : m_clock(clock)
    {}
    bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) override
    {
        if (stop.stop_requested()) {
            return false;
        }
        std::lock_guard lock(m_mutex);
        m_waits.push_back(duration);
        m_clock.advance(duration);
        return true;
    }
    std::vector<std::chrono::milliseconds> waits() const
    {
        std::lock_guard lock(m_mutex);
        return m_waits;
    }

private:
    FixedClock& m_clock;
    mutable std::mutex m_mutex;
    std::vector<std::chrono::milliseconds> m_waits;
};

} // namespace tidecast
