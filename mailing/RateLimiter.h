#pragma once

#include "common/Clock.h"
#include "common/Sleeper.h"

#include <chrono>
#include <mutex>
#include <stop_token>

namespace tidecast::mailing
{

// Holds the messages of a mailing, over all its connections, to a number per minute: a token
// bucket one token deep, so the messages go evenly spaced and no burst ever exceeds the rate.
// Each caller is given its own time slot, so several connections share it fairly. Thread-safe.
class RateLimiter
{
public:
    // 0 or less: no limit.
    RateLimiter(int perMinute, const Clock& clock, Sleeper& sleeper);

    // Waits for the next message's turn; false when the stop came first (the turn is then lost).
    bool acquire(std::stop_token stop = {});
    bool isLimited() const { return m_interval.count() > 0; }

private:
    std::chrono::nanoseconds m_interval{0};
    const Clock& m_clock;
    Sleeper& m_sleeper;
    std::mutex m_mutex;
    std::chrono::system_clock::time_point m_nextFree{};
};

} // namespace tidecast::mailing
