// The simulator answers as OpenPegasus does: framing, header spelling, error
// placement and the CIM-XML layout, checked against captured exchanges.

#include "cim_client_requests.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using mlnx_cimsim::testing::CimSimProcess;
using mlnx_cimsim::testing::HttpConnection;
using namespace cimsim_test;

namespace {

std::string vector(const std::string& exchange, const std::string& file) {
    std::ifstream in(std::string(CIMXML_VECTORS_DIR) + "/" + exchange + "/" + file, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string withMessageId(const std::string& body, const std::string& id) {
    std::string result = body;
    size_t at = result.find("<MESSAGE ID=\"1000\"");
    if (at != std::string::npos) {
        result.replace(at, 18, "<MESSAGE ID=\"" + id + "\"");
    }
    return result;
}

class WireFormat : public ::testing::Test {
protected:
    static void SetUpTestSuite() { sim_ = new CimSimProcess(); }
    static void TearDownTestSuite() {
        delete sim_;
        sim_ = nullptr;
    }
    static CimSimProcess* sim_;
};

CimSimProcess* WireFormat::sim_ = nullptr;

std::string noSuchClassRequest(bool trailers, const std::string& messageId) {
    IntrinsicCall call;
    call.operation = "EnumerateInstances";
    call.parameters = {classNameParameter("MLNX_NoSuchClass")};
    return cimPost("EnumerateInstances", "root%2Fcimv2", withMessageId(intrinsicBody(call), messageId), trailers);
}

TEST_F(WireFormat, ErrorWithoutTrailersIsAnErrorElementByteForByteAsOpenPegasusSendsIt) {
    std::string expected = vector("41-curl-ei-NoSuchClass", "response.http");
    if (expected.empty()) {
        GTEST_SKIP() << "captured exchanges not found at " << CIMXML_VECTORS_DIR;
    }
    HttpConnection connection(sim_->host(), sim_->port(), false);
    connection.sendRaw(noSuchClassRequest(false, "2001"));
    auto response = connection.readResponse();
    std::string wire = response.statusLine + "\r\n";
    for (const auto& header : response.headers) {
        wire += header.first + ": " + header.second + "\r\n";
    }
    wire += "\r\n" + response.body;
    EXPECT_EQ(wire, expected);
}

TEST_F(WireFormat, ErrorWithTrailersIsAnEmptyResponseWithTheCodeInTheTrailer) {
    std::string expected = vector("40-cimcli-ei-NoSuchClass", "response.http");
    if (expected.empty()) {
        GTEST_SKIP() << "captured exchanges not found at " << CIMXML_VECTORS_DIR;
    }
    auto response = send(*sim_, noSuchClassRequest(true, "1000"));
    EXPECT_TRUE(response.chunked);
    EXPECT_EQ(response.header("Trailer").value_or(""), "CIMStatusCode, CIMStatusCodeDescription, Content-Language");
    EXPECT_EQ(response.trailer("CIMStatusCode").value_or(""), "5");
    EXPECT_EQ(response.trailer("CIMStatusCodeDescription").value_or(""), "CIM_ERR_INVALID_CLASS%3A%20MLNX_NoSuchClass");
    size_t bodyStart = expected.find("<?xml");
    size_t bodyEnd = expected.find("\r\n0\r\n");
    EXPECT_EQ(response.body, expected.substr(bodyStart, bodyEnd - bodyStart));
    EXPECT_EQ(errorCode(response.body), 0);
}

TEST_F(WireFormat, SuccessWithoutTrailersHasATenDigitLengthAndOpenPegasusHeaderOrder) {
    auto response = send(*sim_, enumerateInstances("MLNX_PCIDevice"));
    ASSERT_EQ(response.statusLine, "HTTP/1.1 200 OK");
    ASSERT_EQ(response.headers.size(), 3u);
    EXPECT_EQ(response.headers[0].first, "Content-Type");
    EXPECT_EQ(response.headers[0].second, "application/xml; charset=utf-8");
    EXPECT_EQ(response.headers[1].first, "content-length");
    EXPECT_EQ(response.headers[1].second.size(), 10u);
    EXPECT_EQ(std::stoul(response.headers[1].second), response.body.size());
    EXPECT_EQ(response.headers[2], (std::pair<std::string, std::string>{"CIMOperation", "MethodResponse"}));
    EXPECT_EQ(response.body.rfind("<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\"", 0), 0u);
}

TEST_F(WireFormat, SuccessWithTrailersIsChunkedWithAnEmptyTrailer) {
    IntrinsicCall call;
    call.operation = "EnumerateInstances";
    call.parameters = {classNameParameter("MLNX_IBPort")};
    auto response = send(*sim_, cimPost("EnumerateInstances", "root%2Fcimv2", intrinsicBody(call), true));
    EXPECT_TRUE(response.chunked);
    EXPECT_FALSE(response.header("content-length"));
    EXPECT_TRUE(response.trailers.empty());
    EXPECT_EQ(parseInstances(response.body).size(), 2u);
}

TEST_F(WireFormat, InstanceNamesCarryKeysInAlphabeticalOrderWithNameAndDeviceIdAfterAnotherKey) {
    auto instances = parseInstances(send(*sim_, enumerateInstances("MLNX_AvailableDiagnosticService")).body);
    ASSERT_FALSE(instances.empty());
    EXPECT_EQ(instances[0].keyNames, (std::vector<std::string>{"ServiceProvided", "UserOfService"}));
    auto devices = parseInstances(send(*sim_, enumerateInstances("MLNX_PCIDevice")).body);
    ASSERT_FALSE(devices.empty());
    EXPECT_EQ(devices[0].keyNames,
              (std::vector<std::string>{"CreationClassName", "DeviceID", "SystemCreationClassName", "SystemName"}));
}

TEST_F(WireFormat, QualifiersAndClassOriginAppearOnlyWhenAsked) {
    auto plain = parseInstances(send(*sim_, enumerateInstances("MLNX_IBPort", false)).body);
    auto qualified = parseInstances(send(*sim_, enumerateInstances("MLNX_IBPort", true)).body);
    ASSERT_FALSE(plain.empty());
    ASSERT_FALSE(qualified.empty());
    EXPECT_TRUE(plain[0].properties.at("PortType").valueMap.empty());
    EXPECT_TRUE(plain[0].qualifierNames.empty());
    const auto& portType = qualified[0].properties.at("PortType");
    EXPECT_EQ(portType.value, "16000");
    ASSERT_EQ(portType.valueMap.size(), portType.values.size());
    EXPECT_EQ(portType.values[3], "InfiniBand HCA");
    EXPECT_EQ(qualified[0].properties.at("EnabledState").values[2], "Enabled");
    EXPECT_EQ(qualified[0].properties.at("LinkTechnology").values[3], "IB");
    EXPECT_TRUE(qualified[0].properties.at("DeviceID").valueMap.empty());
    EXPECT_EQ(plain[0].properties.at("DeviceID").classOrigin, "");

    IntrinsicCall call;
    call.operation = "EnumerateInstances";
    call.parameters = {classNameParameter("MLNX_IBPort"), flagParameter("IncludeClassOrigin", true)};
    auto withOrigin = parseInstances(send(*sim_, cimPost("EnumerateInstances", "root%2Fcimv2", intrinsicBody(call),
                                                         false)).body);
    EXPECT_EQ(withOrigin[0].properties.at("DeviceID").classOrigin, "CIM_LogicalDevice");
    EXPECT_EQ(withOrigin[0].properties.at("LIDMask").classOrigin, "MLNX_IBPort");
}

TEST_F(WireFormat, ShallowPolymorphicEnumerationKeepsToTheRequestedClassesProperties) {
    auto deep = parseInstances(send(*sim_, enumerateInstances("CIM_NetworkPort", false, true)).body);
    auto shallow = parseInstances(send(*sim_, enumerateInstances("CIM_NetworkPort", false, false)).body);
    ASSERT_EQ(deep.size(), 4u);
    ASSERT_EQ(shallow.size(), 4u);
    EXPECT_EQ(deep[0].className, "MLNX_IBPort");
    EXPECT_TRUE(deep[0].properties.count("LIDMask"));
    EXPECT_FALSE(shallow[0].properties.count("LIDMask"));
    EXPECT_TRUE(shallow[0].properties.count("PermanentAddress"));
}

TEST_F(WireFormat, PropertyListLimitsTheProperties) {
    IntrinsicCall call;
    call.operation = "EnumerateInstances";
    call.parameters = {classNameParameter("MLNX_PCIDevice"),
                       "<IPARAMVALUE NAME=\"PropertyList\">\n<VALUE.ARRAY>\n<VALUE>Name</VALUE>\n"
                       "<VALUE>deviceid</VALUE>\n</VALUE.ARRAY>\n</IPARAMVALUE>\n"};
    auto instances = parseInstances(send(*sim_, cimPost("EnumerateInstances", "root%2Fcimv2", intrinsicBody(call),
                                                        false)).body);
    ASSERT_FALSE(instances.empty());
    EXPECT_EQ(instances[0].properties.size(), 2u);
    EXPECT_TRUE(instances[0].properties.count("DeviceID"));
}

TEST_F(WireFormat, UnsetPropertiesArePropagatedNullsOrClassDefaults) {
    auto instances = parseInstances(send(*sim_, enumerateInstances("MLNX_DiagnosticTest")).body);
    ASSERT_FALSE(instances.empty());
    EXPECT_TRUE(instances[0].properties.at("InstallDate").isNull);
    EXPECT_EQ(instances[0].properties.at("EnabledDefault").value, "2");
}

TEST_F(WireFormat, ErrorCodesForUnknownNamespaceInstanceAndMethods) {
    IntrinsicCall badNamespace;
    badNamespace.operation = "EnumerateInstances";
    badNamespace.nameSpace = "root/nosuchns";
    badNamespace.parameters = {classNameParameter("MLNX_PCIDevice")};
    EXPECT_EQ(errorCode(send(*sim_, cimPost("EnumerateInstances", "root%2Fnosuchns", intrinsicBody(badNamespace),
                                            false)).body),
              3);

    std::string missingPort = instanceNameXml("MLNX_IBPort", {{"CreationClassName", "MLNX_IBPort"},
                                                              {"DeviceID", "mlx5_9:9"},
                                                              {"SystemCreationClassName", "CIM_ComputerSystem"},
                                                              {"SystemName", "mlnx-server.example.com"}});
    IntrinsicCall get;
    get.operation = "GetInstance";
    get.parameters = {instanceNameParameter(missingPort)};
    auto notFound = send(*sim_, cimPost("GetInstance", "root%2Fcimv2", intrinsicBody(get), true));
    EXPECT_EQ(notFound.trailer("CIMStatusCode").value_or(""), "6");

    std::string device = instanceNameXml("MLNX_PCIDevice", {{"CreationClassName", "MLNX_PCIDevice"},
                                                            {"DeviceID", "0000:03:00.0"},
                                                            {"SystemCreationClassName", "CIM_ComputerSystem"},
                                                            {"SystemName", "mlnx-server.example.com"}});
    auto unknownMethod = send(*sim_, cimPost("RunDiag", "root%2Fcimv2", methodBody("RunDiag", "root/cimv2", device, ""),
                                             false));
    EXPECT_EQ(errorCode(unknownMethod.body), 17);
    auto notImplemented = send(*sim_, cimPost("RequestStateChange", "root%2Fcimv2",
                                              methodBody("RequestStateChange", "root/cimv2", device, ""), false));
    EXPECT_EQ(errorCode(notImplemented.body), 16);
}

TEST_F(WireFormat, AMismatchBetweenHeaderAndBodyIsABadRequest) {
    IntrinsicCall call;
    call.operation = "EnumerateInstances";
    call.parameters = {classNameParameter("MLNX_PCIDevice")};
    auto response = send(*sim_, cimPost("EnumerateInstanceNames", "root%2Fcimv2", intrinsicBody(call), false));
    EXPECT_EQ(response.status, 400);
    EXPECT_EQ(response.header("CIMError").value_or(""), "header-mismatch");
    auto notXml = send(*sim_, cimPost("EnumerateInstances", "root%2Fcimv2", "<CIM><broken", false));
    EXPECT_EQ(notXml.status, 400);
    EXPECT_EQ(notXml.header("CIMError").value_or(""), "request-not-well-formed");
}

TEST_F(WireFormat, OneConnectionCarriesManyRequests) {
    HttpConnection connection(sim_->host(), sim_->port(), false);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(connection.exchange(enumerateInstances("MLNX_FirmwareIdentity")).status, 200);
        EXPECT_EQ(connection.exchange(noSuchClassRequest(true, "7")).trailer("CIMStatusCode").value_or(""), "5");
    }
}

TEST_F(WireFormat, InstanceNamesAndClassNamesCanBeListed) {
    IntrinsicCall names;
    names.operation = "EnumerateInstanceNames";
    names.parameters = {classNameParameter("MLNX_SoftwareIdentity")};
    auto response = send(*sim_, cimPost("EnumerateInstanceNames", "root%2Fcimv2", intrinsicBody(names), false));
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(response.body.c_str()));
    auto instanceNames = document.select_nodes("//IRETURNVALUE/INSTANCENAME");
    ASSERT_EQ(instanceNames.size(), 5u);
    EXPECT_STREQ(instanceNames[0].node().child("KEYBINDING").attribute("NAME").value(), "InstanceID");

    IntrinsicCall classes;
    classes.operation = "EnumerateClassNames";
    classes.parameters = {classNameParameter("CIM_NetworkPort"), flagParameter("DeepInheritance", true)};
    response = send(*sim_, cimPost("EnumerateClassNames", "root%2Fcimv2", intrinsicBody(classes), false));
    ASSERT_TRUE(document.load_string(response.body.c_str()));
    std::vector<std::string> found;
    for (const auto& name : document.select_nodes("//IRETURNVALUE/CLASSNAME")) {
        found.push_back(name.node().attribute("NAME").value());
    }
    EXPECT_EQ(found, (std::vector<std::string>{"CIM_EthernetPort", "MLNX_IBPort", "MLNX_EthernetPort"}));
}

TEST_F(WireFormat, ALargeBodyAnnouncedWithExpectContinueIsAcceptedAfterTheInterimResponse) {
    IntrinsicCall call;
    call.operation = "EnumerateInstances";
    call.parameters = {classNameParameter("MLNX_PCIDevice")};
    std::string request = cimPost("EnumerateInstances", "root%2Fcimv2", intrinsicBody(call), false,
                                  {"Expect: 100-continue"});
    size_t split = request.find("\r\n\r\n") + 4;
    HttpConnection connection(sim_->host(), sim_->port(), false);
    connection.sendRaw(request.substr(0, split));
    EXPECT_EQ(connection.readResponse().status, 100);
    connection.sendRaw(request.substr(split));
    EXPECT_EQ(connection.readResponse().status, 200);
}

TEST_F(WireFormat, GetClassDescribesTheMethodAndItsReferenceParameter) {
    IntrinsicCall call;
    call.operation = "GetClass";
    call.parameters = {classNameParameter("MLNX_DiagnosticTest"), flagParameter("LocalOnly", false)};
    auto response = send(*sim_, cimPost("GetClass", "root%2Fcimv2", intrinsicBody(call), false));
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(response.body.c_str()));
    auto cimClass = document.select_node("//CLASS").node();
    EXPECT_STREQ(cimClass.attribute("SUPERCLASS").value(), "CIM_DiagnosticTest");
    auto parameter = document.select_node("//METHOD[@NAME='RunDiagnostic']/PARAMETER.REFERENCE[@NAME='ManagedElement']");
    EXPECT_TRUE(parameter);
}

}  // namespace
