#include "log_forwarding.h"

#include <algorithm>
#include <cstdio>

namespace {

const unsigned int kErrorLevel = 1;

}  // namespace

namespace Quillet::Cli {

void WriteErrorLine(const std::string& line)
{
    const std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

LogForwarding::LogForwarding(unsigned int threshold)
    : m_state_(std::make_shared<State>()), m_previous_threshold_(Quillet::Log::GetMinLogLevel())
{
    m_state_->threshold = threshold;
    m_state_->writer = WriteErrorLine;
    std::shared_ptr<State> state = m_state_;
    Quillet::Log::SetSink([state](const Quillet::LogRecord& record) { Forward(*state, record); });
    Quillet::Log::SetMinLogLevel(std::max(threshold, kErrorLevel));
}

LogForwarding::~LogForwarding()
{
    Quillet::Log::SetSink(Quillet::Log::Sink());
    Quillet::Log::SetMinLogLevel(m_previous_threshold_);
}

void LogForwarding::Forward(State& state, const Quillet::LogRecord& record)
{
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.watcher) {
        state.watcher(record);
    }
    if (record.level == kErrorLevel) {
        state.firstErrors.emplace(std::this_thread::get_id(), record.message);
    }
    if (record.level == 0 || record.level > state.threshold) {
        return;
    }
    std::string prefix;
    auto label = state.labels.find(std::this_thread::get_id());
    if (label != state.labels.end()) {
        prefix = label->second + ": ";
    }
    state.writer(prefix + "[" + std::to_string(record.level) + "] " + record.message);
}

void LogForwarding::StartWatching(unsigned int watchLevel, Watcher watcher, Writer writer)
{
    unsigned int threshold = 0;
    {
        std::lock_guard<std::mutex> lock(m_state_->mutex);
        m_state_->watcher = std::move(watcher);
        m_state_->writer = std::move(writer);
        threshold = m_state_->threshold;
    }
    // The module builds a message only when its level passes the logger's
    // threshold, so a watcher that wants more than the user sees raises it.
    Quillet::Log::SetMinLogLevel(std::max({threshold, watchLevel, kErrorLevel}));
}

void LogForwarding::StopWatching()
{
    unsigned int threshold = 0;
    {
        std::lock_guard<std::mutex> lock(m_state_->mutex);
        m_state_->watcher = Watcher();
        m_state_->writer = WriteErrorLine;
        threshold = m_state_->threshold;
    }
    Quillet::Log::SetMinLogLevel(std::max(threshold, kErrorLevel));
}

void LogForwarding::LabelThisThread(const std::string& label)
{
    std::lock_guard<std::mutex> lock(m_state_->mutex);
    m_state_->labels[std::this_thread::get_id()] = label;
}

void LogForwarding::ClearThisThreadLabel()
{
    std::lock_guard<std::mutex> lock(m_state_->mutex);
    m_state_->labels.erase(std::this_thread::get_id());
}

std::string LogForwarding::TakeFirstErrorOfThisThread()
{
    std::lock_guard<std::mutex> lock(m_state_->mutex);
    const auto found = m_state_->firstErrors.find(std::this_thread::get_id());
    if (found == m_state_->firstErrors.end()) {
        return std::string();
    }
    std::string message = std::move(found->second);
    m_state_->firstErrors.erase(found);
    return message;
}

}  // namespace Quillet::Cli
