// The five enumerations GetStructuredInfo makes, done by the client library
// directly on one connection: as the module asks for them (qualifiers on ports
// and identities) and with no qualifiers at all, to show what they cost.

#include <benchmark/benchmark.h>

#include <Pegasus/Client/CIMClient.h>

#include <string>

#include "bench_support.h"

namespace {

size_t enumerateInventory(const mlnx_cimsim::testing::CimSimProcess& sim, const Pegasus::CIMNamespaceName& nameSpace,
                          bool qualifiers) {
    Pegasus::CIMClient client;
    client.connect(sim.host().c_str(), sim.port(), "", "");
    size_t instances = 0;
    for (const std::string& className : quillet_bench::inventoryClasses()) {
        // PCI functions are read without qualifiers either way, as the module does.
        const bool withQualifiers = qualifiers && className != "MLNX_PCIDevice";
        const auto found = client.enumerateInstances(nameSpace, Pegasus::CIMName(className.c_str()), true, true,
                                                     withQualifiers, false);
        instances += found.size();
        benchmark::DoNotOptimize(found);
    }
    return instances;
}

void BM_InventoryEnumerations(benchmark::State& state) {
    const bool qualifiers = state.range(1) != 0;
    auto& sim = quillet_bench::simulatorFor(static_cast<int>(state.range(0)), false);
    const Pegasus::CIMNamespaceName nameSpace("root/cimv2");
    size_t instances = 0;
    for (auto _ : state) {
        try {
            instances = enumerateInventory(sim, nameSpace, qualifiers);
        } catch (const Pegasus::Exception& e) {
            state.SkipWithError(("enumeration failed: " + std::string(e.getMessage().getCString())).c_str());
            return;
        }
    }
    state.counters["instances"] = static_cast<double>(instances);
}

BENCHMARK(BM_InventoryEnumerations)
    ->ArgNames({"adapters", "qualifiers"})
    ->Args({64, 1})
    ->Args({64, 0})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
