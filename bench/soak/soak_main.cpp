// The module as a framework keeps it for weeks: one process runs every
// operation of the exported class N times (default 10,000) against the
// simulator, in-band and out-of-band, with failing and timed-out tool queries
// among them, and compares what the process holds before and after: open
// descriptors, threads, child processes and resident memory.
//
//   module_soak_bench [--operations N] [--without-diagnostic-runs]
//
// The module's pauses are taken at once and its waits for a tool shortened to
// 500 ms (a timed-out query would otherwise cost its full 100 seconds). Every
// diagnostic run leaves one more completion record in the simulated provider,
// which the next run reads whole: --without-diagnostic-runs leaves them out,
// so that the resident memory shows what the module itself keeps. Exits 1
// when descriptors, threads or child processes grew, or when an operation
// gave an unexpected status.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "cim_module_support/simulated_cim_server.h"
#include "log.h"
#include "mellanox.h"
#include "osspecific.h"
#include "process_resources.h"

namespace {

using Quillet::Mellanox::Mellanox;
using QuilletSoak::ProcessResources;

const std::string kFakeRoot = FAKE_MFT_ROOT;
// Every tenth collection has a failing query, and another tenth one that
// outlives its (shortened) time and ends two seconds after it started.
const int kFailingEvery = 10;
const int kTimedOutOffset = 5;

// How many times each operation gave each status.
class Tally {
public:
    void Count(const std::string& operation, int status) { ++m_counts_[operation][status]; }
    void Print() const
    {
        std::printf("%-36s %s\n", "operation", "statuses (status: count)");
        for (const auto& [operation, statuses] : m_counts_) {
            std::string text;
            for (const auto& [status, count] : statuses) {
                text += std::to_string(status) + ": " + std::to_string(count) + "  ";
            }
            std::printf("%-36s %s\n", operation.c_str(), text.c_str());
        }
    }

private:
    std::map<std::string, std::map<int, long>> m_counts_;
};

// One of each operation kind; `round` decides which tool queries fail or hang.
// Returns false when a status was not the expected one.
bool RunRound(int round, bool diagnosticRun, Mellanox& inBand, Mellanox& outOfBand, Tally& tally)
{
    bool expected = true;
    auto count = [&](const char* operation, int status, int wanted) {
        tally.Count(operation, status);
        expected = expected && status == wanted;
    };

    Quillet::Mellanox::StructuredInfo_ info;
    std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
    std::vector<std::string> names;
    Quillet::QuilletIHV::DiagnosticRecord_ record{};
    std::vector<Quillet::QuilletIHV::RawData_> raw;

    count("in-band GetStructuredInfo", inBand.GetStructuredInfo(info), 0);
    count("in-band GetSoftwareIdentities", inBand.GetSoftwareIdentities(identities), 0);
    count("in-band GetDiagItems", inBand.GetDiagItems(names), 0);
    if (diagnosticRun) {
        count("in-band RunDiagnostic", inBand.RunDiagnostic(names.empty() ? "" : names.front(), record), 0);
    }

    const bool failing = round % kFailingEvery == 0;
    const bool timedOut = round % kFailingEvery == kTimedOutOffset;
    if (failing) {
        ::setenv("FAKE_MFT_FAIL_DEVICE", "mt4115_pciconf0", 1);
    }
    if (timedOut) {
        ::setenv("FAKE_MFT_HANG_DEVICE", "mt4115_pciconf0", 1);
    }
    count(failing ? "in-band GetRawData, a query fails" : timedOut ? "in-band GetRawData, a query times out"
                                                                   : "in-band GetRawData",
          inBand.GetRawData(raw, kFakeRoot), failing || timedOut ? 3 : 0);
    ::unsetenv("FAKE_MFT_FAIL_DEVICE");
    ::unsetenv("FAKE_MFT_HANG_DEVICE");
    raw.clear();

    count("out-of-band GetStructuredInfo", outOfBand.GetStructuredInfo(info), 0);
    count("out-of-band GetSoftwareIdentities", outOfBand.GetSoftwareIdentities(identities), 0);
    count("out-of-band GetDiagItems (refused)", outOfBand.GetDiagItems(names), 4);
    count("out-of-band RunDiagnostic (refused)", outOfBand.RunDiagnostic("x|y", record), 4);
    count("out-of-band GetRawData (refused)", outOfBand.GetRawData(raw, ""), 4);
    return expected;
}

// Objects come and go as well: a framework may build one per request. An
// in-band object disables the provider module when it goes, so these run
// while no other in-band object lives.
bool BuildAndDestroy(const Quillet::QuilletConnection::ConnectionInfo& remote, Tally& tally)
{
    int status = 0;
    {
        Mellanox fresh;
        std::vector<Quillet::QuilletIHV::RawData_> raw;
        status = fresh.GetRawData(raw, kFakeRoot);
        tally.Count("in-band object built, GetRawData, destroyed", status);
    }
    {
        Mellanox fresh(remote);
        tally.Count("out-of-band object built and destroyed", 0);
    }
    return status == 0;
}

void PrintResources(const ProcessResources& before, const ProcessResources& after)
{
    std::printf("%-28s %10s %10s %10s\n", "resource", "before", "after", "change");
    auto row = [](const char* name, size_t a, size_t b) {
        std::printf("%-28s %10zu %10zu %+10lld\n", name, a, b, static_cast<long long>(b) - static_cast<long long>(a));
    };
    row("open descriptors", before.openDescriptors, after.openDescriptors);
    row("threads", before.threads, after.threads);
    row("child processes", before.childProcesses, after.childProcesses);
    row("  of them zombies", before.zombieChildren, after.zombieChildren);
    row("resident memory (KiB)", before.residentKilobytes, after.residentKilobytes);
}

}  // namespace

int main(int argc, char** argv)
{
    long operations = 10000;
    bool diagnosticRuns = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--operations") == 0 && i + 1 < argc) {
            operations = std::atol(argv[++i]);
        } else if (std::strcmp(argv[i], "--without-diagnostic-runs") == 0) {
            diagnosticRuns = false;
        } else {
            std::fprintf(stderr, "usage: %s [--operations N] [--without-diagnostic-runs]\n", argv[0]);
            return 2;
        }
    }

    // Errors of the refused and failing operations are expected; kept nowhere.
    Quillet::Log::SetSink([](const Quillet::LogRecord&) {});
    Quillet::OsSpecific::ScopedSleepObserver noPauses([](unsigned int) {});
    Quillet::OsSpecific::ScopedChildWaitObserver shortWaits([](int64_t) { return int64_t{500}; });
    ::setenv("FAKE_MFT_HANG_SECONDS", "2", 1);
    ::setenv("FAKE_MFT_HANG_OUTPUT", "closed", 1);
    mlnx_cimsim::testing::CimSimProcess server;
    cim_module_support::LocalCimServer local(server);
    const Quillet::QuilletConnection::ConnectionInfo remote = cim_module_support::OutOfBandTo(server);

    Tally tally;
    bool expected = true;
    ProcessResources before;
    ProcessResources after;
    const auto start = std::chrono::steady_clock::now();
    {
        // A first round with objects of its own loads what is loaded on first
        // use, so that both measurements are taken with no module object alive.
        Mellanox inBand;
        Mellanox outOfBand(remote);
        for (int round = 0; round < kFailingEvery; ++round) {
            RunRound(round, diagnosticRuns, inBand, outOfBand, tally);
        }
    }
    BuildAndDestroy(remote, tally);
    before = QuilletSoak::MeasureProcessResources();
    tally = Tally();
    {
        // One object of each mode for the whole run, as a framework keeps them.
        Mellanox inBand;
        Mellanox outOfBand(remote);
        for (long round = 0; round < operations; ++round) {
            expected = RunRound(static_cast<int>(round % kFailingEvery), diagnosticRuns, inBand, outOfBand, tally) &&
                       expected;
        }
    }
    for (long round = 0; round < operations; ++round) {
        expected = BuildAndDestroy(remote, tally) && expected;
    }
    // The objects are gone: whatever they started must be gone with them.
    after = QuilletSoak::MeasureProcessResources();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("%ld rounds of every operation in %.1f s\n\n", operations, seconds);
    tally.Print();
    std::printf("\n");
    PrintResources(before, after);
    const bool grew = after.openDescriptors > before.openDescriptors || after.threads > before.threads ||
                      after.childProcesses > before.childProcesses;
    if (!expected) {
        std::printf("\nunexpected statuses: see the table\n");
    }
    if (grew) {
        std::printf("\ndescriptors, threads or child processes grew\n");
    }
    return expected && !grew ? 0 : 1;
}
