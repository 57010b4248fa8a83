#include "mailing/StopControl.h"

#include "mailing/SendTexts.h"

namespace tidecast::mailing
{

bool StopControl::ask(Prompter& prompter)
{
    {
        std::lock_guard lock(m_mutex);
        m_asking = true;
    }
    const bool yes = prompter.ask(text::kStopQuestion, Buttons::YesNo, Icon::Question, Answer::No) == Answer::Yes;
    if (yes) {
        m_source.request_stop();
    }
    {
        std::lock_guard lock(m_mutex);
        m_asking = false;
    }
    m_answered.notify_all();
    return yes;
}

void StopControl::stopNow()
{
    m_source.request_stop();
}

bool StopControl::holdHere()
{
    std::unique_lock lock(m_mutex);
    ++m_holding;
    m_answered.wait(lock, m_source.get_token(), [this] { return !m_asking; });
    --m_holding;
    return m_source.stop_requested();
}

bool StopControl::isHolding() const
{
    std::lock_guard lock(m_mutex);
    return m_holding > 0;
}

} // namespace tidecast::mailing
