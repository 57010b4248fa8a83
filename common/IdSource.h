#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace tidecast
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

} // namespace tidecast
