#include "mailing/RateLimiter.h"

#include "mailing/RelayPool.h"
#include "mailing/RetryQueue.h"
#include "support/FixedClockSleeper.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>

namespace tidecast::mailing
{
namespace
{

using std::chrono::milliseconds;
using std::chrono::seconds;

TEST(RetryDelayTest, DoublesFromOneSecondUpToAMinute)
{
    const std::vector<std::pair<int, seconds>> cases = {{0, seconds(1)},  {1, seconds(1)},  {2, seconds(2)},
                                                        {3, seconds(4)},  {6, seconds(32)}, {7, seconds(60)},
                                                        {40, seconds(60)}};
    for (const auto& [attempts, delay] : cases) {
        EXPECT_EQ(retryDelay(attempts), delay) << attempts;
    }
}

TEST(RetryQueueTest, HandsOutOnlyWhatIsDueEarliestFirst)
{
    const std::chrono::system_clock::time_point start{};
    RetryQueue queue;
    queue.push({{}, "late@example.test", 2, start + seconds(4)});
    queue.push({{}, "early@example.test", 2, start + seconds(1)});
    queue.push({{}, "early2@example.test", 3, start + seconds(1)});

    EXPECT_FALSE(queue.takeDue(start).has_value());
    EXPECT_EQ(queue.earliestDue(), start + seconds(1));
    EXPECT_EQ(queue.takeDue(start + seconds(2))->address, "early@example.test");
    EXPECT_EQ(queue.takeDue(start + seconds(2))->address, "early2@example.test");
    EXPECT_FALSE(queue.takeDue(start + seconds(2)).has_value());
    const auto rest = queue.takeAll();
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].address, "late@example.test");
    EXPECT_TRUE(queue.empty());
}

// Messages go out where the limiter lets them: no 60 seconds ever hold more than the rate (give
// or take the one in the bucket), however the callers come.
TEST(RateLimiterTest, NoMinuteEverHoldsMoreThanTheRate)
{
    struct Case
    {
        const char* name;
        int perMinute;
        int messages;
        milliseconds pause;        // between the callers' requests
        milliseconds expectedSpan; // from the first message to the last
    };
    const Case cases[] = {
        {"a burst is spread evenly", 600, 1200, milliseconds(0), milliseconds(119'900)},
        {"slow callers are not held", 600, 10, milliseconds(500), milliseconds(4'500)},
        {"an idle spell saves nothing up", 60, 3, milliseconds(5'000), milliseconds(10'000)},
        {"no limit", 0, 50, milliseconds(0), milliseconds(0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FixedClock clock{std::chrono::sys_days{std::chrono::year{2026} / 1 / 1}};
        FixedClockSleeper sleeper(clock);
        RateLimiter limiter(c.perMinute, clock, sleeper);
        std::vector<std::chrono::system_clock::time_point> sent;
        for (int i = 0; i < c.messages; ++i) {
            if (i > 0) {
                clock.advance(c.pause);
            }
            ASSERT_TRUE(limiter.acquire());
            sent.push_back(clock.now());
        }
        EXPECT_EQ(std::chrono::duration_cast<milliseconds>(sent.back() - sent.front()), c.expectedSpan);
        if (c.perMinute > 0) {
            std::deque<std::chrono::system_clock::time_point> window;
            for (const auto at : sent) {
                window.push_back(at);
                while (at - window.front() >= std::chrono::minutes(1)) {
                    window.pop_front();
                }
                ASSERT_LE(static_cast<int>(window.size()), c.perMinute);
            }
        }
    }
}

TEST(RateLimiterTest, StopEndsTheWait)
{
    FixedClock clock{std::chrono::sys_days{std::chrono::year{2026} / 1 / 1}};
    FixedClockSleeper sleeper(clock);
    RateLimiter limiter(1, clock, sleeper);
    std::stop_source stop;
    EXPECT_TRUE(limiter.acquire(stop.get_token()));
    stop.request_stop();
    EXPECT_FALSE(limiter.acquire(stop.get_token()));
}

TEST(RelayTest, ParsesHostAndPort)
{
    const std::vector<std::pair<std::string, std::optional<Relay>>> cases = {
        {"mail.example.test", Relay{"mail.example.test", 25}},
        {" relay2:2525 ", Relay{"relay2", 2525}},
        {"[::1]:587", Relay{"::1", 587}},
        {"::1", Relay{"::1", 25}},
        {"host:", std::nullopt},
        {"host:0", std::nullopt},
        {"host:65536", std::nullopt},
        {"host:25x", std::nullopt},
        {"[::1", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, relay] : cases) {
        EXPECT_EQ(parseRelay(text, 25), relay) << text;
    }
    EXPECT_EQ(parseRelays("a:1, b,,c:3 bad:x", 25), (std::vector<Relay>{{"a", 1}, {"b", 25}, {"c", 3}}));
}

TEST(RelayPoolTest, SpreadsChannelsAndRestsARefusingRelay)
{
    FixedClock clock{std::chrono::sys_days{std::chrono::year{2026} / 1 / 1}};
    RelayPool pool({{"a", 25}, {"b", 25}}, clock);
    EXPECT_EQ(pool.pick(0), 0u);
    EXPECT_EQ(pool.pick(1), 1u);
    EXPECT_EQ(pool.pick(2), 0u);

    // "b" refuses twice: it rests 1 s, then 2 s, while its channels go to "a".
    pool.failed(1);
    EXPECT_EQ(pool.pick(1), 0u);
    clock.advance(seconds(1));
    EXPECT_EQ(pool.pick(1), 1u);
    pool.failed(1);
    clock.advance(milliseconds(1'999));
    EXPECT_EQ(pool.pick(3), 0u);
    clock.advance(milliseconds(1));
    EXPECT_EQ(pool.pick(3), 1u);

    // Both resting: the one back first.
    pool.failed(0);
    pool.failed(1);
    EXPECT_EQ(pool.pick(1), 0u);
    pool.succeeded(1);
    EXPECT_EQ(pool.pick(0), 1u);
}

} // namespace
} // namespace tidecast::mailing
