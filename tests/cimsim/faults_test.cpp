// Each injected fault as a client meets it, and the next call working once the
// fault is cleared.

#include "cim_client_requests.h"

#include <gtest/gtest.h>

using mlnx_cimsim::testing::CimSimProcess;
using mlnx_cimsim::testing::HttpConnection;
using namespace cimsim_test;

namespace {

class Faults : public ::testing::Test {
protected:
    void expectHealthyAfterClearing() {
        sim_.clearFaults();
        auto response = send(sim_, enumerateInstances("MLNX_PCIDevice"));
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(parseInstances(response.body).size(), 4u);
    }
    CimSimProcess sim_;
};

TEST_F(Faults, RefusedConnectionsAreResetUntilTheCountIsUsedUp) {
    sim_.refuseConnections(2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_THROW(send(sim_, enumerateInstances("MLNX_PCIDevice")), std::runtime_error);
    }
    EXPECT_EQ(send(sim_, enumerateInstances("MLNX_PCIDevice")).status, 200);
    auto stats = sim_.stats();
    EXPECT_EQ(stats.refused, 2u);
    EXPECT_EQ(stats.connections, 3u);
    EXPECT_EQ(stats.requests, 1u);
}

TEST_F(Faults, ADelayedResponseOutlastsAShortClientTimeout) {
    sim_.delayResponses(1500);
    HttpConnection impatient(sim_.host(), sim_.port(), false, std::chrono::milliseconds(200));
    EXPECT_THROW(impatient.exchange(enumerateInstances("MLNX_PCIDevice")), std::runtime_error);
    expectHealthyAfterClearing();
}

TEST_F(Faults, AConnectionClosedMidResponseLeavesTheClientWithAPartialBody) {
    sim_.closeMidResponse();
    HttpConnection connection(sim_.host(), sim_.port(), false);
    try {
        connection.exchange(enumerateInstances("MLNX_PCIDevice"));
        FAIL() << "a response cut in half must not read as complete";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("incomplete"), std::string::npos) << error.what();
    }
    expectHealthyAfterClearing();
}

TEST_F(Faults, MalformedXmlIsSentWithAValidHttpFrame) {
    sim_.answerMalformedXml();
    auto response = send(sim_, enumerateInstances("MLNX_PCIDevice"));
    EXPECT_EQ(response.status, 200);
    pugi::xml_document document;
    EXPECT_FALSE(document.load_string(response.body.c_str()));
    expectHealthyAfterClearing();
}

TEST_F(Faults, OneClassFailsWithTheChosenCodeWhileOthersWork) {
    sim_.failClass("MLNX_IBPort", 7, "CIM_ERR_NOT_SUPPORTED: injected");
    EXPECT_EQ(errorCode(send(sim_, enumerateInstances("MLNX_IBPort")).body), 7);
    EXPECT_EQ(errorCode(send(sim_, enumerateInstances("MLNX_EthernetPort")).body), 0);
    IntrinsicCall call;
    call.operation = "EnumerateInstances";
    call.parameters = {classNameParameter("mlnx_ibport")};
    auto trailed = send(sim_, cimPost("EnumerateInstances", "root%2Fcimv2", intrinsicBody(call), true));
    EXPECT_EQ(trailed.trailer("CIMStatusCode").value_or(""), "7");
    expectHealthyAfterClearing();
    EXPECT_EQ(errorCode(send(sim_, enumerateInstances("MLNX_IBPort")).body), 0);
}

TEST_F(Faults, InjectedHttpStatusesReplaceTheCimAnswer) {
    sim_.answerHttpStatus(500);
    auto failed = send(sim_, enumerateInstances("MLNX_PCIDevice"));
    EXPECT_EQ(failed.statusLine, "HTTP/1.1 500 Internal Server Error");
    EXPECT_TRUE(failed.body.empty());
    sim_.answerHttpStatus(401);
    auto unauthorized = send(sim_, enumerateInstances("MLNX_PCIDevice"));
    EXPECT_EQ(unauthorized.status, 401);
    EXPECT_TRUE(unauthorized.header("WWW-Authenticate").has_value());
    expectHealthyAfterClearing();
}

TEST_F(Faults, ResponsesArePaddedToTheRequestedSizeAndStayValidXml) {
    sim_.answerResponseBytes(300000);
    auto response = send(sim_, enumerateInstances("MLNX_PCIDevice"));
    EXPECT_EQ(response.body.size(), 300000u);
    EXPECT_EQ(parseInstances(response.body).size(), 4u);
    expectHealthyAfterClearing();
}

TEST_F(Faults, ALimitedFaultHitsOnlyTheNextRequests) {
    sim_.control(R"({"http_status": 500, "times": 1})");
    EXPECT_EQ(send(sim_, enumerateInstances("MLNX_PCIDevice")).status, 500);
    EXPECT_EQ(send(sim_, enumerateInstances("MLNX_PCIDevice")).status, 200);
}

TEST(FaultOptions, FaultsGivenOnTheCommandLineAreActiveFromTheStart) {
    CimSimProcess sim({"--fail-class", "MLNX_PCIDevice:1", "--refuse-connections", "1"});
    EXPECT_THROW(send(sim, enumerateInstances("MLNX_PCIDevice")), std::runtime_error);
    EXPECT_EQ(errorCode(send(sim, enumerateInstances("MLNX_PCIDevice")).body), 1);
}

}  // namespace
