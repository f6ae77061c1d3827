#pragma once
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "quillet_export.h"

namespace Quillet {

// One finished log message, as handed to the sink.
struct LogRecord {
    unsigned int level = 0;
    std::string file;
    int line = 0;
    std::string message;
};

// The framework's logger: one object per message, closed by its destructor.
// Levels: 1 errors, 2 missing data, 3 progress, 4 traces. A message of
// level L is meant to be built only when L <= GetMinLogLevel().
class QUILLET_LOG_API Log {
public:
    using Sink = std::function<void(const LogRecord&)>;

    static unsigned int GetMinLogLevel();
    // Set by the host; 1 (errors only) until it does.
    static void SetMinLogLevel(unsigned int level);
    // Replaces where finished records go and gives back the sink it
    // replaced; an empty sink restores the default, which writes one line per
    // record to standard error.
    static Sink SetSink(Sink sink);

    Log(unsigned int level, const char* file, int line);
    virtual ~Log();
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    std::ostringstream& Stream();

private:
    unsigned int m_level_;
    const char* m_file_;
    int m_line_;
    std::ostringstream m_stream_;
};

// Collects every record written while it lives, for tests to assert on.
// Installs itself as the sink, sets the threshold, and restores both when
// destroyed: a capture made inside another hands the records back to it.
class QUILLET_LOG_API LogCapture {
public:
    explicit LogCapture(unsigned int threshold = 4);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<LogRecord> Records() const;
    // Messages only, optionally of one level (0 = all levels).
    std::vector<std::string> Messages(unsigned int level = 0) const;
    // How many records have exactly this level and text.
    size_t Count(unsigned int level, const std::string& message) const;
    // True when some record's text contains the fragment, at any level.
    bool AnyContains(const std::string& fragment) const;
    void Clear();

private:
    struct State;
    State* m_state_;
    unsigned int m_previous_threshold_;
    Log::Sink m_previous_sink_;
};

}  // namespace Quillet
