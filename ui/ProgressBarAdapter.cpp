#include "ui/ProgressBarAdapter.h"

#include <limits>

namespace tidecast::ui
{

ProgressBarAdapter::ProgressBarAdapter(QProgressBar* bar)
    : m_bar(bar)
{}

void ProgressBarAdapter::setLabel(std::string_view text)
{
    if (m_bar) {
        m_bar->setFormat(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
}

void ProgressBarAdapter::setMaximum(std::int64_t maximum)
{
    constexpr std::int64_t kLimit = std::numeric_limits<int>::max();
    m_scale = maximum > kLimit ? maximum / kLimit + 1 : 1;
    if (m_bar) {
        m_bar->setMaximum(static_cast<int>(maximum / m_scale));
    }
}

void ProgressBarAdapter::setValue(std::int64_t value)
{
    if (m_bar) {
        m_bar->setValue(static_cast<int>(value / m_scale));
    }
}

} // namespace tidecast::ui
