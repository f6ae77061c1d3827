// Connections to the simulated CIM server: plain and SSL, in-band through
// the local endpoint, reconnection, the provider-module switches, and the
// password kept out of every log line.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <Pegasus/Common/CIMInstance.h>

#include "cimfunc.h"
#include "log.h"
#include "osspecific.h"
#include "simulated_server.h"
#include "test_endpoints.h"

using CimFuncTesting::ClosedLoopbackPort;
using CimFuncTesting::DescriptionOf;
using CimFuncTesting::ScopedLocalServer;
using mlnx_cimsim::testing::CimSimProcess;

namespace {

const char* const kSucceeded = "Cimserver connection succeeded ";
const char* const kDistinctivePassword = "Qx9!unmistakable-pass-Word";

size_t PCIDeviceCount(Pegasus::CIMClient& client)
{
    return client.enumerateInstances(Pegasus::CIMNamespaceName("root/cimv2"), Pegasus::CIMName("MLNX_PCIDevice"))
        .size();
}

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
    // Failed attempts log the client library's reasons; the password is in none of them.
    for (int type : {0, 1}) {
        Quillet::QuilletConnection::ConnectionInfo closed = DescriptionOf(server, kDistinctivePassword);
        closed.port = ClosedLoopbackPort();
        closed.connection_type = type;
        CimFunc refused(Pegasus::CIMNamespaceName("root/cimv2"), closed);
        EXPECT_EQ(refused.GetClient(), nullptr);
    }
    EXPECT_EQ(capture.Messages(1).size(), 2u);

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
