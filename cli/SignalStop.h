#pragma once

#include <csignal>
#include <stop_token>
#include <thread>

namespace tidecast::cli
{

// Ctrl-C (SIGINT) and SIGTERM during a long job act as its Stop button answered Yes: the job's
// stop token is set and it ends at its next record. A second one ends the process at once.
// While an instance lives the two signals are blocked in the threads started after it and taken
// by a watcher thread of its own.
class SignalStop
{
public:
    SignalStop();
    ~SignalStop();
    SignalStop(const SignalStop&) = delete;
    SignalStop& operator=(const SignalStop&) = delete;

    std::stop_token token() const { return m_source.get_token(); }

private:
    std::stop_source m_source;
    sigset_t m_previousMask{};
    std::jthread m_watcher;
};

} // namespace tidecast::cli
