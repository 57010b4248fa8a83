#pragma once

#include "common/Progress.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace tidecast::cli
{

// A long job's progress as a bar on a terminal, redrawn in place whenever the whole percentage
// changes; draws nothing when `draw` is off (output that goes to a file or a pipe, or --quiet).
class TerminalProgress final : public Progress
{
public:
    TerminalProgress(std::ostream& err, bool draw)
        : m_err(err)
        , m_draw(draw)
    {}
    ~TerminalProgress() override;

    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void setLabel(std::string_view text) override;
    void setMaximum(std::int64_t maximum) override;
    void setValue(std::int64_t value) override;

private:
    void redraw();

    std::ostream& m_err;
    bool m_draw;
    bool m_drawn = false;
    std::string m_label;
    std::int64_t m_maximum = 0;
    std::int64_t m_value = 0;
    int m_shownPercent = -1;
};

} // namespace tidecast::cli
