// What the exported class replaces: a script that runs Debian's sblim-wbemcli
// once per inventory class against the same simulator.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "bench_support.h"

namespace {

constexpr const char* kWbemcli = "/usr/bin/wbemcli";

void BM_WbemcliScript(benchmark::State& state) {
    if (::access(kWbemcli, X_OK) != 0) {
        state.SkipWithError("/usr/bin/wbemcli is not installed (package sblim-wbemcli)");
        return;
    }
    auto& sim = quillet_bench::simulatorFor(static_cast<int>(state.range(0)), false);
    const std::string base = "http://" + sim.host() + ":" + std::to_string(sim.port()) + "/root/cimv2:";
    const auto before = sim.stats();
    for (auto _ : state) {
        for (const std::string& className : quillet_bench::inventoryClasses()) {
            if (quillet_bench::runProcess({kWbemcli, "-nl", "ei", base + className}, "/dev/null") != 0) {
                state.SkipWithError(("wbemcli ei " + className + " failed").c_str());
                return;
            }
        }
    }
    quillet_bench::reportServerCounters(state, before, sim.stats());
}

BENCHMARK(BM_WbemcliScript)
    ->ArgName("adapters")
    ->Arg(1)
    ->Arg(8)
    ->Arg(64)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
