#pragma once

#include <string_view>

namespace tidecast
{

// The main window's status-bar text ("Loading Groups", "Adding a new recipient...").
class StatusSink
{
public:
    virtual ~StatusSink() = default;

    virtual void showStatus(std::string_view text) = 0;
};

class NullStatusSink final : public StatusSink
{
public:
    void showStatus(std::string_view) override {}
};

} // namespace tidecast
