// Records the resident set before any benchmark runs, so peak-memory counters
// can be read as growth over the program's own footprint.
#include <benchmark/benchmark.h>

#include "bench_support.h"

int main(int argc, char** argv) {
    quillet_bench::recordBaselineRss();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
