#include "common/IdSource.h"

#include <chrono>
#include <cstdio>
#include <random>

namespace tidecast
{

SystemIdSource::SystemIdSource()
{
    std::random_device device;
    m_seed = (static_cast<std::uint64_t>(device()) << 32) ^ device() ^
             static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

std::uint64_t SystemIdSource::tickCount()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

std::string SystemIdSource::uniqueToken()
{
    // A counter mixed with the per-run seed (splitmix64): unique within the run, unpredictable across runs.
    std::uint64_t z = m_seed + (++m_counter) * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%llx.%016llx", static_cast<unsigned long long>(micros),
                  static_cast<unsigned long long>(z));
    return buffer;
}

} // namespace tidecast
