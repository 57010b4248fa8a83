#pragma once

#include "common/IdSource.h"

#include <cstdint>
#include <string>

namespace tidecast
{

// Counts up from fixed starting values.
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

} // namespace tidecast
