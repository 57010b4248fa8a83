#pragma once

#include "common/Progress.h"

#include <QPointer>
#include <QProgressBar>

namespace tidecast::ui
{

// Shows a core job's progress on a progress bar. For work that runs on the GUI thread; values
// beyond the bar's int range are scaled down.
class ProgressBarAdapter final : public Progress
{
public:
    explicit ProgressBarAdapter(QProgressBar* bar);

    void setLabel(std::string_view text) override;
    void setMaximum(std::int64_t maximum) override;
    void setValue(std::int64_t value) override;

private:
    QPointer<QProgressBar> m_bar;
    std::int64_t m_scale = 1;
};

} // namespace tidecast::ui
