// The exported class out-of-band against the simulator over loopback HTTP and
// HTTPS: one object per operation, as the host uses it. Counters per operation:
// TCP connections and HTTP requests the simulator saw, and the process's peak RSS.

#include <benchmark/benchmark.h>

#include <vector>

#include "bench_support.h"
#include "connection_info.h"
#include "mellanox.h"

namespace {

using Quillet::Mellanox::Mellanox;

Quillet::QuilletConnection::ConnectionInfo connectionTo(const mlnx_cimsim::testing::CimSimProcess& sim) {
    Quillet::QuilletConnection::ConnectionInfo info;
    info.host = sim.host();
    info.port = sim.port();
    info.connection_type = sim.https() ? 1 : 0;
    return info;
}

void addResponseSizes(benchmark::State& state, mlnx_cimsim::testing::CimSimProcess& sim) {
    state.counters["largest_response_MB"] =
        static_cast<double>(quillet_bench::largestResponseBytes(sim, false)) / 1e6;
    state.counters["largest_response_iq_MB"] =
        static_cast<double>(quillet_bench::largestResponseBytes(sim, true)) / 1e6;
}

void BM_GetStructuredInfo(benchmark::State& state) {
    auto& sim = quillet_bench::simulatorFor(static_cast<int>(state.range(0)), state.range(1) != 0);
    const auto info = connectionTo(sim);
    const auto before = sim.stats();
    size_t devices = 0;
    for (auto _ : state) {
        Mellanox mellanox(info);
        Quillet::Mellanox::StructuredInfo_ inventory;
        if (mellanox.GetStructuredInfo(inventory) != 0) {
            state.SkipWithError("GetStructuredInfo failed");
            break;
        }
        devices = inventory.pci_devices.size();
        benchmark::DoNotOptimize(inventory);
    }
    quillet_bench::reportServerCounters(state, before, sim.stats());
    state.counters["pci_devices"] = static_cast<double>(devices);
    addResponseSizes(state, sim);
}

void BM_GetSoftwareIdentities(benchmark::State& state) {
    auto& sim = quillet_bench::simulatorFor(static_cast<int>(state.range(0)), state.range(1) != 0);
    const auto info = connectionTo(sim);
    const auto before = sim.stats();
    size_t identities = 0;
    for (auto _ : state) {
        Mellanox mellanox(info);
        std::vector<Quillet::QLOptions::SoftwareIdentity_> found;
        if (mellanox.GetSoftwareIdentities(found) != 0) {
            state.SkipWithError("GetSoftwareIdentities failed");
            break;
        }
        identities = found.size();
        benchmark::DoNotOptimize(found);
    }
    quillet_bench::reportServerCounters(state, before, sim.stats());
    state.counters["identities"] = static_cast<double>(identities);
}

// 1, 8 and 64 adapters over HTTP (0) and HTTPS (1).
void AdapterSizes(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"adapters", "https"});
    for (int https : {0, 1})
        for (int adapters : {1, 8, 64})
            bench->Args({adapters, https});
}

BENCHMARK(BM_GetStructuredInfo)->Apply(AdapterSizes)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetSoftwareIdentities)->Apply(AdapterSizes)->UseRealTime()->Unit(benchmark::kMillisecond);
// 250 adapters serve about 1,000 software and firmware identities: the size at
// which the pairwise duplicate removal has to stay cheap.
BENCHMARK(BM_GetSoftwareIdentities)
    ->ArgNames({"adapters", "https"})
    ->Args({250, 0})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
