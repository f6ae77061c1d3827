#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "log_forwarding.h"

namespace Quillet::Cli {

// A diagnostic run blocks for minutes. While one runs on a terminal, this
// keeps one status line on stderr: the elapsed time and the latest
// diagnostic or job step that the module logged, refreshed every second.
// Log lines up to the user's threshold still appear, above the status line.
class DiagnosticProgress {
public:
    DiagnosticProgress(const std::string& name, LogForwarding& forwarding);
    ~DiagnosticProgress();
    DiagnosticProgress(const DiagnosticProgress&) = delete;
    DiagnosticProgress& operator=(const DiagnosticProgress&) = delete;

private:
    void Watch(const Quillet::LogRecord& record);
    void WriteAboveStatus(const std::string& line);
    void Tick();
    std::string StatusLine() const;

    const std::string m_name_;
    const std::chrono::steady_clock::time_point m_start_;
    std::mutex m_mutex_;
    std::condition_variable m_wake_;
    bool m_done_ = false;
    std::string m_latest_step_;
    LogForwarding& m_forwarding_;
    std::thread m_ticker_;
};

}  // namespace Quillet::Cli
