#include "cli/TerminalProgress.h"

#include <algorithm>

namespace tidecast::cli
{

namespace
{

constexpr int kBarWidth = 30;

} // namespace

TerminalProgress::~TerminalProgress()
{
    endLine();
}

void TerminalProgress::endLine()
{
    if (m_drawn) {
        m_err << '\n' << std::flush;
        m_drawn = false;
    }
    m_shownPercent = -1;
}

void TerminalProgress::setLabel(std::string_view text)
{
    if (text == m_label) {
        return;
    }
    m_label = text;
    m_shownPercent = -1;
    redraw();
}

void TerminalProgress::setMaximum(std::int64_t maximum)
{
    m_maximum = maximum;
    redraw();
}

void TerminalProgress::setValue(std::int64_t value)
{
    if (value < m_value) {
        endLine();
        m_resting = true;
    } else if (value > m_value) {
        m_resting = false;
    }
    m_value = value;
    redraw();
}

void TerminalProgress::redraw()
{
    if (!m_draw || m_resting || m_maximum <= 0) {
        return;
    }
    const std::int64_t done = std::clamp<std::int64_t>(m_value, 0, m_maximum);
    const int percent = static_cast<int>(done * 100 / m_maximum);
    if (percent == m_shownPercent) {
        return;
    }
    m_shownPercent = percent;
    const auto filled = static_cast<std::size_t>(done * kBarWidth / m_maximum);
    // "\033[K" clears what a longer label left behind on the line.
    m_err << '\r' << m_label << (m_label.empty() ? "" : " ") << '[' << std::string(filled, '#')
          << std::string(static_cast<std::size_t>(kBarWidth) - filled, ' ') << "] " << percent << "%\033[K"
          << std::flush;
    m_drawn = true;
    if (done == m_maximum) {
        endLine();
        m_resting = true;
    }
}

} // namespace tidecast::cli
