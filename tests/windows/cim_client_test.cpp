// Our CIM client on Windows (Winsock, Schannel, XmlLite) against the
// simulated CIM server running on Linux beside Wine: values, errors and
// connections.
#include <gtest/gtest.h>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMClientException.h>
#include <Pegasus/Client/CIMClientFailureExceptions.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/SSLContext.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "CIMClientInspector.h"
#include "simulator_access.h"

namespace {

using namespace Pegasus;
using QuilletWindowsTests::ControlSimulator;
using QuilletWindowsTests::JsonNumber;
using QuilletWindowsTests::RunningSimulator;
using QuilletWindowsTests::SimulatorAddress;
using QuilletWindowsTests::SimulatorStateFile;
using QuilletWindowsTests::SimulatorStats;

const CIMNamespaceName kNamespace("root/cimv2");

std::string Text(const String& text)
{
    return static_cast<const char*>(text.getCString());
}

void Connect(CIMClient& client, const SimulatorAddress& simulator, const std::string& user = "",
             const std::string& password = "")
{
    if (simulator.https) {
        client.connect(simulator.host.c_str(), simulator.port, SSLContext(String(), nullptr, String()),
                       user.c_str(), password.c_str());
    } else {
        client.connect(simulator.host.c_str(), simulator.port, user.c_str(), password.c_str());
    }
}

// DeviceID of every instance, in the order received.
std::vector<std::string> DeviceIds(const Array<CIMInstance>& instances)
{
    std::vector<std::string> ids;
    for (Uint32 i = 0; i < instances.size(); ++i) {
        const Uint32 at = instances[i].findProperty("DeviceID");
        ids.push_back(at == PEG_NOT_FOUND ? "<none>" : Text(instances[i].getProperty(at).getValue().toString()));
    }
    return ids;
}

const std::vector<std::string> kPciFunctions = {"0000:03:00.0", "0000:03:00.1", "0000:06:00.0", "0000:06:00.1"};

TEST(WindowsCimClientTest, EnumeratesOverHttpAndHttpsAlike)
{
    for (const char* name : {"http", "https"}) {
        CIMClient client;
        Connect(client, RunningSimulator(name));
        EXPECT_EQ(kPciFunctions, DeviceIds(client.enumerateInstances(kNamespace, "MLNX_PCIDevice"))) << name;
        const Array<CIMInstance> identities = client.enumerateInstances(kNamespace, "MLNX_FirmwareIdentity");
        ASSERT_EQ(8u, identities.size()) << name;
        const Uint32 version = identities[0].findProperty("VersionString");
        ASSERT_NE(PEG_NOT_FOUND, version);
        EXPECT_EQ("12.28.2006", Text(identities[0].getProperty(version).getValue().toString()));
    }
}

TEST(WindowsCimClientTest, UnreachableServerFailsAtConnect)
{
    // The HTTPS simulator's port speaks TLS; a port nobody listens on: the
    // simulator's own port number plus one is not guaranteed, so use port 1.
    CIMClient client;
    try {
        client.connect("127.0.0.1", 1, "", "");
        FAIL() << "connected to port 1";
    } catch (const CannotConnectException& error) {
        EXPECT_NE(std::string::npos, Text(error.getMessage()).find("127.0.0.1:1")) << Text(error.getMessage());
    }
}

// OpenPegasus's verification callback: a client that sets one wants the
// server verified; the answer here would accept anything, but the
// certificate must first pass the platform's checks.
Boolean AcceptVerified(SSLCertificateInfo&)
{
    return true;
}

TEST(WindowsCimClientTest, TrustStoreDecidesWhetherTheServerIsTrusted)
{
    const SimulatorAddress simulator = RunningSimulator("https-other");
    {
        CIMClient client;
        client.connect(simulator.host.c_str(), simulator.port,
                       SSLContext(SimulatorStateFile("https-other.pem").c_str(), nullptr, String()), "", "");
        EXPECT_EQ(4u, client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size());
    }
    // The handshake is connect()'s: an untrusted server fails there.
    {
        CIMClient client;
        try {
            client.connect(simulator.host.c_str(), simulator.port,
                           SSLContext(SimulatorStateFile("https.pem").c_str(), nullptr, String()), "", "");
            FAIL() << "a server outside the trust store was accepted";
        } catch (const CIMClientTLSException& error) {
            EXPECT_NE(std::string::npos, Text(error.getMessage()).find("not in the trust store"))
                << Text(error.getMessage());
        }
    }
    {
        // No trust store but a callback: the system's authorities decide.
        CIMClient client;
        try {
            client.connect(simulator.host.c_str(), simulator.port, SSLContext(String(), AcceptVerified, String()),
                           "", "");
            FAIL() << "a self-signed certificate was accepted";
        } catch (const CIMClientTLSException& error) {
            EXPECT_NE(std::string::npos, Text(error.getMessage()).find("TLS")) << Text(error.getMessage());
        }
    }
}

// With the process's trust store, the module's empty SSLContext verifies
// the chain and the host name: the simulator's certificate names localhost
// and 127.0.0.1, not 127.1 (the same address, spelt as a name).
TEST(WindowsCimClientTest, ProcessTrustStoreChecksChainAndHostNameOfAnEmptySslContext)
{
    struct TrustStoreVariable {
        explicit TrustStoreVariable(const std::string& file) { _putenv_s("QUILLET_CIMSERVER_TRUST_STORE", file.c_str()); }
        ~TrustStoreVariable() { _putenv_s("QUILLET_CIMSERVER_TRUST_STORE", ""); }
    };
    const SimulatorAddress simulator = RunningSimulator("https-other");
    const SSLContext empty(String(), nullptr, String());
    {
        TrustStoreVariable trust(SimulatorStateFile("https-other.pem"));
        CIMClient client;
        client.connect(simulator.host.c_str(), simulator.port, empty, "", "");
        EXPECT_EQ(4u, client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size());
        CIMClient renamed;
        try {
            renamed.connect("127.1", simulator.port, empty, "", "");
            FAIL() << "a certificate for localhost and 127.0.0.1 was taken for 127.1";
        } catch (const CIMClientTLSException& error) {
            EXPECT_NE(std::string::npos, Text(error.getMessage()).find("not 127.1")) << Text(error.getMessage());
        }
    }
    {
        TrustStoreVariable trust(SimulatorStateFile("https.pem"));
        CIMClient client;
        EXPECT_THROW(client.connect(simulator.host.c_str(), simulator.port, empty, "", ""), CIMClientTLSException);
    }
}

TEST(WindowsCimClientTest, TlsToAPlainHttpPortFailsAtConnect)
{
    const SimulatorAddress simulator = RunningSimulator("http");
    CIMClient client;
    try {
        client.connect(simulator.host.c_str(), simulator.port, SSLContext(String(), nullptr, String()), "", "");
        FAIL() << "a plain HTTP port passed for TLS";
    } catch (const CannotConnectException& error) {
        EXPECT_NE(std::string::npos, Text(error.getMessage()).find("TLS")) << Text(error.getMessage());
    }
}

TEST(WindowsCimClientTest, CredentialsAreSentWhenTheServerAsks)
{
    const SimulatorAddress simulator = RunningSimulator("auth");
    CIMClient client;
    Connect(client, simulator, "root", "Test-Pass-1");
    EXPECT_EQ(4u, client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size());

    CIMClient wrong;
    Connect(wrong, simulator, "root", "wrong");
    EXPECT_THROW(wrong.enumerateInstances(kNamespace, "MLNX_PCIDevice"), CIMClientAuthenticationException);
}

// An embedded instance (holding another) and an array of embedded objects,
// escaped in their VALUEs, read through XmlLite; getInstance's path is the
// class name alone, as OpenPegasus gives it.
TEST(WindowsCimClientTest, EmbeddedInstancesAndTheGetInstancePath)
{
    CIMClient client;
    Connect(client, RunningSimulator("embedded"));
    const Array<CIMInstance> holders = client.enumerateInstances(kNamespace, "QMT_SettingsHolder");
    ASSERT_EQ(1u, holders.size());
    const CIMInstance holder = client.getInstance(kNamespace, holders[0].getPath());
    EXPECT_EQ("QMT_SettingsHolder", Text(holder.getPath().toString()));

    CIMInstance settings;
    const CIMValue value = holder.getProperty(holder.findProperty("Settings")).getValue();
    ASSERT_EQ(CIMTYPE_INSTANCE, value.getType());
    value.get(settings);
    EXPECT_EQ("a & b <c>", Text(settings.getProperty(settings.findProperty("Note")).getValue().toString()));
    CIMInstance link;
    settings.getProperty(settings.findProperty("Link")).getValue().get(link);
    EXPECT_EQ("100000000000", Text(link.getProperty(0).getValue().toString()));

    Array<CIMObject> history;
    holder.getProperty(holder.findProperty("History")).getValue().get(history);
    ASSERT_EQ(2u, history.size());
    EXPECT_EQ("QMT_Event", Text(history[0].getClassName().getString()));
}

// The tests below change the "faults" simulator; CTest runs them one at a time.
class WindowsCimClientFaultTest : public testing::Test {
protected:
    void SetUp() override { ControlSimulator(m_simulator_, R"({"clear": true})"); }
    void TearDown() override { ControlSimulator(m_simulator_, R"({"clear": true})"); }

    SimulatorAddress m_simulator_ = RunningSimulator("faults");
};

TEST_F(WindowsCimClientFaultTest, RequestsShareOneConnection)
{
    const long before = JsonNumber(SimulatorStats(m_simulator_), "connections");
    CIMClient client;
    Connect(client, m_simulator_);
    for (int round = 0; round < 3; ++round) {
        client.enumerateInstances(kNamespace, "MLNX_IBPort");
    }
    EXPECT_EQ(before + 1, JsonNumber(SimulatorStats(m_simulator_), "connections"));
}

TEST_F(WindowsCimClientFaultTest, CimErrorReachesTheCallerWithItsCode)
{
    // The request accepts trailers: the server's CIMStatusCode arrives in one.
    ControlSimulator(m_simulator_,
                     R"({"fail_class": {"class": "MLNX_IBPort", "code": 5, "description": "no such class"}})");
    CIMClient client;
    Connect(client, m_simulator_);
    try {
        client.enumerateInstances(kNamespace, "MLNX_IBPort");
        FAIL() << "the failing class enumerated";
    } catch (const CIMException& error) {
        EXPECT_EQ(5u, static_cast<Uint32>(error.getCode()));
    }
    EXPECT_EQ(4u, client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size()) << "connection still usable";
}

// A slow answer ends the request at the time-out; the next request of the
// same client goes on a new connection and succeeds.
void ExpectTimeoutThenRecovery(const SimulatorAddress& simulator)
{
    ControlSimulator(simulator, R"({"delay_ms": 3000, "times": 1})");
    CIMClient client;
    client.setTimeout(500);
    Connect(client, simulator);
    try {
        client.enumerateInstances(kNamespace, "MLNX_PCIDevice");
        FAIL() << "no time-out";
    } catch (const ConnectionTimeoutException& error) {
        EXPECT_NE(std::string::npos, Text(error.getMessage()).find("500 ms")) << Text(error.getMessage());
    } catch (const Exception& error) {
        FAIL() << "not a time-out: " << Text(error.getMessage());
    }
    client.setTimeout(20000);
    EXPECT_EQ(4u, client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size());
}

TEST_F(WindowsCimClientFaultTest, TimeoutBoundsASlowAnswer)
{
    ExpectTimeoutThenRecovery(m_simulator_);
}

TEST_F(WindowsCimClientFaultTest, ResponsePastTheSizeLimitIsRefusedAndTheNextRequestReconnects)
{
    CIMClient client;
    Connect(client, m_simulator_);
    CIMClientInspector::setResponseLimit(client, 4096);
    ControlSimulator(m_simulator_, R"({"response_bytes": 65536, "times": 1})");
    try {
        client.enumerateInstances(kNamespace, "MLNX_PCIDevice");
        FAIL() << "a response past the limit was accepted";
    } catch (const CIMClientResponseTooLargeException& error) {
        EXPECT_NE(std::string::npos, Text(error.getMessage()).find("limit of 4096 bytes")) << Text(error.getMessage());
    }
    CIMClientInspector::setResponseLimit(client, 1 << 20);
    EXPECT_EQ(kPciFunctions, DeviceIds(client.enumerateInstances(kNamespace, "MLNX_PCIDevice")));
    EXPECT_EQ(2u, CIMClientInspector::stats(client).connectionsOpened);
}

TEST_F(WindowsCimClientFaultTest, BrokenAnswersRaiseTheirOwnKinds)
{
    CIMClient client;
    Connect(client, m_simulator_);
    ControlSimulator(m_simulator_, R"({"close_mid_response": true, "times": 1})");
    EXPECT_THROW(client.enumerateInstances(kNamespace, "MLNX_PCIDevice"), CIMClientMalformedHTTPException);

    ControlSimulator(m_simulator_, R"({"malformed_xml": true, "times": 1})");
    CIMClient second;
    Connect(second, m_simulator_);
    EXPECT_THROW(second.enumerateInstances(kNamespace, "MLNX_PCIDevice"), CIMClientXmlException);

    ControlSimulator(m_simulator_, R"({"http_status": 500, "times": 1})");
    CIMClient third;
    Connect(third, m_simulator_);
    try {
        third.enumerateInstances(kNamespace, "MLNX_PCIDevice");
        FAIL() << "HTTP 500 accepted";
    } catch (const CIMClientHTTPErrorException& error) {
        EXPECT_EQ(500u, error.getCode());
    }
}

TEST_F(WindowsCimClientFaultTest, LargeAnswerArrivesWhole)
{
    ControlSimulator(m_simulator_, R"({"response_bytes": 8388608, "times": 1})");
    CIMClient client;
    Connect(client, m_simulator_);
    EXPECT_EQ(kPciFunctions, DeviceIds(client.enumerateInstances(kNamespace, "MLNX_PCIDevice")));
}

// The same over TLS, with the server's certificate verified: the "faults-https"
// simulator, changed by these tests alone.
class WindowsCimClientTlsFaultTest : public testing::Test {
protected:
    void SetUp() override { ControlSimulator(m_simulator_, R"({"clear": true})"); }
    void TearDown() override { ControlSimulator(m_simulator_, R"({"clear": true})"); }

    void ConnectVerified(CIMClient& client)
    {
        client.connect(m_simulator_.host.c_str(), m_simulator_.port,
                       SSLContext(SimulatorStateFile("faults-https.pem").c_str(), nullptr, String()), "", "");
    }

    long Counted(const char* key) { return JsonNumber(SimulatorStats(m_simulator_), key); }

    SimulatorAddress m_simulator_ = RunningSimulator("faults-https");
};

// connect() makes the one connection and its handshake; the requests use it
// until the server closes it, and the request after that opens a new one.
TEST_F(WindowsCimClientTlsFaultTest, OneConnectionAndHandshakeUntilTheServerClosesIt)
{
    const long connections = Counted("connections");
    const long handshakes = Counted("tls_handshakes");
    CIMClient client;
    ConnectVerified(client);
    EXPECT_EQ(connections + 1, Counted("connections"));
    EXPECT_EQ(handshakes + 1, Counted("tls_handshakes"));
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(4u, client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size());
    }
    EXPECT_EQ(connections + 1, Counted("connections"));
    EXPECT_EQ(handshakes + 1, Counted("tls_handshakes"));

    ControlSimulator(m_simulator_, R"({"close_mid_response": true, "times": 1})");
    EXPECT_THROW(client.enumerateInstances(kNamespace, "MLNX_PCIDevice"), CIMClientMalformedHTTPException);
    EXPECT_EQ(kPciFunctions, DeviceIds(client.enumerateInstances(kNamespace, "MLNX_PCIDevice")));
    EXPECT_EQ(connections + 2, Counted("connections"));
    EXPECT_EQ(handshakes + 2, Counted("tls_handshakes"));
    EXPECT_EQ(2u, CIMClientInspector::stats(client).connectionsOpened);

    client.disconnect();
    EXPECT_THROW(client.enumerateInstances(kNamespace, "MLNX_PCIDevice"), Exception);
}

TEST_F(WindowsCimClientTlsFaultTest, TimeoutBoundsASlowAnswer)
{
    ExpectTimeoutThenRecovery(m_simulator_);
}

TEST_F(WindowsCimClientTlsFaultTest, LargeAnswerArrivesWholeAndTheLimitHolds)
{
    ControlSimulator(m_simulator_, R"({"response_bytes": 8388608, "times": 1})");
    CIMClient client;
    ConnectVerified(client);
    EXPECT_EQ(kPciFunctions, DeviceIds(client.enumerateInstances(kNamespace, "MLNX_PCIDevice")));

    CIMClientInspector::setResponseLimit(client, 4096);
    ControlSimulator(m_simulator_, R"({"response_bytes": 65536, "times": 1})");
    EXPECT_THROW(client.enumerateInstances(kNamespace, "MLNX_PCIDevice"), CIMClientResponseTooLargeException);
}

}  // namespace
