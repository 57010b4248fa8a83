#pragma once

#include "common/Prompter.h"

#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace tidecast::mailing
{

// The Stop button of a running mailing. Asking the person whether to stop holds the session at
// its next recipient until they answer: Yes stops it there, No lets it go on. Thread-safe: the
// question is asked on the person's thread while the session runs on its own.
class StopControl
{
public:
    // Asks "Are you sure you wish to Stop Sending?"; true when the answer was Yes.
    bool ask(Prompter& prompter);
    // Stops without asking (the window that ran the mailing is going away).
    void stopNow();
    std::stop_token token() const { return m_source.get_token(); }

    // Session thread, at each recipient: waits while the question is open; true when the
    // mailing is to stop here.
    bool holdHere();
    // True while the session waits in holdHere for an answer.
    bool isHolding() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable_any m_answered;
    std::stop_source m_source;
    bool m_asking = false;
    int m_holding = 0; // sessions mailing over several connections hold on each
};

} // namespace tidecast::mailing
