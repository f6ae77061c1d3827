// RunDiagnostic through the exported class, in-band against the simulator: the job
// polled to its end, the completion record read, the result code chosen from its
// state; and what a run reports when the job, its record or the server fails it.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "cim_module_support/simulated_cim_server.h"
#include "log.h"
#include "mellanox.h"

namespace {

using cim_module_support::LocalCimServer;
using cim_module_support::PauseCounter;
using mlnx_cimsim::testing::CimSimProcess;
using Quillet::LogCapture;
using Quillet::Mellanox::Mellanox;
using Quillet::QuilletIHV::DiagnosticRecord_;

const char* const kLinkTestOnFirstFunction = "MLNX_PCIeLinkTest|0000:03:00.0";
const unsigned int kPollPauseMs = 10000;

// A record whose texts a run must overwrite.
DiagnosticRecord_ StaleRecord()
{
    DiagnosticRecord_ record;
    record.result = 99;
    record.job_state = record.percent_complete = record.completion_state = record.completion_record = "stale";
    record.detail_1 = record.detail_2 = record.detail_3 = record.detail_4 = "stale";
    return record;
}

void ExpectNoDetails(const DiagnosticRecord_& record)
{
    EXPECT_EQ(record.detail_1, "");
    EXPECT_EQ(record.detail_2, "");
    EXPECT_EQ(record.detail_3, "");
    EXPECT_EQ(record.detail_4, "");
}

// A run that failed: result 1, the job texts as given, no completion texts.
void ExpectFailedRun(const DiagnosticRecord_& record, const std::string& jobState, const std::string& percent)
{
    EXPECT_EQ(record.result, 1);
    EXPECT_EQ(record.job_state, jobState);
    EXPECT_EQ(record.percent_complete, percent);
    EXPECT_EQ(record.completion_state, "");
    EXPECT_EQ(record.completion_record, "");
    ExpectNoDetails(record);
}

// An in-band module on the default fixture whose diagnostics have been discovered.
class DiagnosticRun : public testing::Test {
protected:
    void SetUp() override
    {
        std::vector<std::string> names;
        ASSERT_EQ(m_module_.GetDiagItems(names), 0);
    }

    // The next RunDiagnostic calls use these job scripts (simulator control syntax).
    void QueueJobs(std::initializer_list<nlohmann::json> scripts)
    {
        nlohmann::json document;
        document["next_jobs"] = std::vector<nlohmann::json>(scripts);
        m_server_.control(document.dump());
    }

    PauseCounter m_pauses_;
    CimSimProcess m_server_;
    LocalCimServer m_local_{m_server_};
    Mellanox m_module_;
};

TEST_F(DiagnosticRun, EachCompletionStateGivesItsResultCode)
{
    struct Case {
        const char* finalJobState;
        const char* completionState;
        int result;
        const char* percent;
    };
    const Case cases[] = {
        {"Completed", "OK", 2, "100"},         {"Completed", "Warning", 3, "100"},
        {"Exception", "Incomplete", 4, "50"},  {"Completed", "Failed", 5, "100"},
        {"Killed", "Aborted", 6, "50"},        {"Terminated", "Stopped", 7, "50"},
        {"Suspended", "Other", 1, "50"},       {"Completed", "Unknown", 1, "100"},
    };
    LogCapture capture(1);
    for (const Case& run : cases) {
        SCOPED_TRACE(run.completionState);
        const std::string data = std::string("record of ") + run.completionState;
        QueueJobs({{{"polls", 2}, {"final_state", run.finalJobState}, {"completion_state", run.completionState},
                    {"record_data", data}}});
        const size_t pausesBefore = m_pauses_.Count(kPollPauseMs);

        DiagnosticRecord_ record = StaleRecord();
        EXPECT_EQ(m_module_.RunDiagnostic(kLinkTestOnFirstFunction, record), 0);
        EXPECT_EQ(record.result, run.result);
        EXPECT_EQ(record.job_state, run.finalJobState);
        EXPECT_EQ(record.percent_complete, run.percent);
        EXPECT_EQ(record.completion_state, run.completionState);
        EXPECT_EQ(record.completion_record, data);
        // No per-diagnostic texts are configured, so every outcome leaves them empty.
        ExpectNoDetails(record);
        EXPECT_EQ(m_pauses_.Count(kPollPauseMs) - pausesBefore, 1u) << "one unfinished poll, one wait";
    }
    EXPECT_EQ(m_pauses_.Total(), m_pauses_.Count(kPollPauseMs));
    EXPECT_EQ(capture.Count(1, "Diagnostic Finished at the Killed state"), 1u);
}

TEST_F(DiagnosticRun, JobThatNeverFinishesIsPolledTenTimes)
{
    QueueJobs({{{"polls", 3}, {"final_state", "never"}}});
    LogCapture capture(3);

    DiagnosticRecord_ record = StaleRecord();
    EXPECT_EQ(m_module_.RunDiagnostic(kLinkTestOnFirstFunction, record), 1);
    // The job texts are the last polled values.
    ExpectFailedRun(record, "Running", "66");

    EXPECT_EQ(m_pauses_.Count(kPollPauseMs), 10u);
    EXPECT_EQ(capture.Count(1, "Diagnostic timing out, can not get Completed & 100% status of Comcretejob"), 1u);
    EXPECT_EQ(capture.Count(3, "Cimserver connection succeeded "), 1u) << "the client is rebuilt";
    const nlohmann::json jobs = nlohmann::json::parse(m_server_.stats().json).at("jobs");
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].at("polls").get<int>(), 10);

    // The rebuilt client serves the next run.
    QueueJobs({{{"polls", 1}, {"completion_state", "OK"}}});
    EXPECT_EQ(m_module_.RunDiagnostic(kLinkTestOnFirstFunction, record), 0);
    EXPECT_EQ(record.result, 2);
}

TEST_F(DiagnosticRun, JobWithoutCompletionRecordFailsTheRun)
{
    QueueJobs({{{"polls", 1}, {"completion_record", false}}});
    LogCapture capture(3);

    DiagnosticRecord_ record = StaleRecord();
    EXPECT_EQ(m_module_.RunDiagnostic(kLinkTestOnFirstFunction, record), 1);
    ExpectFailedRun(record, "Completed", "100");
    EXPECT_EQ(capture.Count(3, "Cimserver connection succeeded "), 1u) << "the client is rebuilt";
    EXPECT_EQ(m_pauses_.Total(), 0u);
}

TEST_F(DiagnosticRun, WithoutAJobTheFirstCompletionRecordIsTaken)
{
    // An earlier run leaves its record first in the server's order.
    QueueJobs({{{"polls", 1}, {"completion_state", "OK"}, {"record_data", "earlier run"}},
               {{"return_job", false}, {"completion_state", "Failed"}, {"record_data", "this run"}}});
    DiagnosticRecord_ record;
    ASSERT_EQ(m_module_.RunDiagnostic(kLinkTestOnFirstFunction, record), 0);
    LogCapture capture(4);

    record = StaleRecord();
    EXPECT_EQ(m_module_.RunDiagnostic("MLNX_LoopbackTest|0000:03:00.1", record), 0);
    EXPECT_EQ(capture.Count(1, "No Concrete Job returned..."), 1u);
    EXPECT_EQ(record.job_state, "") << "no job was polled";
    EXPECT_EQ(record.percent_complete, "");
    EXPECT_EQ(record.completion_state, "OK");
    EXPECT_EQ(record.completion_record, "earlier run");
    EXPECT_EQ(record.result, 2);
    EXPECT_EQ(capture.Count(4, "Found matched CIM_DiagnosticCompletionRecord instance."), 1u);
}

TEST_F(DiagnosticRun, NameSelectingSeveralDiagnosticsRunsEachAndKeepsTheLast)
{
    QueueJobs({{{"polls", 1}, {"completion_state", "OK"}}, {{"polls", 1}, {"completion_state", "Failed"}}});
    // The service part "MLNX_" and the device part "0000:03:00." fit both functions
    // of the first adapter.
    DiagnosticRecord_ record = StaleRecord();
    EXPECT_EQ(m_module_.RunDiagnostic("MLNX_|0000:03:00.", record), 0);
    EXPECT_EQ(record.result, 5);
    EXPECT_EQ(record.completion_state, "Failed");

    const nlohmann::json jobs = nlohmann::json::parse(m_server_.stats().json).at("jobs");
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].at("service").get<std::string>(), "MLNX_PCIeLinkTest");
    EXPECT_EQ(jobs[1].at("service").get<std::string>(), "MLNX_LoopbackTest");
}

TEST_F(DiagnosticRun, NameMatchingNothingRunsNothing)
{
    // Without "|" the whole name stands for the device too, which no path contains.
    for (const char* name : {"MLNX_LoopbackTest", "MLNX_NoSuchTest|0000:03:00.0"}) {
        DiagnosticRecord_ record = StaleRecord();
        EXPECT_EQ(m_module_.RunDiagnostic(name, record), 1) << name;
        EXPECT_EQ(record.result, 0) << name;
        EXPECT_EQ(record.completion_state, "stale") << "texts are written only by a run";
        EXPECT_EQ(record.detail_4, "stale");
    }
    EXPECT_EQ(m_server_.stats().operations.count("RunDiagnostic"), 0u);
}

TEST_F(DiagnosticRun, MethodCallCutOffFailsTheRunAndRebuildsTheClient)
{
    m_server_.control(R"({"close_mid_response": true, "times": 1})");
    LogCapture capture(3);

    DiagnosticRecord_ record = StaleRecord();
    EXPECT_EQ(m_module_.RunDiagnostic(kLinkTestOnFirstFunction, record), 1);
    ExpectFailedRun(record, "", "");
    EXPECT_TRUE(capture.AnyContains("invokeMethod return exeption: "));
    EXPECT_EQ(capture.Count(3, "Cimserver connection succeeded "), 1u);

    EXPECT_EQ(m_module_.RunDiagnostic(kLinkTestOnFirstFunction, record), 0);
    EXPECT_EQ(record.result, 2) << "the default fixture's job for this diagnostic";
    EXPECT_EQ(m_pauses_.Total(), 0u);
}

TEST(DiagnosticRunServerGone, FailsTheRunAfterThreeConnectionAttempts)
{
    PauseCounter pauses;
    // Outlives the module, whose destruction finds no server either.
    LogCapture capture(1);
    std::unique_ptr<CimSimProcess> server(new CimSimProcess());
    LocalCimServer local(*server);
    Mellanox module;
    std::vector<std::string> names;
    ASSERT_EQ(module.GetDiagItems(names), 0);
    server.reset();

    DiagnosticRecord_ record = StaleRecord();
    EXPECT_EQ(module.RunDiagnostic(kLinkTestOnFirstFunction, record), 1);
    ExpectFailedRun(record, "", "");
    EXPECT_TRUE(capture.AnyContains("invokeMethod return exeption: "));
    EXPECT_EQ(pauses.Count(10000), 3u);

    // Without a client the next run gives up before any request, after three more attempts.
    EXPECT_EQ(module.RunDiagnostic(kLinkTestOnFirstFunction, record), 1);
    EXPECT_EQ(pauses.Count(10000), 6u);
}

TEST(DiagnosticRunBeforeDiscovery, FindsNothingAndSendsNoRequest)
{
    PauseCounter pauses;
    CimSimProcess server;
    LocalCimServer local(server);
    Mellanox module;
    const mlnx_cimsim::testing::CimSimStats before = server.stats();

    DiagnosticRecord_ record = StaleRecord();
    EXPECT_EQ(module.RunDiagnostic(kLinkTestOnFirstFunction, record), 1);
    EXPECT_EQ(record.result, 0);
    EXPECT_EQ(record.job_state, "stale");
    EXPECT_EQ(server.stats().requests, before.requests);
}

}  // namespace
