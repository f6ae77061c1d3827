// Memory one inventory takes: the growth of the resident set during one
// GetStructuredInfo, set against the largest response it reads. Run it alone
// in a fresh process (scripts/bench.sh does): memory freed by earlier
// benchmarks stays with the process and would hide the growth.

#include <benchmark/benchmark.h>

#include <stdexcept>

#include "bench_support.h"
#include "connection_info.h"
#include "mellanox.h"

namespace {

using mlnx_cimsim::testing::CimSimProcess;

int structuredInfo(const CimSimProcess& sim) {
    Quillet::QuilletConnection::ConnectionInfo info;
    info.host = sim.host();
    info.port = sim.port();
    info.connection_type = sim.https() ? 1 : 0;
    Quillet::Mellanox::Mellanox mellanox(info);
    Quillet::Mellanox::StructuredInfo_ inventory;
    const int status = mellanox.GetStructuredInfo(inventory);
    benchmark::DoNotOptimize(inventory);
    return status;
}

void BM_GetStructuredInfoPeakMemory(benchmark::State& state) {
    auto& sim = quillet_bench::simulatorFor(static_cast<int>(state.range(0)), false);
    const double largest = static_cast<double>(quillet_bench::largestResponseBytes(sim, true));
    // One small inventory first, so that code and libraries the first call
    // loads are not counted as memory the responses cost.
    if (structuredInfo(quillet_bench::simulatorFor(1, false)) != 0) {
        state.SkipWithError("the warm-up inventory failed");
        return;
    }
    double growth = 0;
    for (auto _ : state) {
        quillet_bench::resetPeakRss();
        const double before = quillet_bench::currentRssBytes();
        if (structuredInfo(sim) != 0) {
            state.SkipWithError("GetStructuredInfo failed");
            return;
        }
        growth = quillet_bench::peakRssSinceResetBytes() - before;
    }
    state.counters["peak_growth_MB"] = growth / 1e6;
    state.counters["largest_response_MB"] = largest / 1e6;
    state.counters["growth_per_largest_response"] = growth / largest;
}

BENCHMARK(BM_GetStructuredInfoPeakMemory)
    ->ArgName("adapters")
    ->Arg(64)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
