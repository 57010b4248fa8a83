#include "cli/SignalStop.h"

#include "cli/CliContext.h"

#include <cstdlib>
#include <ctime>
#include <pthread.h>

namespace tidecast::cli
{

namespace
{

sigset_t stopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

} // namespace

SignalStop::SignalStop()
{
    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, &m_previousMask);
    m_watcher = std::jthread([this, signals](std::stop_token finished) {
        // Waits in short slices so that the end of the job is noticed without a signal of its own.
        constexpr long kSliceNanoseconds = 100'000'000;
        const timespec slice{0, kSliceNanoseconds};
        while (!finished.stop_requested()) {
            if (sigtimedwait(&signals, nullptr, &slice) < 0) {
                continue;
            }
            if (m_source.stop_requested()) {
                std::_Exit(kExitStopped); // the logs are flushed line by line: nothing is lost
            }
            m_source.request_stop();
        }
    });
}

SignalStop::~SignalStop()
{
    m_watcher.request_stop();
    m_watcher.join();
    pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
}

} // namespace tidecast::cli
