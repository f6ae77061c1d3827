#include "log.h"

#include <chrono>
#include <cstdio>
#include <atomic>
#include <ctime>
#include <memory>
#include <mutex>

namespace Quillet {
namespace {

// The logger's process-wide settings; a logger is inherently shared.
struct LoggerSettings {
    std::mutex mutex;
    // Read before every message, so it takes no lock.
    std::atomic<unsigned int> threshold{1};
    Log::Sink sink;
};

LoggerSettings& Settings()
{
    static LoggerSettings settings;
    return settings;
}

std::string UtcTimestamp()
{
    using Clock = std::chrono::system_clock;
    const Clock::time_point now = Clock::now();
    const std::time_t seconds = Clock::to_time_t(now);
    const long millis = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm parts{};
#if defined(_WIN32)
    gmtime_s(&parts, &seconds);
#else
    gmtime_r(&seconds, &parts);
#endif
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03ldZ", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, millis);
    return text;
}

void WriteToStderr(const LogRecord& record)
{
    const std::string line = UtcTimestamp() + " [" + std::to_string(record.level) + "] " + record.file + ":" +
                             std::to_string(record.line) + " " + record.message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace

unsigned int Log::GetMinLogLevel()
{
    return Settings().threshold.load(std::memory_order_relaxed);
}

void Log::SetMinLogLevel(unsigned int level)
{
    Settings().threshold.store(level, std::memory_order_relaxed);
}

Log::Sink Log::SetSink(Sink sink)
{
    LoggerSettings& settings = Settings();
    std::lock_guard<std::mutex> lock(settings.mutex);
    std::swap(settings.sink, sink);
    return sink;
}

Log::Log(unsigned int level, const char* file, int line) : m_level_(level), m_file_(file ? file : ""), m_line_(line)
{
}

Log::~Log()
{
    LogRecord record;
    record.level = m_level_;
    record.file = m_file_;
    record.line = m_line_;
    record.message = m_stream_.str();
    LoggerSettings& settings = Settings();
    std::lock_guard<std::mutex> lock(settings.mutex);
    if (settings.sink) {
        settings.sink(record);
    } else {
        WriteToStderr(record);
    }
}

std::ostringstream& Log::Stream()
{
    return m_stream_;
}

struct LogCapture::State {
    mutable std::mutex mutex;
    std::vector<LogRecord> records;
};

LogCapture::LogCapture(unsigned int threshold) : m_state_(new State), m_previous_threshold_(Log::GetMinLogLevel())
{
    State* state = m_state_;
    m_previous_sink_ = Log::SetSink([state](const LogRecord& record) {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->records.push_back(record);
    });
    Log::SetMinLogLevel(threshold);
}

LogCapture::~LogCapture()
{
    Log::SetSink(std::move(m_previous_sink_));
    Log::SetMinLogLevel(m_previous_threshold_);
    delete m_state_;
}

std::vector<LogRecord> LogCapture::Records() const
{
    std::lock_guard<std::mutex> lock(m_state_->mutex);
    return m_state_->records;
}

std::vector<std::string> LogCapture::Messages(unsigned int level) const
{
    std::vector<std::string> messages;
    for (const LogRecord& record : Records()) {
        if (level == 0 || record.level == level) {
            messages.push_back(record.message);
        }
    }
    return messages;
}

size_t LogCapture::Count(unsigned int level, const std::string& message) const
{
    size_t count = 0;
    for (const LogRecord& record : Records()) {
        if (record.level == level && record.message == message) {
            ++count;
        }
    }
    return count;
}

bool LogCapture::AnyContains(const std::string& fragment) const
{
    for (const LogRecord& record : Records()) {
        if (record.message.find(fragment) != std::string::npos) {
            return true;
        }
    }
    return false;
}

void LogCapture::Clear()
{
    std::lock_guard<std::mutex> lock(m_state_->mutex);
    m_state_->records.clear();
}

}  // namespace Quillet
