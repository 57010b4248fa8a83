#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace tidecast::send
{

// Where the message builder gets its tick counts and unique tokens (boundaries, Content-IDs,
// Message-IDs), so tests get the same bytes on every run.
class IdSource
{
public:
    virtual ~IdSource() = default;

    // Milliseconds since an arbitrary start, like a system tick counter.
    virtual std::uint64_t tickCount() = 0;

    // A token unlikely ever to repeat: letters, digits and full stops only.
    virtual std::string uniqueToken() = 0;
};

// Ticks from the monotonic clock, tokens from the time and a random generator.
class SystemIdSource final : public IdSource
{
public:
    SystemIdSource();
    std::uint64_t tickCount() override;
    std::string uniqueToken() override;

private:
    std::uint64_t m_seed;
    std::atomic<std::uint64_t> m_counter{0};
};

// Counts up from fixed starting values: for tests and benchmarks.
class SequenceIdSource final : public IdSource
{
public:
    explicit SequenceIdSource(std::uint64_t firstTick = 1000, std::uint64_t tickStep = 1)
        : m_tick(firstTick)
        , m_step(tickStep)
    {}
    std::uint64_t tickCount() override
    {
        const std::uint64_t tick = m_tick;
        m_tick += m_step;
        return tick;
    }
    std::string uniqueToken() override { return "id" + std::to_string(++m_token); }

private:
    std::uint64_t m_tick;
    std::uint64_t m_step;
    std::uint64_t m_token = 0;
};

} // namespace tidecast::send
