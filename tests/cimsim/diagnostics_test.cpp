// RunDiagnostic, its jobs as a client polls them, and the completion records,
// over the wire as the module's diagnostics engine uses them.

#include "cim_client_requests.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using mlnx_cimsim::testing::CimSimProcess;
using namespace cimsim_test;

namespace {

const char* kHost = "mlnx-server.example.com";

std::string testPath(const std::string& test) {
    return instanceNameXml("MLNX_DiagnosticTest", {{"CreationClassName", "MLNX_DiagnosticTest"},
                                                   {"Name", test},
                                                   {"SystemCreationClassName", "CIM_ComputerSystem"},
                                                   {"SystemName", kHost}});
}

std::string devicePath(const std::string& deviceId) {
    return instanceNameXml("MLNX_PCIDevice", {{"CreationClassName", "MLNX_PCIDevice"},
                                              {"DeviceID", deviceId},
                                              {"SystemCreationClassName", "CIM_ComputerSystem"},
                                              {"SystemName", kHost}});
}

struct MethodAnswer {
    int error = 0;
    std::string returnType;
    std::string returnValue;
    std::string firstOutName;
    std::string firstOutType;
    std::string jobId;  // InstanceID key of the returned job
};

MethodAnswer runDiagnostic(const CimSimProcess& sim, const std::string& test, const std::string& deviceId) {
    std::string parameter = "<PARAMVALUE NAME=\"ManagedElement\" PARAMTYPE=\"reference\">\n<VALUE.REFERENCE>\n" +
                            devicePath(deviceId) + "</VALUE.REFERENCE>\n</PARAMVALUE>\n";
    auto response = send(sim, cimPost("RunDiagnostic", "root%2Fcimv2%3AMLNX_DiagnosticTest",
                                      methodBody("RunDiagnostic", "root/cimv2", testPath(test), parameter), false));
    MethodAnswer answer;
    answer.error = errorCode(response.body);
    pugi::xml_document document;
    EXPECT_TRUE(document.load_string(response.body.c_str()));
    auto method = document.select_node("//METHODRESPONSE").node();
    answer.returnType = method.child("RETURNVALUE").attribute("PARAMTYPE").value();
    answer.returnValue = method.child("RETURNVALUE").child("VALUE").text().get();
    if (auto out = method.child("PARAMVALUE")) {
        answer.firstOutName = out.attribute("NAME").value();
        answer.firstOutType = out.attribute("PARAMTYPE").value();
        answer.jobId = out.select_node(".//KEYVALUE").node().text().get();
    }
    return answer;
}

std::string displayed(const ParsedProperty& property) {
    for (size_t i = 0; i < property.valueMap.size() && i < property.values.size(); ++i) {
        if (property.valueMap[i] == property.value) {
            return property.values[i];
        }
    }
    return property.value;
}

struct JobView {
    std::string state;
    std::string percent;
    std::string instanceId;
};

// One poll as the diagnostics engine makes it: GetInstance with qualifiers, read as display text.
JobView poll(const CimSimProcess& sim, const std::string& jobId) {
    IntrinsicCall call;
    call.operation = "GetInstance";
    call.parameters = {instanceNameParameter(instanceNameXml("MLNX_DiagnosticJob", {{"InstanceID", jobId}})),
                       flagParameter("IncludeQualifiers", true)};
    auto instances = parseInstances(send(sim, cimPost("GetInstance", "root%2Fcimv2", intrinsicBody(call), true)).body);
    EXPECT_EQ(instances.size(), 1u);
    if (instances.empty()) {
        return {};
    }
    return {displayed(instances[0].properties.at("JobState")), displayed(instances[0].properties.at("PercentComplete")),
            instances[0].properties.at("InstanceID").value};
}

struct RecordView {
    std::string instanceId;
    std::string completionState;
    std::string recordData;
};

std::vector<RecordView> completionRecords(const CimSimProcess& sim) {
    std::vector<RecordView> records;
    for (const auto& instance : parseInstances(send(sim, enumerateInstances("MLNX_DiagnosticCompletionRecord", true)).body)) {
        records.push_back({instance.properties.at("InstanceID").value,
                           displayed(instance.properties.at("CompletionState")),
                           instance.properties.at("RecordData").value});
    }
    return records;
}

TEST(Diagnostics, TheAssociationLinksEachTestToAPciFunctionWhoseNameAndDeviceIdFollowAnotherKey) {
    CimSimProcess sim;
    auto response = send(sim, enumerateInstances("MLNX_AvailableDiagnosticService"));
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(response.body.c_str()));
    auto instances = document.select_nodes("//VALUE.NAMEDINSTANCE/INSTANCE");
    ASSERT_EQ(instances.size(), 4u);
    for (const auto& instance : instances) {
        auto service = instance.node().find_child_by_attribute("PROPERTY.REFERENCE", "NAME", "ServiceProvided");
        auto user = instance.node().find_child_by_attribute("PROPERTY.REFERENCE", "NAME", "UserOfService");
        ASSERT_TRUE(service && user);
        auto serviceKeys = service.child("VALUE.REFERENCE").child("INSTANCENAME");
        auto userKeys = user.child("VALUE.REFERENCE").child("INSTANCENAME");
        EXPECT_STREQ(serviceKeys.attribute("CLASSNAME").value(), "MLNX_DiagnosticTest");
        EXPECT_STREQ(serviceKeys.first_child().attribute("NAME").value(), "CreationClassName");
        EXPECT_STREQ(serviceKeys.first_child().next_sibling().attribute("NAME").value(), "Name");
        EXPECT_STREQ(userKeys.attribute("CLASSNAME").value(), "MLNX_PCIDevice");
        EXPECT_STREQ(userKeys.first_child().next_sibling().attribute("NAME").value(), "DeviceID");
    }
}

TEST(Diagnostics, RunDiagnosticAnswersZeroAndTheJobAsTheFirstOutputParameter) {
    CimSimProcess sim;
    auto answer = runDiagnostic(sim, "MLNX_PCIeLinkTest", "0000:03:00.0");
    EXPECT_EQ(answer.error, 0);
    EXPECT_EQ(answer.returnType, "uint32");
    EXPECT_EQ(answer.returnValue, "0");
    EXPECT_EQ(answer.firstOutName, "Job");
    EXPECT_EQ(answer.firstOutType, "reference");
    EXPECT_FALSE(answer.jobId.empty());
}

TEST(Diagnostics, AJobCompletesAfterTheScriptedNumberOfPollsAndLeavesItsRecord) {
    CimSimProcess sim;
    // The default fixture runs the loopback test of the first adapter over three polls, ending in "Warning".
    auto answer = runDiagnostic(sim, "MLNX_LoopbackTest", "0000:03:00.1");
    ASSERT_FALSE(answer.jobId.empty());
    size_t recordsBefore = completionRecords(sim).size();
    auto first = poll(sim, answer.jobId);
    EXPECT_EQ(first.state, "Running");
    EXPECT_EQ(first.percent, "33");
    EXPECT_EQ(poll(sim, answer.jobId).state, "Running");
    EXPECT_EQ(completionRecords(sim).size(), recordsBefore);
    auto last = poll(sim, answer.jobId);
    EXPECT_EQ(last.state, "Completed");
    EXPECT_EQ(last.percent, "100");
    EXPECT_EQ(last.instanceId, answer.jobId);

    auto records = completionRecords(sim);
    ASSERT_EQ(records.size(), recordsBefore + 1);
    EXPECT_NE(records.back().instanceId.find(answer.jobId), std::string::npos);
    EXPECT_EQ(records.back().completionState, "Warning");
    EXPECT_EQ(records.back().recordData, "WARN: 1 correctable error");
    // Later polls keep answering the final state, without a second record.
    EXPECT_EQ(poll(sim, answer.jobId).state, "Completed");
    EXPECT_EQ(completionRecords(sim).size(), recordsBefore + 1);
}

TEST(Diagnostics, EachAbnormalFinalStateEndsTheJobWithItsCompletionState) {
    CimSimProcess sim;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Exception", "Incomplete"}, {"Suspended", "Failed"}, {"Terminated", "Stopped"}, {"Killed", "Aborted"}};
    nlohmann::json scripts = nlohmann::json::array();
    for (const auto& [state, completion] : cases) {
        scripts.push_back({{"polls", 2}, {"final_state", state}, {"completion_state", completion}});
    }
    sim.control(nlohmann::json{{"next_jobs", scripts}}.dump());
    for (const auto& [state, completion] : cases) {
        auto answer = runDiagnostic(sim, "MLNX_PCIeLinkTest", "0000:03:00.0");
        EXPECT_EQ(poll(sim, answer.jobId).state, "Running");
        auto final = poll(sim, answer.jobId);
        EXPECT_EQ(final.state, state);
        EXPECT_EQ(final.percent, "50");
        auto records = completionRecords(sim);
        ASSERT_FALSE(records.empty());
        EXPECT_NE(records.back().instanceId.find(answer.jobId), std::string::npos);
        EXPECT_EQ(records.back().completionState, completion);
    }
}

TEST(Diagnostics, AJobThatNeverFinishesStaysRunningAndLeavesNoRecord) {
    CimSimProcess sim;
    sim.control(R"({"next_jobs": [{"polls": 3, "final_state": "never"}]})");
    auto answer = runDiagnostic(sim, "MLNX_PCIeLinkTest", "0000:03:00.0");
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(poll(sim, answer.jobId).state, "Running");
    }
    EXPECT_TRUE(completionRecords(sim).empty());
    auto stats = nlohmann::json::parse(sim.stats().json);
    EXPECT_EQ(stats["jobs"][0]["polls"], 12);
    EXPECT_EQ(stats["jobs"][0]["completion_record"], false);
}

TEST(Diagnostics, AnExplicitSequenceCanReportCompletedBeforeOneHundredPercent) {
    CimSimProcess sim;
    sim.control(R"({"next_jobs": [{"sequence": [["Completed", "90"], ["Completed", "100"]]}]})");
    auto answer = runDiagnostic(sim, "MLNX_PCIeLinkTest", "0000:03:00.0");
    auto first = poll(sim, answer.jobId);
    EXPECT_EQ(first.state, "Completed");
    EXPECT_EQ(first.percent, "90");
    EXPECT_TRUE(completionRecords(sim).empty());
    EXPECT_EQ(poll(sim, answer.jobId).percent, "100");
    EXPECT_EQ(completionRecords(sim).size(), 1u);
}

TEST(Diagnostics, WithoutAJobTheRecordIsThereWhenTheMethodReturns) {
    CimSimProcess sim;
    sim.control(R"({"next_jobs": [{"return_job": false, "completion_state": "Failed"}]})");
    auto answer = runDiagnostic(sim, "MLNX_PCIeLinkTest", "0000:03:00.0");
    EXPECT_EQ(answer.returnValue, "0");
    EXPECT_TRUE(answer.firstOutName.empty());
    auto records = completionRecords(sim);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].completionState, "Failed");
}

TEST(Diagnostics, BadCallsAnswerWithTheRightCimErrors) {
    CimSimProcess sim;
    EXPECT_EQ(runDiagnostic(sim, "MLNX_NoSuchTest", "0000:03:00.0").error, 6);
    EXPECT_EQ(runDiagnostic(sim, "MLNX_PCIeLinkTest", "0000:99:00.0").error, 4);
    auto noElement = send(sim, cimPost("RunDiagnostic", "root%2Fcimv2",
                                       methodBody("RunDiagnostic", "root/cimv2", testPath("MLNX_PCIeLinkTest"), ""),
                                       false));
    EXPECT_EQ(errorCode(noElement.body), 4);
}

TEST(Diagnostics, AFixtureCanServeAMalformedAssociationNextToGoodOnes) {
    CimSimProcess sim({"--fixture", MALFORMED_ASSOCIATION_FIXTURE});
    auto response = send(sim, enumerateInstances("MLNX_AvailableDiagnosticService"));
    auto instances = parseInstances(response.body);
    ASSERT_EQ(instances.size(), 2u);
    EXPECT_EQ(instances[0].properties.at("ServiceProvided").type, "string");
    EXPECT_EQ(instances[1].properties.at("ServiceProvided").type, "reference");
}

}  // namespace
