// Connections to the simulated CIM server: plain and SSL, in-band through
// the local endpoint, refused attempts, reconnection, and the password kept
// out of every log line.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <memory>
#include <vector>

#include <Pegasus/Common/CIMInstance.h>

#include "cimfunc.h"
#include "log.h"
#include "osspecific.h"
#include "simulated_server.h"

using CimFuncTesting::DescriptionOf;
using mlnx_cimsim::testing::CimSimProcess;

namespace {

const char* const kSucceeded = "Cimserver connection succeeded ";
const char* const kFailurePrefix = "Failed to connect remote cimserver with the reason: ";
const char* const kDistinctivePassword = "Qx9!unmistakable-pass-Word";
const char* const kLocalServerVariable = "QUILLET_CIMSERVER_LOCAL";

size_t PCIDeviceCount(Pegasus::CIMClient& client)
{
    return client.enumerateInstances(Pegasus::CIMNamespaceName("root/cimv2"), Pegasus::CIMName("MLNX_PCIDevice"))
        .size();
}

// Points the client library's local endpoint at a simulator for one test.
class ScopedLocalServer {
public:
    explicit ScopedLocalServer(const std::string& url)
    {
        const char* previous = getenv(kLocalServerVariable);
        m_had_previous_ = previous != nullptr;
        m_previous_ = m_had_previous_ ? previous : "";
        setenv(kLocalServerVariable, url.c_str(), 1);
    }
    ~ScopedLocalServer()
    {
        if (m_had_previous_) {
            setenv(kLocalServerVariable, m_previous_.c_str(), 1);
        } else {
            unsetenv(kLocalServerVariable);
        }
    }

private:
    bool m_had_previous_;
    std::string m_previous_;
};

class SimulatedConnection : public ::testing::Test {
protected:
    std::vector<unsigned int> pauses_;
    Quillet::OsSpecific::ScopedSleepObserver observer_{[this](unsigned int ms) { pauses_.push_back(ms); }};
};

TEST_F(SimulatedConnection, PlainConnectionSucceedsAtOnceAndServesRequests)
{
    CimSimProcess server;
    Quillet::LogCapture capture(4);

    CimFunc cimFunc(Pegasus::CIMNamespaceName("root/cimv2"), DescriptionOf(server, kDistinctivePassword));

    ASSERT_NE(cimFunc.GetClient(), nullptr);
    EXPECT_EQ(capture.Count(3, "Connecting admin:**********@127.0.0.1:" + std::to_string(server.port())), 1u);
    EXPECT_EQ(capture.Count(3, kSucceeded), 1u);
    EXPECT_TRUE(capture.Messages(1).empty());
    EXPECT_TRUE(pauses_.empty());
    EXPECT_EQ(cimFunc.GetClient()->getTimeout(), 2400000u);
    EXPECT_GT(PCIDeviceCount(*cimFunc.GetClient()), 0u);
    EXPECT_EQ(std::string(cimFunc.GetNameSpace().getString().getCString()), "root/cimv2");
}

TEST_F(SimulatedConnection, SslConnectionSucceedsAndServesRequests)
{
    CimSimProcess server({"--https"});
    Quillet::LogCapture capture(4);
    ASSERT_TRUE(server.https());

    CimFunc cimFunc(Pegasus::CIMNamespaceName("root/cimv2"), DescriptionOf(server));

    ASSERT_NE(cimFunc.GetClient(), nullptr) << (capture.Messages(1).empty() ? "" : capture.Messages(1)[0]);
    EXPECT_EQ(capture.Count(3, kSucceeded), 1u);
    EXPECT_TRUE(pauses_.empty());
    EXPECT_GT(PCIDeviceCount(*cimFunc.GetClient()), 0u);
}

// The simulator refuses by accepting and closing at once; over SSL the
// handshake of connect() notices that, so these tests use an SSL server.
TEST_F(SimulatedConnection, RefusedOnceThenAcceptedPausesOnceWithoutFailureLine)
{
    CimSimProcess server({"--https"});
    server.refuseConnections(1);
    Quillet::LogCapture capture(4);

    CimFunc cimFunc(Pegasus::CIMNamespaceName("root/cimv2"), DescriptionOf(server));

    ASSERT_NE(cimFunc.GetClient(), nullptr);
    EXPECT_EQ(pauses_, std::vector<unsigned int>({10000}));
    EXPECT_EQ(capture.Count(3, kSucceeded), 1u);
    EXPECT_TRUE(capture.Messages(1).empty());
    EXPECT_GT(PCIDeviceCount(*cimFunc.GetClient()), 0u);
}

TEST_F(SimulatedConnection, RefusedThreeTimesGivesOneFailureLineAndThreePauses)
{
    CimSimProcess server({"--https"});
    server.refuseConnections(3);
    Quillet::LogCapture capture(4);

    CimFunc cimFunc(Pegasus::CIMNamespaceName("root/cimv2"), DescriptionOf(server, kDistinctivePassword));

    EXPECT_EQ(cimFunc.GetClient(), nullptr);
    EXPECT_EQ(pauses_, std::vector<unsigned int>({10000, 10000, 10000}));
    const std::vector<std::string> errors = capture.Messages(1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind(kFailurePrefix, 0), 0u);
    EXPECT_FALSE(capture.AnyContains(kSucceeded));
    EXPECT_EQ(server.stats().refused, 3u);

    // The fault is used up: the next reconnection gets through without a pause.
    pauses_.clear();
    EXPECT_EQ(cimFunc.Reconnect(), 0);
    EXPECT_NE(cimFunc.GetClient(), nullptr);
    EXPECT_TRUE(pauses_.empty());
    EXPECT_FALSE(capture.AnyContains(kDistinctivePassword));
}

TEST_F(SimulatedConnection, ReconnectReplacesAConnectedClient)
{
    CimSimProcess server;
    CimFunc cimFunc(Pegasus::CIMNamespaceName("root/cimv2"), DescriptionOf(server));
    ASSERT_NE(cimFunc.GetClient(), nullptr);
    cimFunc.GetClient()->setTimeout(60000);

    EXPECT_EQ(cimFunc.Reconnect(), 0);

    ASSERT_NE(cimFunc.GetClient(), nullptr);
    EXPECT_EQ(cimFunc.GetClient()->getTimeout(), 2400000u);
    EXPECT_GT(PCIDeviceCount(*cimFunc.GetClient()), 0u);
    EXPECT_EQ(server.stats().connections, 2u);
}

TEST_F(SimulatedConnection, PasswordNeverReachesTheLogAtAnyLevel)
{
    CimSimProcess server({"--user", "admin", "--password-file", CimFuncTesting::FixturePath("password.txt")});
    Quillet::LogCapture capture(4);
    {
        CimFunc connected(Pegasus::CIMNamespaceName("root/cimv2"), DescriptionOf(server, kDistinctivePassword));
        ASSERT_NE(connected.GetClient(), nullptr);
        EXPECT_GT(PCIDeviceCount(*connected.GetClient()), 0u);
        EXPECT_EQ(connected.Reconnect(), 0);
    }
    // SSL towards a plain server fails every attempt, with the client library's reasons logged.
    Quillet::QuilletConnection::ConnectionInfo ssl = DescriptionOf(server, kDistinctivePassword);
    ssl.connection_type = 1;
    CimFunc refused(Pegasus::CIMNamespaceName("root/cimv2"), ssl);
    EXPECT_EQ(refused.GetClient(), nullptr);

    ASSERT_FALSE(capture.Records().empty());
    EXPECT_FALSE(capture.AnyContains(kDistinctivePassword));
    EXPECT_FALSE(capture.AnyContains("unmistakable"));
}

TEST_F(SimulatedConnection, InBandConnectsToTheLocalServer)
{
    CimSimProcess server;
    ScopedLocalServer local(server.url());
    Quillet::LogCapture capture(4);

    CimFunc cimFunc(Pegasus::CIMNamespaceName("root/cimv2"));

    ASSERT_NE(cimFunc.GetClient(), nullptr);
    EXPECT_EQ(capture.Count(3, kSucceeded), 1u);
    EXPECT_FALSE(capture.AnyContains("invalid connection information"));
    EXPECT_TRUE(pauses_.empty());
    EXPECT_GT(PCIDeviceCount(*cimFunc.GetClient()), 0u);
    EXPECT_EQ(cimFunc.Reconnect(), 0);
}

TEST_F(SimulatedConnection, InBandRetriesWhenTheLocalServerIsNotUpYet)
{
    CimSimProcess server({"--https"});
    server.refuseConnections(2);
    ScopedLocalServer local(server.url());
    Quillet::LogCapture capture(4);

    CimFunc cimFunc(Pegasus::CIMNamespaceName("root/cimv2"));

    ASSERT_NE(cimFunc.GetClient(), nullptr);
    EXPECT_EQ(pauses_, std::vector<unsigned int>({10000, 10000}));
    EXPECT_TRUE(capture.Messages(1).empty());
}

TEST_F(SimulatedConnection, ProviderModuleIsSwitchedThroughTheLocalServer)
{
    CimSimProcess server({"--provider-stopped"});
    ScopedLocalServer local(server.url());

    EXPECT_TRUE(CimFunc::EnableProviderModule("MLNX_CIMProvider.dll_Module"));
    EXPECT_EQ(server.stats().providerModule, "started");
    EXPECT_TRUE(CimFunc::DisableProviderModule("MLNX_CIMProvider.dll_Module"));
    EXPECT_EQ(server.stats().providerModule, "stopped");
    EXPECT_EQ(server.stats().starts, 1u);
    EXPECT_EQ(server.stats().stops, 1u);
}

}  // namespace
