#pragma once
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "log.h"

namespace Quillet::Cli {

// Routes the framework logger's records while it lives: records up to the
// user's threshold are written as "[L] message" lines (prefixed "LABEL: " on
// threads that were given a label). A watcher may look at every record up to
// a level of its own for a while. Restores the logger's default sink and
// previous threshold at the end. Errors are always built (the threshold the
// logger gets is at least 1) so that a failure's reason can be reported.
class LogForwarding {
public:
    using Watcher = std::function<void(const Quillet::LogRecord&)>;
    using Writer = std::function<void(const std::string& line)>;

    explicit LogForwarding(unsigned int threshold);
    ~LogForwarding();
    LogForwarding(const LogForwarding&) = delete;
    LogForwarding& operator=(const LogForwarding&) = delete;

    // Until StopWatching: `watcher` sees every record up to `watchLevel`, and
    // the forwarded lines go through `writer` instead of straight to stderr.
    void StartWatching(unsigned int watchLevel, Watcher watcher, Writer writer);
    void StopWatching();

    // Lines logged from the calling thread start with "label: " until cleared.
    void LabelThisThread(const std::string& label);
    void ClearThisThreadLabel();

    // The first error (level 1) the module logged on the calling thread since
    // the last call, whatever the threshold; empty when none. Forgets it.
    std::string TakeFirstErrorOfThisThread();

private:
    struct State {
        std::mutex mutex;
        unsigned int threshold = 1;
        Watcher watcher;
        Writer writer;
        std::map<std::thread::id, std::string> labels;
        std::map<std::thread::id, std::string> firstErrors;
    };

    static void Forward(State& state, const Quillet::LogRecord& record);

    std::shared_ptr<State> m_state_;
    unsigned int m_previous_threshold_;
};

// Writes one line to standard error in a single call.
void WriteErrorLine(const std::string& line);

}  // namespace Quillet::Cli
