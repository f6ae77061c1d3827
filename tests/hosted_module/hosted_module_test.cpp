// The exported class as a long-lived host keeps it, in-band against the
// simulator with the fake tools really running: tool queries that outlive
// their time, a grandchild that keeps a query's output open, a host that
// ignores SIGCHLD, and an in-band construction that fails half-way.
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "child_processes.h"
#include "cim_module_support/simulated_cim_server.h"
#include "failing_allocation.h"
#include "fake_tools_tree.h"
#include "log.h"
#include "mellanox.h"
#include "osspecific.h"
#include "scoped_environment.h"

namespace {

using cim_module_support::LocalCimServer;
using cim_module_support::PauseCounter;
using mlnx_cimsim::testing::CimSimProcess;
using Quillet::LogCapture;
using Quillet::Mellanox::Mellanox;
using Quillet::QuilletIHV::RawData_;
using QuilletTest::ChildProcessesNamed;
using QuilletTest::ScopedEnvironment;

const std::string kFakeRoot = FAKE_MFT_ROOT;
const std::string kFlint = kFakeRoot + "/utilities/mellanox/WinMFT/flint.bat";
const std::string kHangingQuery = kFlint + " \"-d\" \"mt4115_pciconf0\" \"query\"";
// The module's time-out for a tool, in milliseconds.
const int64_t kToolTimeoutMilliseconds = 100000;

// Waits (really) until `done` holds or ten seconds have passed.
template <typename Condition>
bool Eventually(Condition done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The module's children: each tool runs under a helper of that name.
std::vector<QuilletTest::ChildProcess> ToolRuns()
{
    return ChildProcessesNamed("quillet-spawn");
}

bool QueryIsAZombie()
{
    const std::vector<QuilletTest::ChildProcess> runs = ToolRuns();
    return runs.size() == 1 && runs[0].state == 'Z';
}

class HostedModule : public testing::Test {
protected:
    // The tools' waits are shortened to 300 ms; what the module asked for is kept.
    Quillet::OsSpecific::ScopedChildWaitObserver m_short_waits_{[this](int64_t milliseconds) {
        m_requested_waits_.push_back(milliseconds);
        return int64_t{300};
    }};
    std::vector<int64_t> m_requested_waits_;
    PauseCounter m_pauses_;
    CimSimProcess m_server_;
    LocalCimServer m_local_{m_server_};
    std::unique_ptr<Mellanox> m_module_ = std::make_unique<Mellanox>();
};

TEST_F(HostedModule, TimedOutQueryIsCollectedAtTheNextSpawnAndNoneOutlivesTheObject)
{
    ScopedEnvironment tools({{"FAKE_MFT_FIXTURE", QuilletTest::kTwoAdaptersFixture},
                             {"FAKE_MFT_HANG_DEVICE", "mt4115_pciconf0"},
                             {"FAKE_MFT_HANG_OUTPUT", "closed"},
                             {"FAKE_MFT_HANG_SECONDS", "1"}});
    LogCapture capture(3);
    std::vector<RawData_> records;
    EXPECT_EQ(m_module_->GetRawData(records, kFakeRoot), 3);
    EXPECT_EQ(records.size(), 2u);
    EXPECT_EQ(capture.Count(3, "SpawnProcess() " + kHangingQuery + " exit code = 259"), 1u);
    for (int64_t requested : m_requested_waits_) {
        EXPECT_EQ(requested, kToolTimeoutMilliseconds) << "the module asks for its full time-out";
    }

    // Once the query ends it stays in the process table until it is waited
    // for; the next collection does that.
    ASSERT_TRUE(Eventually(QueryIsAZombie)) << "the timed-out query should end after its second";
    ::unsetenv("FAKE_MFT_HANG_DEVICE");
    records.clear();
    EXPECT_EQ(m_module_->GetRawData(records, kFakeRoot), 0);
    EXPECT_EQ(records.size(), 3u);
    EXPECT_TRUE(ToolRuns().empty());
    EXPECT_EQ(capture.Count(3, "SpawnProcess() " + kHangingQuery + " collected after its time-out, exit code = 0"),
              1u);

    // A query still running when the object goes is ended with it.
    ::setenv("FAKE_MFT_HANG_DEVICE", "mt4115_pciconf0", 1);
    ::setenv("FAKE_MFT_HANG_SECONDS", "3600", 1);
    records.clear();
    EXPECT_EQ(m_module_->GetRawData(records, kFakeRoot), 3);
    ASSERT_EQ(ToolRuns().size(), 1u);
    m_module_.reset();
    EXPECT_TRUE(ToolRuns().empty()) << "neither running nor a zombie";
    EXPECT_EQ(capture.Count(3, "SpawnProcess() " + kHangingQuery + " ended after its time-out"), 1u);
    EXPECT_EQ(m_pauses_.Total(), 0u) << "waits for tools are not the module's pauses";
}

TEST_F(HostedModule, GrandchildKeepingTheOutputOpenBoundsTheQueryWhichKeepsWhatItRead)
{
    // The query prints its answer and exits 0, but leaves a child of its own
    // holding the output for a minute.
    ScopedEnvironment tools({{"FAKE_MFT_FIXTURE", QuilletTest::kTwoAdaptersFixture},
                             {"FAKE_MFT_HANG_DEVICE", "mt4115_pciconf0"},
                             {"FAKE_MFT_HANG_OUTPUT", "grandchild"},
                             {"FAKE_MFT_HANG_SECONDS", "60"}});
    LogCapture capture(3);
    std::vector<RawData_> records;
    EXPECT_EQ(m_module_->GetRawData(records, kFakeRoot), 3);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].command, kFlint + " -d mt4117_pciconf0 query");

    bool answerKept = false;
    for (const std::string& message : capture.Messages(3)) {
        if (message.rfind("SpawnProcess() " + kHangingQuery + " Returned:", 0) == 0) {
            answerKept = message.find("PSID:                  MT_2190110032") != std::string::npos;
        }
    }
    EXPECT_TRUE(answerKept) << "what the query printed before the time ran out is kept";
    EXPECT_EQ(capture.Count(3, "SpawnProcess() " + kHangingQuery + " exit code = 259"), 1u);
    // The query itself ended at once and was collected by the next spawn.
    EXPECT_TRUE(ToolRuns().empty());
}

// Restores the host's SIGCHLD disposition when it goes.
class ScopedChildSignal {
public:
    explicit ScopedChildSignal(const struct sigaction& action) { ::sigaction(SIGCHLD, &action, &m_previous_); }
    ~ScopedChildSignal() { ::sigaction(SIGCHLD, &m_previous_, nullptr); }
    ScopedChildSignal(const ScopedChildSignal&) = delete;
    ScopedChildSignal& operator=(const ScopedChildSignal&) = delete;

private:
    struct sigaction m_previous_ {};
};

void NoteChildSignal(int) {}

TEST_F(HostedModule, HostIgnoringSigchldStillHearsAQueryFail)
{
    // The two ways a host lets the kernel reap its children on its own.
    struct sigaction ignored {};
    ignored.sa_handler = SIG_IGN;
    struct sigaction noWait {};
    noWait.sa_handler = NoteChildSignal;
    noWait.sa_flags = SA_NOCLDWAIT;
    ScopedEnvironment tools({{"FAKE_MFT_FIXTURE", QuilletTest::kTwoAdaptersFixture}});
    for (const struct sigaction& disposition : {ignored, noWait}) {
        SCOPED_TRACE(disposition.sa_handler == SIG_IGN ? "SIG_IGN" : "SA_NOCLDWAIT");
        ScopedChildSignal host(disposition);
        std::vector<RawData_> records;
        ::setenv("FAKE_MFT_FAIL_DEVICE", "mt4117_pciconf0", 1);
        EXPECT_EQ(m_module_->GetRawData(records, kFakeRoot), 3);
        EXPECT_EQ(records.size(), 2u);
        ::unsetenv("FAKE_MFT_FAIL_DEVICE");
        records.clear();
        EXPECT_EQ(m_module_->GetRawData(records, kFakeRoot), 0);
        EXPECT_EQ(records.size(), 3u);

        struct sigaction now {};
        ::sigaction(SIGCHLD, nullptr, &now);
        EXPECT_EQ(now.sa_handler, disposition.sa_handler) << "the host's disposition is left alone";
        EXPECT_EQ(now.sa_flags & SA_NOCLDWAIT, disposition.sa_flags & SA_NOCLDWAIT);
    }
}

TEST(InBandConstruction, ThatFailsAtAnyAllocationLeavesTheProviderModuleAsItFoundIt)
{
    PauseCounter pauses;
    CimSimProcess server({"--provider-stopped"});
    LocalCimServer local(server);
    // Nothing is logged: a failing allocation must not meet a log record's
    // destructor.
    LogCapture capture(0);
    bool constructed = false;
    long failures = 0;
    for (long allocation = 0; !constructed && allocation < 20000; ++allocation) {
        QuilletTest::FailAllocationAfter(allocation);
        try {
            Mellanox module;
            QuilletTest::FailAllocationAfter(-1);
            constructed = true;
            EXPECT_EQ(server.stats().providerModule, "started");
        } catch (const std::bad_alloc&) {
            QuilletTest::FailAllocationAfter(-1);
            ++failures;
            ASSERT_EQ(server.stats().providerModule, "stopped") << "failed at allocation " << allocation;
        }
    }
    EXPECT_TRUE(constructed);
    EXPECT_GT(failures, 10);
    EXPECT_EQ(server.stats().providerModule, "stopped");
}

}  // namespace
