// The provider module in root/PG_InterOp: started and stopped through its extrinsic
// methods, and the vendor's classes refusing service while it is stopped.

#include "cim_client_requests.h"

#include <gtest/gtest.h>

using mlnx_cimsim::testing::CimSimProcess;
using namespace cimsim_test;

namespace {

mlnx_cimsim::testing::HttpResponse callModuleMethod(const CimSimProcess& sim, const std::string& method,
                                                    const std::string& moduleName = "MLNX_CIMProvider.dll_Module") {
    std::string path = instanceNameXml("PG_ProviderModule", {{"Name", moduleName}});
    return send(sim, cimPost(method, "root%2FPG_InterOp%3APG_ProviderModule.Name%3D%22" + moduleName + "%22",
                             methodBody(method, "root/PG_InterOp", path, ""), true));
}

std::string returnValueOf(const std::string& body, std::string* type = nullptr) {
    pugi::xml_document document;
    document.load_string(body.c_str());
    auto returned = document.select_node("//METHODRESPONSE/RETURNVALUE").node();
    if (type != nullptr) {
        *type = returned.attribute("PARAMTYPE").value();
    }
    return returned.child("VALUE").text().get();
}

TEST(ProviderModule, StopAndStartAnswerSint16ZeroWhenTheyChangeTheStateAndOneWhenAlreadyThere) {
    CimSimProcess sim;
    std::string type;
    EXPECT_EQ(returnValueOf(callModuleMethod(sim, "start").body, &type), "1") << "already started";
    EXPECT_EQ(type, "sint16");
    auto stopped = callModuleMethod(sim, "stop");
    EXPECT_EQ(returnValueOf(stopped.body), "0");
    EXPECT_TRUE(stopped.trailers.empty());
    EXPECT_EQ(returnValueOf(callModuleMethod(sim, "stop").body), "1") << "already stopped";
    auto stats = sim.stats();
    EXPECT_EQ(stats.providerModule, "stopped");
    EXPECT_EQ(stats.stops, 2u);
    EXPECT_EQ(stats.starts, 1u);

    EXPECT_EQ(returnValueOf(callModuleMethod(sim, "start").body), "0");
    stats = sim.stats();
    EXPECT_EQ(stats.providerModule, "started");
    EXPECT_EQ(stats.starts, 2u);
}

TEST(ProviderModule, WhileStoppedTheVendorsClassesFailAndComeBackWhenStarted) {
    CimSimProcess sim({"--provider-stopped"});
    for (const char* className : {"MLNX_PCIDevice", "MLNX_IBPort", "MLNX_EthernetPort", "MLNX_FirmwareIdentity",
                                  "MLNX_SoftwareIdentity", "MLNX_AvailableDiagnosticService",
                                  "MLNX_DiagnosticCompletionRecord", "CIM_NetworkPort"}) {
        auto response = send(sim, enumerateInstances(className));
        EXPECT_EQ(errorCode(response.body), 7) << className;
        EXPECT_NE(response.body.find("provider blocked.\""), std::string::npos) << className;
    }
    IntrinsicCall getClass;
    getClass.operation = "GetClass";
    getClass.parameters = {classNameParameter("MLNX_PCIDevice")};
    EXPECT_EQ(errorCode(send(sim, cimPost("GetClass", "root%2Fcimv2", intrinsicBody(getClass), false)).body), 0)
        << "class definitions live in the repository, not in the provider";

    callModuleMethod(sim, "start");
    auto instances = parseInstances(send(sim, enumerateInstances("MLNX_PCIDevice")).body);
    EXPECT_EQ(instances.size(), 4u);
}

TEST(ProviderModule, TheModuleInstanceShowsItsStateAndUnknownModulesAreNotFound) {
    CimSimProcess sim;
    callModuleMethod(sim, "stop");
    IntrinsicCall call;
    call.operation = "EnumerateInstances";
    call.nameSpace = "root/PG_InterOp";
    call.parameters = {classNameParameter("PG_ProviderModule")};
    auto modules = parseInstances(send(sim, cimPost("EnumerateInstances", "root%2FPG_InterOp", intrinsicBody(call),
                                                    false)).body);
    ASSERT_EQ(modules.size(), 1u);
    EXPECT_EQ(modules[0].keys.at("Name"), "MLNX_CIMProvider.dll_Module");
    EXPECT_EQ(modules[0].properties.at("OperationalStatus").value, "10");

    auto unknown = callModuleMethod(sim, "stop", "OtherModule");
    EXPECT_EQ(unknown.trailer("CIMStatusCode").value_or(""), "6");
    EXPECT_EQ(sim.stats().stops, 1u);
}

}  // namespace
