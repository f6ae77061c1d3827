#pragma once
#include <atomic>
#include <csignal>
#include <functional>
#include <mutex>
#include <thread>

namespace Quillet::Cli {

// SIGINT, SIGTERM and SIGHUP end a run cleanly: the first one is noted (and
// `onFirst` told) so that the running operation can finish and the module
// object be destroyed, which stops the vendor's provider module on the
// server; a second one ends the process at once. The signals are blocked in
// every thread and taken by a thread of this object, so it must be built
// before any other thread starts.
class InterruptHandling {
public:
    using Notice = std::function<void(int signalNumber)>;

    explicit InterruptHandling(Notice onFirst);
    ~InterruptHandling();
    InterruptHandling(const InterruptHandling&) = delete;
    InterruptHandling& operator=(const InterruptHandling&) = delete;

    bool Interrupted() const { return m_signal_ != 0; }
    int Signal() const { return m_signal_; }
    // 128 + the signal number: 130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP.
    int ExitCode() const { return 128 + m_signal_; }

private:
    void Watch();

    sigset_t m_signals_{};
    sigset_t m_previous_mask_{};
    Notice m_on_first_;
    std::atomic<int> m_signal_{0};
    std::atomic<bool> m_stopping_{false};
    std::thread m_watcher_;
};

// The name of the signal for messages: "SIGINT".
const char* SignalName(int signalNumber);

}  // namespace Quillet::Cli
