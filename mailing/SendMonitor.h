#pragma once

#include <cstdint>
#include <string_view>

namespace tidecast::mailing
{

// The send dialog's counters.
struct SendCounters
{
    std::int64_t sent = 0;
    std::int64_t excluded = 0; // exclusion list and block list
    std::int64_t filtered = 0;
    std::int64_t errors = 0;
    std::int64_t position = 0; // 1-based record number of the current recipient
    std::int64_t groupSize = 0;
};

// What the send dialog shows of a running session besides its command label and message bar
// (those go through Progress). Called from the session's thread; counters come in batches.
class SendMonitor
{
public:
    virtual ~SendMonitor() = default;

    // A line of the activity list.
    virtual void activity(std::string_view line) = 0;
    virtual void counters(const SendCounters& counters) = 0;
    // "Bulk Send Mode" or "Personal Send Mode".
    virtual void modeLabel(std::string_view text) = 0;
    // "Partial Send Enabled".
    virtual void partialLabel(std::string_view text) = 0;
};

class NullSendMonitor final : public SendMonitor
{
public:
    void activity(std::string_view) override {}
    void counters(const SendCounters&) override {}
    void modeLabel(std::string_view) override {}
    void partialLabel(std::string_view) override {}
};

} // namespace tidecast::mailing
