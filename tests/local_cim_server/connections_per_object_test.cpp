// Counted on the server's side: one module object opens one connection (with one
// TLS handshake over HTTPS) in its constructor, and every request of every
// operation goes over it, out-of-band over HTTP and HTTPS and in-band over the
// host's domain socket.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cim_module_support/simulated_cim_server.h"
#include "mellanox.h"
#include "scoped_environment.h"

namespace {

using cim_module_support::LocalCimServer;
using cim_module_support::OutOfBandTo;
using cim_module_support::PauseCounter;
using mlnx_cimsim::testing::CimSimProcess;
using mlnx_cimsim::testing::CimSimStats;
using Quillet::Mellanox::Mellanox;

struct Operation {
    const char* name;
    bool servedOutOfBand;  // else it answers 4 out-of-band, without a request
    std::function<int(Mellanox&)> run;
};

const std::vector<Operation>& FiveOperations()
{
    static const std::vector<Operation> operations{
        {"GetStructuredInfo", true,
         [](Mellanox& module) {
             Quillet::Mellanox::StructuredInfo_ info;
             return module.GetStructuredInfo(info);
         }},
        {"GetSoftwareIdentities", true,
         [](Mellanox& module) {
             std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
             return module.GetSoftwareIdentities(identities);
         }},
        {"GetDiagItems", false,
         [](Mellanox& module) {
             std::vector<std::string> names;
             return module.GetDiagItems(names);
         }},
        {"RunDiagnostic", false,
         [](Mellanox& module) {
             // A run picks from the diagnostics the object listed.
             std::vector<std::string> names;
             module.GetDiagItems(names);
             Quillet::QuilletIHV::DiagnosticRecord_ record;
             return module.RunDiagnostic("MLNX_PCIeLinkTest|0000:03:00.0", record);
         }},
        {"GetRawData", false,
         [](Mellanox& module) {
             std::vector<Quillet::QuilletIHV::RawData_> raw;
             return module.GetRawData(raw, FAKE_MFT_ROOT);
         }},
    };
    return operations;
}

struct Counted {
    uint64_t connections = 0;
    uint64_t handshakes = 0;
};

Counted Between(const CimSimStats& before, const CimSimStats& after)
{
    return {after.connections - before.connections, after.tlsHandshakes - before.tlsHandshakes};
}

// Runs `operation` on a fresh object made by `make`; what the server counted
// from before construction to after the operation, and to after destruction.
template <typename Make>
std::pair<Counted, Counted> CountOneObject(CimSimProcess& server, Make make, const Operation& operation,
                                          int expectedStatus)
{
    const CimSimStats before = server.stats();
    CimSimStats afterOperation;
    {
        std::unique_ptr<Mellanox> module = make();
        EXPECT_EQ(operation.run(*module), expectedStatus);
        afterOperation = server.stats();
    }
    return {Between(before, afterOperation), Between(before, server.stats())};
}

class OutOfBandConnections : public testing::TestWithParam<bool> {
protected:
    CimSimProcess m_server_{GetParam() ? std::vector<std::string>{"--https"} : std::vector<std::string>{}};
    PauseCounter m_pauses_;
};

TEST_P(OutOfBandConnections, OneConnectionAndOneHandshakePerObjectForEveryOperation)
{
    const bool https = GetParam();
    for (const Operation& operation : FiveOperations()) {
        SCOPED_TRACE(operation.name);
        const auto counted = CountOneObject(
            m_server_, [&] { return std::make_unique<Mellanox>(OutOfBandTo(m_server_)); }, operation,
            operation.servedOutOfBand ? 0 : 4);
        EXPECT_EQ(counted.first.connections, 1u);
        EXPECT_EQ(counted.first.handshakes, https ? 1u : 0u);
        EXPECT_EQ(counted.second.connections, 1u);
        EXPECT_EQ(counted.second.handshakes, https ? 1u : 0u);
    }
    EXPECT_EQ(m_pauses_.Total(), 0u);
}

INSTANTIATE_TEST_SUITE_P(HttpAndHttps, OutOfBandConnections, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Https" : "Http"; });

// In-band the framework's CIM-server manager also reaches the server, on a
// connection of its own for enabling the provider module (construction) and
// one for disabling it (destruction); the module object itself opens one.
TEST(InBandConnections, OneConnectionOverTheDomainSocketPerObjectForEveryOperation)
{
    CimSimProcess server({"--authenticate"}, CimSimProcess::Listen::tcpAndDomainSocket);
    LocalCimServer local(server.domainSocketUrl());
    QuilletTest::ScopedEnvironment toolsFixture({{"FAKE_MFT_FIXTURE", CimSimProcess::defaultFixturePath()}});
    PauseCounter pauses;
    for (const Operation& operation : FiveOperations()) {
        SCOPED_TRACE(operation.name);
        const auto counted =
            CountOneObject(server, [] { return std::make_unique<Mellanox>(); }, operation, 0);
        EXPECT_EQ(counted.first.connections, 2u) << "the module's and the manager's enabling one";
        EXPECT_EQ(counted.second.connections, 3u) << "and the manager's disabling one";
        EXPECT_EQ(counted.second.handshakes, 0u);
    }
}

}  // namespace
