// Cost of a trace message when the host logs errors only (threshold 1), against
// the same message built and handed to a sink that drops it. The streamed
// expression counts its evaluations, so the suppressed case shows it builds no text.

#include <benchmark/benchmark.h>

#include <string>

#include "log.h"
#include "opn_logging.h"

namespace {

// Restores the default sink and threshold when a benchmark ends.
class LogSettings {
public:
    LogSettings(unsigned int threshold, Quillet::Log::Sink sink) {
        Quillet::Log::SetMinLogLevel(threshold);
        Quillet::Log::SetSink(std::move(sink));
    }
    ~LogSettings() {
        Quillet::Log::SetSink(nullptr);
        Quillet::Log::SetMinLogLevel(1);
    }
    LogSettings(const LogSettings&) = delete;
    LogSettings& operator=(const LogSettings&) = delete;
};

const std::string& counted(const std::string& text, long& evaluations) {
    ++evaluations;
    return text;
}

void runTraceMessages(benchmark::State& state, unsigned int threshold) {
    long evaluations = 0;
    long records = 0;
    LogSettings settings(threshold, [&records](const Quillet::LogRecord&) { ++records; });
    const std::string device = "mt4115_pciconf0";
    for (auto _ : state) {
        OPN_LOG(4) << "Calling flint on " << counted(device, evaluations) << " attempt " << 3;
        benchmark::ClobberMemory();
    }
    state.counters["texts_built"] = static_cast<double>(evaluations);
    state.counters["records"] = static_cast<double>(records);
}

void BM_TraceMessageLoggingOff(benchmark::State& state) { runTraceMessages(state, 1); }
void BM_TraceMessageLoggingOn(benchmark::State& state) { runTraceMessages(state, 4); }

BENCHMARK(BM_TraceMessageLoggingOff);
BENCHMARK(BM_TraceMessageLoggingOn);

}  // namespace
