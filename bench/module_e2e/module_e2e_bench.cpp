// The exported class out-of-band against the simulator over loopback HTTP and
// HTTPS: one object per operation, as the host uses it. Counters per operation:
// connections, TLS handshakes and HTTP requests the simulator saw, and the
// process's peak RSS.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_support.h"
#include "connection_info.h"
#include "mellanox.h"

namespace {

using Quillet::Mellanox::Mellanox;
using mlnx_cimsim::testing::CimSimProcess;

Quillet::QuilletConnection::ConnectionInfo connectionTo(const CimSimProcess& sim) {
    Quillet::QuilletConnection::ConnectionInfo info;
    info.host = sim.host();
    info.port = sim.port();
    info.connection_type = sim.https() ? 1 : 0;
    return info;
}

// Runs `operation(mellanox)` on a fresh object per iteration; it returns the
// operation's status and sets `found` to the number of records it gave.
template <typename Operation>
void runOperation(benchmark::State& state, CimSimProcess& sim, const char* what, const char* foundName,
                  Operation operation) {
    const auto info = connectionTo(sim);
    const auto before = sim.stats();
    size_t found = 0;
    for (auto _ : state) {
        Mellanox mellanox(info);
        if (operation(mellanox, found) != 0) {
            state.SkipWithError((std::string(what) + " failed").c_str());
            return;
        }
    }
    quillet_bench::reportServerCounters(state, before, sim.stats());
    state.counters[foundName] = static_cast<double>(found);
}

int structuredInfo(Mellanox& mellanox, size_t& found) {
    Quillet::Mellanox::StructuredInfo_ inventory;
    const int status = mellanox.GetStructuredInfo(inventory);
    found = inventory.pci_devices.size();
    benchmark::DoNotOptimize(inventory);
    return status;
}

int softwareIdentities(Mellanox& mellanox, size_t& found) {
    std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
    const int status = mellanox.GetSoftwareIdentities(identities);
    found = identities.size();
    benchmark::DoNotOptimize(identities);
    return status;
}

void BM_GetStructuredInfo(benchmark::State& state) {
    auto& sim = quillet_bench::simulatorFor(static_cast<int>(state.range(0)), state.range(1) != 0);
    runOperation(state, sim, "GetStructuredInfo", "pci_devices", structuredInfo);
    state.counters["largest_response_MB"] = static_cast<double>(quillet_bench::largestResponseBytes(sim, false)) / 1e6;
    state.counters["largest_response_iq_MB"] =
        static_cast<double>(quillet_bench::largestResponseBytes(sim, true)) / 1e6;
}

void BM_GetSoftwareIdentities(benchmark::State& state) {
    auto& sim = quillet_bench::simulatorFor(static_cast<int>(state.range(0)), state.range(1) != 0);
    runOperation(state, sim, "GetSoftwareIdentities", "identities", softwareIdentities);
}

// Every identity distinct: duplicate removal keeps all and compares every pair.
void BM_GetSoftwareIdentitiesDistinct(benchmark::State& state) {
    auto& sim = quillet_bench::simulatorServing(
        quillet_bench::distinctIdentitiesFixture(static_cast<int>(state.range(0))), false);
    runOperation(state, sim, "GetSoftwareIdentities", "identities", softwareIdentities);
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
// which the pairwise duplicate removal has to stay cheap. 64 for comparison.
BENCHMARK(BM_GetSoftwareIdentities)
    ->ArgNames({"adapters", "https"})
    ->Args({250, 0})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetSoftwareIdentitiesDistinct)
    ->ArgName("adapters")
    ->Arg(64)
    ->Arg(250)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
