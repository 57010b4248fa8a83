#include "mailing/RateLimiter.h"

#include <algorithm>

namespace tidecast::mailing
{

RateLimiter::RateLimiter(int perMinute, const Clock& clock, Sleeper& sleeper)
    : m_clock(clock)
    , m_sleeper(sleeper)
{
    if (perMinute > 0) {
        m_interval = std::chrono::nanoseconds(std::chrono::minutes(1)) / perMinute;
    }
}

bool RateLimiter::acquire(std::stop_token stop)
{
    if (!isLimited()) {
        return !stop.stop_requested();
    }
    std::chrono::system_clock::time_point slot;
    std::chrono::system_clock::time_point now;
    {
        std::lock_guard lock(m_mutex);
        now = m_clock.now();
        // A token that was not used in its time is not saved up for a burst later.
        slot = std::max(now, m_nextFree);
        m_nextFree = slot + std::chrono::duration_cast<std::chrono::system_clock::duration>(m_interval);
    }
    if (slot <= now) {
        return !stop.stop_requested();
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(slot - now);
    return m_sleeper.sleepFor(wait, stop);
}

} // namespace tidecast::mailing
