// The diagnostics engine against the simulated server: discovery through the
// association, the method call, job polling over every job script, and the
// completion record.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <Pegasus/Common/CIMValue.h>

#include "cimfunc.h"
#include "log.h"
#include "log_assertions.h"
#include "osspecific.h"
#include "simulated_server.h"

using CimFuncTesting::DiscoveredDiagnostics;
using CimFuncTesting::FixturePath;
using mlnx_cimsim::testing::CimSimProcess;

using CimFuncTesting::CountStartingWith;

namespace {

const char* const kAssociation = "MLNX_AvailableDiagnosticService";
const char* const kCompletionRecord = "MLNX_DiagnosticCompletionRecord";
const char* const kTimeOutLine = "Diagnostic timing out, can not get Completed & 100% status of Comcretejob";
const unsigned int kDiscoveryTimeout = 120;
const unsigned int kMethodTimeout = 180;
const unsigned int kPollTimeout = 60;
const int kPollAttempts = 10;

bool RecordOfItsJob(DiagnosticItem& item, const Pegasus::CIMInstance& record)
{
    const Pegasus::Uint32 position = record.findProperty(Pegasus::CIMName("InstanceID"));
    if (position == Pegasus::PEG_NOT_FOUND) {
        return false;
    }
    const std::string instanceId(record.getProperty(position).getValue().toString().getCString());
    return !item.jobInstanceID.empty() && instanceId.find(item.jobInstanceID) != std::string::npos;
}

bool AnyRecord(DiagnosticItem&, const Pegasus::CIMInstance&)
{
    return true;
}

bool NoRecord(DiagnosticItem&, const Pegasus::CIMInstance&)
{
    return false;
}

class DiagnosticsEngine : public ::testing::Test {
protected:
    explicit DiagnosticsEngine(const std::string& fixture = "diagnostics.json")
        : server_({"--fixture", FixturePath(fixture)}),
          cimFunc_(new CimFunc(Pegasus::CIMNamespaceName("root/cimv2"), CimFuncTesting::DescriptionOf(server_)))
    {
    }

    void SetUp() override { ASSERT_NE(cimFunc_->GetClient(), nullptr); }

    int Discover(DiscoveredDiagnostics& found, const char* className = kAssociation)
    {
        return CimFunc::GetDiagnosticItems(cimFunc_->GetClient(), cimFunc_->GetNameSpace(),
                                           Pegasus::CIMName(className), kDiscoveryTimeout, found.paths,
                                           found.items);
    }

    int Start(const DiscoveredDiagnostics& found, const std::pair<std::string, std::string>& key,
              DiagnosticItem& item)
    {
        return CimFunc::InvokeDiagnostic(cimFunc_->GetClient(), cimFunc_->GetNameSpace(),
                                         Pegasus::CIMName("RunDiagnostic"), kMethodTimeout, key, found.items, item);
    }

    int Poll(DiagnosticItem& item, PropertyMap& result, int attempts = kPollAttempts)
    {
        Pegasus::CIMObjectPath jobPath;
        if (item.outParameters.size() > 0) {
            item.outParameters[0].getValue().get(jobPath);
        }
        return PollPath(jobPath, item, result, attempts);
    }

    int PollPath(const Pegasus::CIMObjectPath& jobPath, DiagnosticItem& item, PropertyMap& result, int attempts)
    {
        return CimFunc::PollConcreteJob(cimFunc_->GetClient(), cimFunc_->GetNameSpace(), jobPath, kPollTimeout,
                                        attempts, item, result);
    }

    int Record(DiagnosticItem& item, PropertyMap& result,
               bool (*matches)(DiagnosticItem&, const Pegasus::CIMInstance&) = &RecordOfItsJob,
               const char* className = kCompletionRecord)
    {
        return CimFunc::GetCompletionRecord(cimFunc_->GetClient(), cimFunc_->GetNameSpace(),
                                            Pegasus::CIMName(className), item, kPollTimeout, matches, result);
    }

    // Discovery, start and poll of the diagnostic named `serviceName`; the poll's status.
    int RunUntilPolled(const std::string& serviceName, DiagnosticItem& item, PropertyMap& result)
    {
        DiscoveredDiagnostics found;
        EXPECT_EQ(Discover(found), 0);
        EXPECT_EQ(Start(found, found.KeyOf(serviceName), item), 0);
        return Poll(item, result);
    }

    // Declared first: no pause of the first connection may really be waited out.
    std::vector<unsigned int> pauses_;
    Quillet::OsSpecific::ScopedSleepObserver observer_{[this](unsigned int ms) { pauses_.push_back(ms); }};
    CimSimProcess server_;
    std::unique_ptr<CimFunc> cimFunc_;
};

TEST_F(DiagnosticsEngine, DiscoveryListsEveryAssociationWithAlignedPaths)
{
    Quillet::LogCapture capture(4);
    DiscoveredDiagnostics found;

    ASSERT_EQ(Discover(found), 0);

    ASSERT_EQ(found.items.size(), 9u);
    ASSERT_EQ(found.paths.size(), 9u);
    for (size_t i = 0; i < found.items.size(); ++i) {
        const DiagnosticItem& item = *found.items[i];
        EXPECT_EQ(found.paths[i].first, item.serviceProvidedPath);
        EXPECT_EQ(found.paths[i].second, item.userOfServicePath);
        EXPECT_EQ(std::string(item.servicePath.toString().getCString()), item.serviceProvidedPath);
        EXPECT_EQ(std::string(item.serviceName.getCString()), CimFunc::GetNameFromPath(item.serviceProvidedPath));
        EXPECT_EQ(std::string(item.deviceID.getCString()), "mt4115_pciconf0");
        EXPECT_EQ(CimFunc::GetDeviceIdFromPath(item.userOfServicePath), "mt4115_pciconf0");
        EXPECT_EQ(std::string(item.systemName.getCString()), "cimfunc-host");
        ASSERT_EQ(item.inParameters.size(), 1u);
        EXPECT_EQ(std::string(item.inParameters[0].getParameterName().getCString()), "ManagedElement");
        EXPECT_TRUE(item.inParameters[0].isTyped());
        EXPECT_EQ(std::string(item.inParameters[0].getValue().toString().getCString()), item.userOfServicePath);
        EXPECT_EQ(item.outParameters.size(), 0u);
        EXPECT_TRUE(item.jobInstanceID.empty());
        EXPECT_EQ(capture.Count(4, "Object Path of ServiceProvided is " + item.serviceProvidedPath), 1u);
    }
    EXPECT_EQ(capture.Count(4, "Calling CimFunc::GetDiagnosticItems()"), 1u);
    EXPECT_NE(found.KeyOf("Never Ends").first, "");

    // A second discovery replaces the list instead of growing it.
    ASSERT_EQ(Discover(found), 0);
    EXPECT_EQ(found.items.size(), 9u);
    EXPECT_EQ(found.paths.size(), 9u);
}

TEST_F(DiagnosticsEngine, FailedDiscoveryEmptiesTheListsAndNamesTheClass)
{
    Quillet::LogCapture capture(1);
    DiscoveredDiagnostics found;
    ASSERT_EQ(Discover(found), 0);

    EXPECT_EQ(Discover(found, "MLNX_NoSuchAssociation"), 1);

    EXPECT_TRUE(found.items.empty());
    EXPECT_TRUE(found.paths.empty());
    EXPECT_EQ(CountStartingWith(capture, 1, "Enumerate instances for MLNX_NoSuchAssociation failed with the reason: "),
              1u);
}

TEST_F(DiagnosticsEngine, JobFinishedOnTheFirstPollEndsAfterOneRequest)
{
    Quillet::LogCapture capture(4);
    DiagnosticItem item;
    PropertyMap result;

    ASSERT_EQ(RunUntilPolled("Finishes On First Poll", item, result), 0);

    EXPECT_EQ(capture.Count(4, "Diagnostic Finished at the 1 attempt"), 1u);
    EXPECT_TRUE(pauses_.empty());
    EXPECT_EQ(result[DiagnosticResultLabels[0]], "Completed");
    EXPECT_EQ(result[DiagnosticResultLabels[1]], "100");
    EXPECT_FALSE(item.jobInstanceID.empty());

    ASSERT_EQ(Record(item, result), 0);
    EXPECT_EQ(result[DiagnosticResultLabels[2]], "OK");
    EXPECT_EQ(result[DiagnosticResultLabels[3]], "all lanes passed");
    EXPECT_EQ(result.size(), 4u);
}

TEST_F(DiagnosticsEngine, JobFinishedOnTheTenthPollStillSucceeds)
{
    Quillet::LogCapture capture(4);
    DiagnosticItem item;
    PropertyMap result;

    ASSERT_EQ(RunUntilPolled("Finishes On Tenth Poll", item, result), 0);

    EXPECT_EQ(capture.Count(4, "Diagnostic Finished at the 10 attempt"), 1u);
    EXPECT_EQ(pauses_, std::vector<unsigned int>(9, 10000));
    ASSERT_EQ(Record(item, result), 0);
    EXPECT_EQ(result[DiagnosticResultLabels[2]], "Warning");
}

TEST_F(DiagnosticsEngine, CompletedBelowHundredPercentIsPolledAgain)
{
    Quillet::LogCapture capture(4);
    DiagnosticItem item;
    PropertyMap result;

    ASSERT_EQ(RunUntilPolled("Completed Short Of 100", item, result), 0);

    EXPECT_EQ(capture.Count(4, "Diagnostic Finished at the 2 attempt"), 1u);
    EXPECT_EQ(pauses_, std::vector<unsigned int>({10000}));
}

TEST_F(DiagnosticsEngine, FinalStatesOtherThanCompletedEndThePollWithSuccess)
{
    const std::vector<std::pair<std::string, std::string> > runs = {{"Ends Killed", "Killed"},
                                                                    {"Ends In Exception", "Exception"},
                                                                    {"Ends Suspended", "Suspended"},
                                                                    {"Ends Terminated", "Terminated"}};
    for (const std::pair<std::string, std::string>& run : runs) {
        Quillet::LogCapture capture(4);
        DiagnosticItem item;
        PropertyMap result;

        ASSERT_EQ(RunUntilPolled(run.first, item, result), 0) << run.first;

        EXPECT_EQ(capture.Count(1, "Diagnostic Finished at the " + run.second + " state"), 1u);
        EXPECT_EQ(result[DiagnosticResultLabels[0]], run.second);
        EXPECT_FALSE(item.jobInstanceID.empty());
        // The outcome is still read from the record of that job.
        ASSERT_EQ(Record(item, result), 0);
        EXPECT_FALSE(result[DiagnosticResultLabels[2]].empty());
    }
}

TEST_F(DiagnosticsEngine, FinalStateOnTheLastAttemptStillCounts)
{
    Quillet::LogCapture capture(4);
    DiagnosticItem item;
    PropertyMap result;

    ASSERT_EQ(RunUntilPolled("Killed On Tenth Poll", item, result), 0);

    EXPECT_EQ(capture.Count(1, "Diagnostic Finished at the Killed state"), 1u);
    EXPECT_EQ(capture.Count(1, kTimeOutLine), 0u);
    EXPECT_EQ(pauses_, std::vector<unsigned int>(9, 10000));
}

TEST_F(DiagnosticsEngine, JobThatNeverEndsTimesOutAfterTenPollsAndTenWaits)
{
    Quillet::LogCapture capture(4);
    DiagnosticItem item;
    PropertyMap result;

    EXPECT_EQ(RunUntilPolled("Never Ends", item, result), 1);

    EXPECT_EQ(pauses_, std::vector<unsigned int>(10, 10000));
    EXPECT_EQ(capture.Count(1, kTimeOutLine), 1u);
    EXPECT_EQ(CountStartingWith(capture, 4, "Diagnostic Finished"), 0u);
    EXPECT_EQ(result[DiagnosticResultLabels[0]], "Running");
    EXPECT_FALSE(result[DiagnosticResultLabels[1]].empty());
    EXPECT_TRUE(item.jobInstanceID.empty());
}

TEST_F(DiagnosticsEngine, UnreadableJobIsRetriedWithAWaitEachTime)
{
    Quillet::LogCapture capture(1);
    DiagnosticItem item;
    PropertyMap result;
    const Pegasus::CIMObjectPath missingJob("MLNX_DiagnosticJob.InstanceID=\"no-such-job\"");

    EXPECT_EQ(PollPath(missingJob, item, result, 3), 1);

    EXPECT_EQ(CountStartingWith(capture, 1, "getInstance return exeption: "), 3u);
    EXPECT_EQ(capture.Count(1, kTimeOutLine), 1u);
    EXPECT_EQ(pauses_, std::vector<unsigned int>(3, 10000));
    EXPECT_TRUE(result.empty());
}

TEST_F(DiagnosticsEngine, StartWithAnUnknownKeyMakesNoRequest)
{
    Quillet::LogCapture capture(4);
    DiscoveredDiagnostics found;
    ASSERT_EQ(Discover(found), 0);
    const uint64_t requestsBefore = server_.stats().requests;
    DiagnosticItem item;

    EXPECT_EQ(Start(found, std::make_pair(std::string("service"), std::string("element")), item), 1);

    EXPECT_EQ(capture.Count(4, "Diagnostic item not found...service\telement"), 1u);
    EXPECT_EQ(server_.stats().requests, requestsBefore + 0);
    EXPECT_TRUE(item.serviceProvidedPath.empty());
}

TEST_F(DiagnosticsEngine, StartUsesTheFirstOfTwoItemsWithTheSamePaths)
{
    Quillet::LogCapture capture(4);
    DiscoveredDiagnostics found;
    ASSERT_EQ(Discover(found), 0);
    const std::pair<std::string, std::string> key = found.KeyOf("Finishes On First Poll");
    const DiagnosticItem* original = nullptr;
    for (const DiagnosticItem* item : found.items) {
        if (item->serviceProvidedPath == key.first) {
            original = item;
        }
    }
    ASSERT_NE(original, nullptr);
    // Same texts, but its service names nothing the server knows.
    DiagnosticItem unreachable = *original;
    unreachable.servicePath = Pegasus::CIMObjectPath("MLNX_DiagnosticTest.Name=\"missing\"");
    DiagnosticItem reachable = *original;

    DiagnosticItem item;
    EXPECT_EQ(CimFunc::InvokeDiagnostic(cimFunc_->GetClient(), cimFunc_->GetNameSpace(),
                                        Pegasus::CIMName("RunDiagnostic"), kMethodTimeout, key,
                                        {&reachable, &unreachable}, item),
              0);
    EXPECT_EQ(capture.Count(4, "Diagnostic item found..." + key.first + "\t" + key.second), 1u);
    EXPECT_GT(item.outParameters.size(), 0u);

    DiagnosticItem other;
    EXPECT_EQ(CimFunc::InvokeDiagnostic(cimFunc_->GetClient(), cimFunc_->GetNameSpace(),
                                        Pegasus::CIMName("RunDiagnostic"), kMethodTimeout, key,
                                        {&unreachable, &reachable}, other),
              1);
    EXPECT_EQ(CountStartingWith(capture, 1, "invokeMethod return exeption: "), 1u);
}

TEST_F(DiagnosticsEngine, CompletionRecordIsTheFirstAcceptedInServerOrder)
{
    DiagnosticItem first;
    DiagnosticItem second;
    PropertyMap ignored;
    ASSERT_EQ(RunUntilPolled("Finishes On First Poll", first, ignored), 0);
    ASSERT_EQ(RunUntilPolled("Ends In Exception", second, ignored), 0);

    PropertyMap ofSecond;
    ASSERT_EQ(Record(second, ofSecond), 0);
    EXPECT_EQ(ofSecond[DiagnosticResultLabels[2]], "Failed");
    EXPECT_EQ(ofSecond[DiagnosticResultLabels[3]], "loopback failed");

    PropertyMap ofAny;
    ASSERT_EQ(Record(second, ofAny, &AnyRecord), 0);
    EXPECT_EQ(ofAny[DiagnosticResultLabels[3]], "all lanes passed");
}

TEST_F(DiagnosticsEngine, NoAcceptedRecordFailsSilentlyAndLeavesTheResult)
{
    DiagnosticItem item;
    PropertyMap result;
    ASSERT_EQ(RunUntilPolled("Finishes On First Poll", item, result), 0);
    const PropertyMap before = result;
    Quillet::LogCapture capture(4);

    EXPECT_EQ(Record(item, result, &NoRecord), 1);

    EXPECT_EQ(result, before);
    EXPECT_TRUE(capture.Messages().empty());
}

TEST_F(DiagnosticsEngine, FailedRecordEnumerationNamesTheClass)
{
    Quillet::LogCapture capture(1);
    DiagnosticItem item;
    PropertyMap result;

    EXPECT_EQ(Record(item, result, &AnyRecord, "MLNX_NoSuchRecord"), 1);

    EXPECT_EQ(CountStartingWith(capture, 1, "Enumerate instances for MLNX_NoSuchRecord failed with the reason: "), 1u);
    EXPECT_TRUE(result.empty());
}

class MalformedAssociation : public DiagnosticsEngine {
protected:
    MalformedAssociation() : DiagnosticsEngine("malformed_association.json") {}
};

TEST_F(MalformedAssociation, StringInsteadOfReferenceIsSkippedAndTheOthersListed)
{
    Quillet::LogCapture capture(4);
    DiscoveredDiagnostics found;

    EXPECT_EQ(Discover(found), 1);

    EXPECT_EQ(capture.Count(2, "Property ServiceProvided is not found as REF."), 1u);
    ASSERT_EQ(found.items.size(), 2u);
    ASSERT_EQ(found.paths.size(), 2u);
    EXPECT_EQ(CimFunc::GetDeviceIdFromPath(found.paths[0].second), "mt4115_pciconf0");
    EXPECT_EQ(CimFunc::GetDeviceIdFromPath(found.paths[1].second), "mt4117_pciconf0");
    EXPECT_EQ(found.items[1]->userOfServicePath, found.paths[1].second);
}

}  // namespace
