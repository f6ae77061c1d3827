#include "interrupt_handling.h"

#include <pthread.h>
#include <unistd.h>

#include <ctime>
#include <string>

namespace Quillet::Cli {
namespace {

const long kWatchPeriodNanoseconds = 100 * 1000 * 1000;

void WriteNow(const std::string& text)
{
    // The process ends right after: no buffering in between.
    ssize_t ignored = write(STDERR_FILENO, text.data(), text.size());
    (void)ignored;
}

}  // namespace

const char* SignalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "a signal";
    }
}

InterruptHandling::InterruptHandling(Notice onFirst) : m_on_first_(std::move(onFirst))
{
    sigemptyset(&m_signals_);
    sigaddset(&m_signals_, SIGINT);
    sigaddset(&m_signals_, SIGTERM);
    sigaddset(&m_signals_, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &m_signals_, &m_previous_mask_);
    m_watcher_ = std::thread(&InterruptHandling::Watch, this);
}

InterruptHandling::~InterruptHandling()
{
    m_stopping_ = true;
    m_watcher_.join();
    pthread_sigmask(SIG_SETMASK, &m_previous_mask_, nullptr);
}

void InterruptHandling::Watch()
{
    const timespec period{0, kWatchPeriodNanoseconds};
    while (!m_stopping_) {
        const int received = sigtimedwait(&m_signals_, nullptr, &period);
        if (received <= 0) {
            continue;
        }
        if (m_signal_ != 0) {
            WriteNow(std::string("\nquillet-mellanox: ") + SignalName(received) +
                     " again: quitting at once; the server's provider module may stay started\n");
            _exit(128 + received);
        }
        m_signal_ = received;
        if (m_on_first_) {
            m_on_first_(received);
        }
    }
}

}  // namespace Quillet::Cli
