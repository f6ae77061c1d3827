#pragma once
// Shared pieces of the end-to-end benchmarks: generated fixtures, one simulator
// per (adapter count, transport) kept for the whole run, and process counters.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <vector>

#include "cimsim/cimsim_process.h"

namespace quillet_bench {

// The simulator serving a generated N-adapter fixture, started on first use and
// stopped when the program ends.
mlnx_cimsim::testing::CimSimProcess& simulatorFor(int adapters, bool https);
// The simulator serving a fixture file, likewise kept for the whole run.
mlnx_cimsim::testing::CimSimProcess& simulatorServing(const std::string& fixturePath, bool https);
// A generated N-adapter fixture in which no two software or firmware identities
// are alike (each version made unique); returns its path.
std::string distinctIdentitiesFixture(int adapters);

// Runs argv[0] with its arguments, standard output to stdoutPath, standard error
// to /dev/null; returns the exit status, throws when it cannot start.
int runProcess(const std::vector<std::string>& argv, const std::string& stdoutPath);

// Peak resident set of this process so far, in bytes.
double peakRssBytes();
// Peak resident set when main() began, before any benchmark ran.
double baselineRssBytes();
void recordBaselineRss();

// Resident set now, and its peak since the last resetPeakRss() (Linux's
// VmRSS and VmHWM; writing 5 to /proc/self/clear_refs resets the peak).
double currentRssBytes();
double peakRssSinceResetBytes();
void resetPeakRss();

// Size of the largest EnumerateInstances answer the simulator gives for the
// five inventory classes (with qualifiers when asked), in bytes.
size_t largestResponseBytes(mlnx_cimsim::testing::CimSimProcess& sim, bool qualifiers);

// Adds connections, TLS handshakes and requests per iteration (as the simulator
// counted them) and the peak resident set.
void reportServerCounters(benchmark::State& state, const mlnx_cimsim::testing::CimSimStats& before,
                          const mlnx_cimsim::testing::CimSimStats& after);

// The five inventory classes, in the order a script would enumerate them.
const std::vector<std::string>& inventoryClasses();

// The CIM-XML bodies of GetStructuredInfo's five enumerations, as the module
// makes them (qualifiers on every class but the PCI functions), the header
// fields that go with them, and the whole HTTP requests.
std::vector<std::string> inventoryRequestBodies();
const std::vector<std::string>& enumerationHeaderFields();
std::vector<std::string> inventoryRequests();

}  // namespace quillet_bench
