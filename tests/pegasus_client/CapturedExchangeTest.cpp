// Replays exchanges captured from a real OpenPegasus server over a real
// socket: the client must send what OpenPegasus's client sent and decode
// what the server answered into the values OpenPegasus's client printed.

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMClientFailureExceptions.h>

#include "CIMClientInspector.h"
#include "Rendering.h"
#include "ReplayServer.h"
#include "Vectors.h"

#include <gtest/gtest.h>

using namespace Pegasus;

namespace {

const CIMNamespaceName kNamespace("root/cimv2");

class CapturedExchange : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!vectorsAvailable())
            GTEST_SKIP() << "captured exchanges not found at " << vectorsDirectory();
    }

    static std::string hostField(const ReplayServer& server)
    {
        return "127.0.0.1:" + std::to_string(server.port());
    }

    static void connect(CIMClient& client, const ReplayServer& server,
                        const char* user = "", const char* password = "")
    {
        client.connect("127.0.0.1", server.port(), user, password);
    }

    // The request the server got equals the captured one byte for byte
    // (field names spelt as OpenPegasus spells them), once MESSAGE ID and
    // HOST are those of this run.
    static void expectSameRequest(const std::string& received, const std::string& captured,
                                  const ReplayServer& server)
    {
        EXPECT_EQ(received, normalisedRequest(captured, "1000", hostField(server)));
    }
};

struct Enumeration
{
    const char* exchange;
    const char* className;
    bool includeQualifiers;
};

const Enumeration kCimcliEnumerations[] = {
    {"01-cimcli-ei-MLNX_PCIDevice-iq0", "MLNX_PCIDevice", false},
    {"02-cimcli-ei-MLNX_PCIDevice-iq1", "MLNX_PCIDevice", true},
    {"03-cimcli-ei-MLNX_IBPort-iq0", "MLNX_IBPort", false},
    {"04-cimcli-ei-MLNX_IBPort-iq1", "MLNX_IBPort", true},
    {"05-cimcli-ei-MLNX_EthernetPort-iq0", "MLNX_EthernetPort", false},
    {"06-cimcli-ei-MLNX_EthernetPort-iq1", "MLNX_EthernetPort", true},
    {"07-cimcli-ei-MLNX_FirmwareIdentity-iq0", "MLNX_FirmwareIdentity", false},
    {"08-cimcli-ei-MLNX_FirmwareIdentity-iq1", "MLNX_FirmwareIdentity", true},
    {"09-cimcli-ei-MLNX_SoftwareIdentity-iq0", "MLNX_SoftwareIdentity", false},
    {"10-cimcli-ei-MLNX_SoftwareIdentity-iq1", "MLNX_SoftwareIdentity", true},
    {"11-cimcli-ei-MLNX_DiagnosticTest-iq0", "MLNX_DiagnosticTest", false},
    {"12-cimcli-ei-MLNX_DiagnosticTest-iq1", "MLNX_DiagnosticTest", true},
    {"13-cimcli-ei-MLNX_AvailableDiagnosticService-iq0", "MLNX_AvailableDiagnosticService", false},
    {"14-cimcli-ei-MLNX_AvailableDiagnosticService-iq1", "MLNX_AvailableDiagnosticService", true},
    {"15-cimcli-ei-MLNX_DiagnosticCompletionRecord-iq0", "MLNX_DiagnosticCompletionRecord", false},
    {"16-cimcli-ei-MLNX_DiagnosticCompletionRecord-iq1", "MLNX_DiagnosticCompletionRecord", true},
};

std::vector<std::vector<std::string>> renderAll(const Array<CIMInstance>& instances)
{
    std::vector<std::vector<std::string>> rendered;
    for (Uint32 i = 0; i < instances.size(); ++i)
        rendered.push_back(renderInstance(instances[i]));
    return rendered;
}

}  // namespace

TEST_F(CapturedExchange, EnumerationsSendOpenPegasusRequestsAndDecodeToItsRenderings)
{
    for (const Enumeration& vector : kCimcliEnumerations)
    {
        SCOPED_TRACE(vector.exchange);
        ReplayServer server({ReplayServer::send(readVectorFile(vector.exchange, "response.http"))});
        CIMClient client;
        connect(client, server);
        Array<CIMInstance> instances = client.enumerateInstances(
            kNamespace, vector.className, true, true, vector.includeQualifiers);

        ASSERT_EQ(server.requests().size(), 1u);
        expectSameRequest(server.requests()[0], readVectorFile(vector.exchange, "request.http"),
                          server);
        // Qualifiers do not change the property values.
        EXPECT_EQ(renderAll(instances), referenceRenderings(vector.className));
        if (vector.includeQualifiers)
        {
            ASSERT_GT(instances.size(), 0u);
            Uint32 description = instances[0].findQualifier("Description");
            ASSERT_NE(description, PEG_NOT_FOUND);
            EXPECT_TRUE(instances[0].getQualifier(description).getPropagated());
        }
    }
}

TEST_F(CapturedExchange, LengthDelimitedResponsesDecodeLikeChunkedOnes)
{
    const std::pair<const char*, const char*> curlVectors[] = {
        {"17-curl-ei-MLNX_PCIDevice-iq0", "MLNX_PCIDevice"},
        {"19-curl-ei-MLNX_IBPort-iq0", "MLNX_IBPort"},
        {"21-curl-ei-MLNX_EthernetPort-iq0", "MLNX_EthernetPort"},
        {"23-curl-ei-MLNX_FirmwareIdentity-iq0", "MLNX_FirmwareIdentity"},
        {"25-curl-ei-MLNX_SoftwareIdentity-iq0", "MLNX_SoftwareIdentity"},
        {"27-curl-ei-MLNX_DiagnosticTest-iq0", "MLNX_DiagnosticTest"},
        {"29-curl-ei-MLNX_AvailableDiagnosticService-iq0", "MLNX_AvailableDiagnosticService"},
        {"31-curl-ei-MLNX_DiagnosticCompletionRecord-iq0", "MLNX_DiagnosticCompletionRecord"},
    };
    for (const auto& [exchange, className] : curlVectors)
    {
        SCOPED_TRACE(exchange);
        ReplayServer server({ReplayServer::send(readVectorFile(exchange, "response.http"))});
        CIMClient client;
        connect(client, server);
        EXPECT_EQ(renderAll(client.enumerateInstances(kNamespace, className)),
                  referenceRenderings(className));
    }
}

TEST_F(CapturedExchange, ClassOriginAndPropagatedAttributesAreKept)
{
    ReplayServer server({ReplayServer::send(readVectorFile("33-wbemcli-ei-MLNX_PCIDevice", "response.http"))});
    CIMClient client;
    connect(client, server);
    Array<CIMInstance> instances =
        client.enumerateInstances(kNamespace, "MLNX_PCIDevice", true, false, false, true);
    ASSERT_EQ(instances.size(), 2u);
    const std::string request = server.requests()[0];
    EXPECT_NE(request.find("<IPARAMVALUE NAME=\"LocalOnly\">\n<VALUE>FALSE</VALUE>"), std::string::npos);
    EXPECT_NE(request.find("<IPARAMVALUE NAME=\"IncludeClassOrigin\">\n<VALUE>TRUE</VALUE>"), std::string::npos);

    CIMInstance pci = instances[0];
    CIMConstProperty installDate = pci.getProperty(pci.findProperty("InstallDate"));
    EXPECT_EQ(installDate.getClassOrigin(), CIMName("CIM_ManagedSystemElement"));
    EXPECT_TRUE(installDate.getPropagated());
    CIMConstProperty deviceId = pci.getProperty(pci.findProperty("DeviceID"));
    EXPECT_FALSE(deviceId.getPropagated());
}

TEST_F(CapturedExchange, GetInstanceSendsTheInstanceNameAndReturnsThatInstanceWithItsClassAsPath)
{
    ReplayServer server({ReplayServer::send(readVectorFile("37-cimcli-gi-MLNX_IBPort-iq1", "response.http"))});
    CIMClient client;
    connect(client, server);
    CIMObjectPath path("MLNX_IBPort.CreationClassName=\"MLNX_IBPort\",DeviceID=\"mlx5_0:1\","
                       "SystemCreationClassName=\"CIM_ComputerSystem\",SystemName=\"testhost.example.com\"");
    CIMInstance instance = client.getInstance(kNamespace, path, true, true);

    expectSameRequest(server.requests()[0], readVectorFile("37-cimcli-gi-MLNX_IBPort-iq1", "request.http"),
                      server);
    EXPECT_EQ(instance.getClassName(), CIMName("MLNX_IBPort"));
    // OpenPegasus's getInstance leaves the class name alone in the path.
    EXPECT_EQ(instance.getPath().toString(), String("MLNX_IBPort"));
    CIMConstProperty deviceId = instance.getProperty(instance.findProperty("DeviceID"));
    EXPECT_EQ(deviceId.getValue().toString(), String("mlx5_0:1"));
}

TEST_F(CapturedExchange, CimErrorsArriveAsCimExceptionsWithCodeAndDescription)
{
    struct Case
    {
        const char* exchange;
        CIMStatusCode code;
        const char* description;
    };
    const Case cases[] = {
        {"40-cimcli-ei-NoSuchClass", CIM_ERR_INVALID_CLASS, "CIM_ERR_INVALID_CLASS: MLNX_NoSuchClass"},
        {"41-curl-ei-NoSuchClass", CIM_ERR_INVALID_CLASS, "CIM_ERR_INVALID_CLASS: MLNX_NoSuchClass"},
        {"42-curl-ei-NoSuchClass-TE", CIM_ERR_INVALID_CLASS, "CIM_ERR_INVALID_CLASS: MLNX_NoSuchClass"},
        {"43-wbemcli-ei-NoSuchClass", CIM_ERR_INVALID_CLASS, "CIM_ERR_INVALID_CLASS: MLNX_NoSuchClass"},
        {"45-cimcli-ei-BadNamespace", CIM_ERR_INVALID_NAMESPACE, nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.exchange);
        ReplayServer server({ReplayServer::send(readVectorFile(c.exchange, "response.http"))});
        CIMClient client;
        connect(client, server);
        try
        {
            client.enumerateInstances(kNamespace, "MLNX_NoSuchClass");
            ADD_FAILURE() << "no exception";
        }
        catch (const CIMException& e)
        {
            EXPECT_EQ(e.getCode(), c.code);
            if (c.description)
            {
                EXPECT_EQ(std::string(e.getMessage().getCString()), c.description);
            }
        }
    }
}

TEST_F(CapturedExchange, TrailerErrorDescriptionIsUrlDecoded)
{
    ReplayServer server({ReplayServer::send(readVectorFile("44-cimcli-gi-NotFound", "response.http"))});
    CIMClient client;
    connect(client, server);
    try
    {
        client.getInstance(kNamespace, CIMObjectPath("MLNX_IBPort.DeviceID=\"mlx5_9:9\""));
        FAIL() << "no exception";
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(e.getCode(), CIM_ERR_NOT_FOUND);
        EXPECT_EQ(std::string(e.getMessage().getCString()),
                  "CIM_ERR_NOT_FOUND: MLNX_IBPort.CreationClassName=\"MLNX_IBPort\",DeviceID=\"mlx5_9:9\","
                  "SystemCreationClassName=\"CIM_ComputerSystem\",SystemName=\"testhost.example.com\"");
    }
}

TEST_F(CapturedExchange, InvokeMethodSendsTypedParametersAndReturnsValueAndOutputs)
{
    ReplayServer server({ReplayServer::send(readVectorFile("47-cimcli-im-SayHello", "response-2.http"))});
    CIMClient client;
    connect(client, server);
    Array<CIMParamValue> in;
    in.append(CIMParamValue("Name", CIMValue(String("World"))));
    Array<CIMParamValue> out;
    CIMValue result = client.invokeMethod(
        kNamespace, CIMObjectPath("Sample_MethodProviderClass.Identifier=\"1\""), "SayHello", in, out);

    expectSameRequest(server.requests()[0], readVectorFile("47-cimcli-im-SayHello", "request-2.http"), server);
    EXPECT_EQ(result.getType(), CIMTYPE_STRING);
    EXPECT_EQ(result.toString(), String("Hello, World!"));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].getParameterName(), String("Place"));
    EXPECT_TRUE(out[0].isTyped());
    EXPECT_EQ(out[0].getValue().toString(), String("From Neverland"));
}

TEST_F(CapturedExchange, MethodResultsDecodeEscapedTextAndIntegerReturns)
{
    {
        ReplayServer server({ReplayServer::send(readVectorFile("48-curl-im-SayHello", "response.http"))});
        CIMClient client;
        connect(client, server);
        Array<CIMParamValue> out;
        CIMValue result = client.invokeMethod(
            kNamespace, CIMObjectPath("Sample_MethodProviderClass.Identifier=\"1\""), "SayHello",
            Array<CIMParamValue>(), out);
        EXPECT_EQ(std::string(result.toString().getCString()), "Hello, World & <Friends>!");
    }
    {
        ReplayServer server({ReplayServer::send(readVectorFile("50-cimcli-im-ProviderModule-stop", "response-2.http"))});
        CIMClient client;
        connect(client, server);
        Array<CIMParamValue> out;
        CIMValue result = client.invokeMethod(
            "root/PG_InterOp", CIMObjectPath("PG_ProviderModule.Name=\"SampleMethodProviderModule\""),
            "stop", Array<CIMParamValue>(), out);
        expectSameRequest(server.requests()[0],
                          readVectorFile("50-cimcli-im-ProviderModule-stop", "request-2.http"), server);
        EXPECT_EQ(result.getType(), CIMTYPE_SINT16);
        EXPECT_EQ(result.toString(), String("0"));
    }
}

TEST_F(CapturedExchange, MethodErrorInTrailerRaisesCimException)
{
    ReplayServer server({ReplayServer::send(readVectorFile("46-cimcli-im-NoProvider", "response-2.http"))});
    CIMClient client;
    connect(client, server);
    Array<CIMParamValue> out;
    CIMObjectPath path("MLNX_PCIDevice.CreationClassName=\"MLNX_PCIDevice\",DeviceID=\"0000:03:00.0\","
                       "SystemCreationClassName=\"CIM_ComputerSystem\",SystemName=\"testhost.example.com\"");
    try
    {
        client.invokeMethod(kNamespace, path, "RunDiag", Array<CIMParamValue>(), out);
        FAIL() << "no exception";
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(e.getCode(), CIM_ERR_METHOD_NOT_AVAILABLE);
    }
    expectSameRequest(server.requests()[0], readVectorFile("46-cimcli-im-NoProvider", "request-2.http"), server);
}

TEST_F(CapturedExchange, EnumerateInstanceNamesReturnsThePaths)
{
    ReplayServer server({ReplayServer::send(readVectorFile("55-cimcli-ni-MLNX_PCIDevice", "response.http"))});
    CIMClient client;
    connect(client, server);
    Array<CIMObjectPath> names = client.enumerateInstanceNames(kNamespace, "MLNX_PCIDevice");
    expectSameRequest(server.requests()[0], readVectorFile("55-cimcli-ni-MLNX_PCIDevice", "request.http"), server);
    std::vector<std::vector<std::string>> reference = referenceRenderings("MLNX_PCIDevice");
    ASSERT_EQ(names.size(), reference.size());
    for (Uint32 i = 0; i < names.size(); ++i)
        EXPECT_EQ(std::string(names[i].toString().getCString()), reference[i][0]);
}

TEST_F(CapturedExchange, PolymorphicEnumerationKeepsEachInstancesClass)
{
    ReplayServer server({ReplayServer::send(readVectorFile("58-cimcli-ei-CIM_SoftwareIdentity", "response.http"))});
    CIMClient client;
    connect(client, server);
    Array<CIMInstance> instances = client.enumerateInstances(kNamespace, "CIM_SoftwareIdentity");
    ASSERT_EQ(instances.size(), 3u);
    int firmware = 0;
    for (Uint32 i = 0; i < instances.size(); ++i)
        firmware += instances[i].getClassName().equal("MLNX_FirmwareIdentity") ? 1 : 0;
    EXPECT_EQ(firmware, 2);
}

TEST_F(CapturedExchange, ChallengeIsAnsweredWithBasicCredentialsOnTheSameConnection)
{
    const char* exchange = "60-auth-cimcli-ei-MLNX_PCIDevice-goodpw";
    ReplayServer server({ReplayServer::send(readVectorFile(exchange, "response-1.http")),
                         ReplayServer::send(readVectorFile(exchange, "response-2.http"))});
    CIMClient client;
    connect(client, server, "root", "Test-Pass-1");
    Array<CIMInstance> instances = client.enumerateInstances(kNamespace, "MLNX_PCIDevice");

    EXPECT_EQ(renderAll(instances), referenceRenderings("MLNX_PCIDevice"));
    ASSERT_EQ(server.requests().size(), 2u);
    expectSameRequest(server.requests()[0], readVectorFile(exchange, "request-1.http"), server);
    expectSameRequest(server.requests()[1], readVectorFile(exchange, "request-2.http"), server);
    EXPECT_EQ(server.connectionsAccepted(), 1u);
    EXPECT_EQ(CIMClientInspector::stats(client).connectionsOpened, 1u);
}

TEST_F(CapturedExchange, RejectedCredentialsRaiseAnAuthenticationFailure)
{
    struct Case
    {
        const char* exchange;
        const char* user;
        const char* password;
    };
    for (const Case& c : {Case{"61-auth-cimcli-ei-MLNX_PCIDevice-badpw", "root", "wrong"},
                          Case{"62-auth-cimcli-ei-MLNX_PCIDevice-nocreds", "", ""}})
    {
        SCOPED_TRACE(c.exchange);
        ReplayServer server({ReplayServer::send(readVectorFile(c.exchange, "response-1.http")),
                             ReplayServer::send(readVectorFile(c.exchange, "response-2.http"))});
        CIMClient client;
        connect(client, server, c.user, c.password);
        try
        {
            client.enumerateInstances(kNamespace, "MLNX_PCIDevice");
            ADD_FAILURE() << "no exception";
        }
        catch (const CIMClientAuthenticationException& e)
        {
            EXPECT_EQ(e.getCode(), 401u);
            std::string message(e.getMessage().getCString());
            EXPECT_NE(message.find("Authentication failed"), std::string::npos) << message;
            EXPECT_NE(message.find(hostField(server)), std::string::npos) << message;
            EXPECT_EQ(message.find(c.password[0] ? c.password : "\x01"), std::string::npos);
        }
        ASSERT_EQ(server.requests().size(), 2u);
        expectSameRequest(server.requests()[1], readVectorFile(c.exchange, "request-2.http"), server);
    }
}

TEST_F(CapturedExchange, ErrorStatusWithoutLengthIsReportedWithoutWaitingForTheBody)
{
    // The server keeps the socket open after this 400 and sends no length.
    ReplayServer server({ReplayServer::send(readVectorFile("68-curl-ei-header-mismatch", "response.http"))});
    CIMClient client;
    connect(client, server);
    client.setTimeout(60000);
    try
    {
        client.enumerateInstances(kNamespace, "MLNX_NoSuchClass");
        FAIL() << "no exception";
    }
    catch (const CIMClientHTTPErrorException& e)
    {
        EXPECT_EQ(e.getCode(), 400u);
        EXPECT_EQ(e.getCIMError(), String("header-mismatch"));
        EXPECT_NE(std::string(e.getCIMErrorDetail().getCString()).find("does not match"), std::string::npos);
    }
}

TEST_F(CapturedExchange, OneConnectionCarriesEveryRequestOfAClient)
{
    const std::string response = readVectorFile("01-cimcli-ei-MLNX_PCIDevice-iq0", "response.http");
    ReplayServer server({ReplayServer::send(response), ReplayServer::send(response),
                         ReplayServer::send(response)});
    CIMClient client;
    connect(client, server);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size(), 2u);
    std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_NE(requests[2].find("<MESSAGE ID=\"1002\""), std::string::npos);
    EXPECT_EQ(server.connectionsAccepted(), 1u);
    EXPECT_EQ(CIMClientInspector::stats(client).connectionsOpened, 1u);
}
