// How closely the rate limit holds on the wall clock: four threads ask for messages as fast as
// they can for a few seconds at 600 a minute, and the figure is the rate they were let through at.

#include "common/Clock.h"
#include "common/Sleeper.h"
#include "mailing/RateLimiter.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace
{

void BM_RateLimitOverFourConnections(benchmark::State& state)
{
    constexpr int kPerMinute = 600;
    constexpr int kThreads = 4;
    const auto length = std::chrono::seconds(state.range(0));
    for (auto _ : state) {
        tidecast::SystemClock clock;
        tidecast::SystemSleeper sleeper;
        tidecast::mailing::RateLimiter limiter(kPerMinute, clock, sleeper);
        std::atomic<long> granted = 0;
        const auto start = std::chrono::steady_clock::now();
        {
            std::vector<std::jthread> threads;
            for (int i = 0; i < kThreads; ++i) {
                threads.emplace_back([&] {
                    while (std::chrono::steady_clock::now() - start < length) {
                        if (limiter.acquire()) {
                            ++granted;
                        }
                    }
                });
            }
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.counters["per_minute"] = static_cast<double>(granted) / elapsed.count() * 60.0;
        state.counters["target"] = kPerMinute;
    }
}
BENCHMARK(BM_RateLimitOverFourConnections)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
