#pragma once

#include "common/Progress.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace tidecast::cli
{

// A long job's progress as a bar on a terminal, redrawn in place whenever the whole percentage
// changes; draws nothing when `draw` is off (output that goes to a file or a pipe, or --quiet).
// A bar that reaches its end, or whose value drops back, keeps its line and nothing more is drawn
// until the value rises again, so the job's closing reset shows no 0% and its summary gets a line
// of its own.
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
    void endLine();

    std::ostream& m_err;
    bool m_draw;
    bool m_drawn = false;
    bool m_resting = false;
    std::string m_label;
    std::int64_t m_maximum = 0;
    std::int64_t m_value = 0;
    int m_shownPercent = -1;
};

} // namespace tidecast::cli
