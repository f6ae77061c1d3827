#include "diagnostic_progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "terminal.h"
#include "text_table.h"

namespace Quillet::Cli {
namespace {

// Erases the terminal line the cursor stands on.
const char kClearLine[] = "\r\033[K";
const unsigned int kTraceLevel = 4;
const size_t kFallbackColumns = 80;

bool IsDiagnosticStep(const std::string& message)
{
    return message.find("Diagnostic") != std::string::npos || message.find("Job") != std::string::npos ||
           message.find("job") != std::string::npos;
}

void WriteRaw(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

std::string Elapsed(std::chrono::steady_clock::duration duration)
{
    const long seconds = static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(duration).count());
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", seconds / 60, seconds % 60);
    return text;
}

}  // namespace

DiagnosticProgress::DiagnosticProgress(const std::string& name, LogForwarding& forwarding)
    : m_name_(name), m_start_(std::chrono::steady_clock::now()), m_forwarding_(forwarding)
{
    m_forwarding_.StartWatching(
        kTraceLevel, [this](const Quillet::LogRecord& record) { Watch(record); },
        [this](const std::string& line) { WriteAboveStatus(line); });
    m_ticker_ = std::thread(&DiagnosticProgress::Tick, this);
}

DiagnosticProgress::~DiagnosticProgress()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex_);
        m_done_ = true;
    }
    m_wake_.notify_all();
    m_ticker_.join();
    m_forwarding_.StopWatching();
    WriteRaw(kClearLine);
}

void DiagnosticProgress::Watch(const Quillet::LogRecord& record)
{
    if (!IsDiagnosticStep(record.message)) {
        return;
    }
    std::string step = record.message;
    std::replace(step.begin(), step.end(), '\t', ' ');
    std::lock_guard<std::mutex> lock(m_mutex_);
    m_latest_step_ = step;
}

void DiagnosticProgress::WriteAboveStatus(const std::string& line)
{
    std::lock_guard<std::mutex> lock(m_mutex_);
    WriteRaw(kClearLine + line + "\n" + StatusLine());
}

std::string DiagnosticProgress::StatusLine() const
{
    std::string status = "diag run " + m_name_ + "  " + Elapsed(std::chrono::steady_clock::now() - m_start_);
    if (!m_latest_step_.empty()) {
        status += "  " + m_latest_step_;
    }
    // One line only: a wrapped status line could not be erased.
    const size_t columns = TerminalColumns(STDERR_FILENO, kFallbackColumns);
    return CutToWidth(status, columns - 1);
}

void DiagnosticProgress::Tick()
{
    std::unique_lock<std::mutex> lock(m_mutex_);
    while (!m_done_) {
        WriteRaw(kClearLine + StatusLine());
        m_wake_.wait_for(lock, std::chrono::seconds(1), [this] { return m_done_; });
    }
}

}  // namespace Quillet::Cli
