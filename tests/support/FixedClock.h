#pragma once

#include "common/Clock.h"

namespace tidecast
{

// A clock that stands still until a test moves it.
class FixedClock final : public Clock
{
public:
    explicit FixedClock(std::chrono::system_clock::time_point at)
        : m_at(at)
    {}
    std::chrono::system_clock::time_point now() const override { return m_at; }
    void advance(std::chrono::system_clock::duration by) { m_at += by; }

private:
    std::chrono::system_clock::time_point m_at;
};

} // namespace tidecast
