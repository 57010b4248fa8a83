#pragma once

#include <cstdint>
#include <string_view>

namespace tidecast
{

// A progress display for long jobs. Jobs report in batches, never once per row; stopping is
// asked for through the std::stop_token the job is given, not through this interface.
class Progress
{
public:
    virtual ~Progress() = default;

    virtual void setLabel(std::string_view text) = 0;
    virtual void setMaximum(std::int64_t maximum) = 0;
    virtual void setValue(std::int64_t value) = 0;
};

class NullProgress final : public Progress
{
public:
    void setLabel(std::string_view) override {}
    void setMaximum(std::int64_t) override {}
    void setValue(std::int64_t) override {}
};

} // namespace tidecast
