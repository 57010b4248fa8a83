#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace tidecast
{

// Where the core waits (back-off, rate limits), so tests need not wait on the wall clock.
// Thread-safe.
class Sleeper
{
public:
    virtual ~Sleeper() = default;
    // Waits this long; false when the stop came first.
    virtual bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) = 0;
};

class SystemSleeper final : public Sleeper
{
public:
    bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) override
    {
        std::mutex mutex;
        std::condition_variable_any woken;
        std::unique_lock lock(mutex);
        return !woken.wait_for(lock, stop, duration, [] { return false; });
    }
};

} // namespace tidecast
