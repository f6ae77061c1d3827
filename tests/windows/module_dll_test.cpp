// quillet_mellanox.dll as the framework uses it, against the simulated CIM
// server: inventory out-of-band over HTTP and HTTPS, and in-band the
// provider module, diagnostics and raw data with the tools beside the DLL.
// This program runs from a folder holding copies of the DLLs and a tools tree.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "log.h"
#include "mellanox.h"
#include "simulator_access.h"
#include "windows_test_support.h"

namespace {

using Quillet::LogCapture;
using Quillet::Mellanox::Mellanox;
using Quillet::Mellanox::StructuredInfo_;
using QuilletWindowsTests::JsonNumber;
using QuilletWindowsTests::RunningSimulator;
using QuilletWindowsTests::ScopedEnvironmentVariable;
using QuilletWindowsTests::SimulatorAddress;
using QuilletWindowsTests::SimulatorStats;
using QuilletWindowsTests::TestProgramDirectory;
using Strings = std::vector<std::string>;

Quillet::QuilletConnection::ConnectionInfo OutOfBand(const SimulatorAddress& simulator)
{
    Quillet::QuilletConnection::ConnectionInfo info;
    info.host = simulator.host;
    info.port = static_cast<uint16_t>(simulator.port);
    info.connection_type = simulator.https ? 1 : 0;
    return info;
}

Strings PciDeviceIds(const StructuredInfo_& info)
{
    Strings ids;
    for (const auto& device : info.pci_devices) {
        ids.push_back(device.device_ID);
    }
    return ids;
}

Strings PortIds(const StructuredInfo_& info)
{
    Strings ids;
    for (const auto& port : info.ports) {
        ids.push_back(port.device_ID);
    }
    return ids;
}

Strings IdentityVersions(const std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities)
{
    Strings versions;
    for (const auto& identity : identities) {
        versions.push_back(identity.element_name + "=" + identity.version_string);
    }
    return versions;
}

TEST(WindowsModuleDllTest, DllFileIsBesideThisProgram)
{
    const HMODULE dll = GetModuleHandleA("quillet_mellanox.dll");
    ASSERT_NE(nullptr, dll);
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(dll, path, MAX_PATH);
    EXPECT_EQ(TestProgramDirectory() + "quillet_mellanox.dll", std::string(path, length));
}

TEST(WindowsModuleDllTest, OutOfBandInventoryIsTheSameOverHttpAndHttps)
{
    StructuredInfo_ plain;
    StructuredInfo_ secure;
    {
        Mellanox module(OutOfBand(RunningSimulator("http")));
        EXPECT_EQ(0, module.GetStructuredInfo(plain));
    }
    {
        Mellanox module(OutOfBand(RunningSimulator("https")));
        EXPECT_EQ(0, module.GetStructuredInfo(secure));
    }
    EXPECT_EQ((Strings{"0000:03:00.0", "0000:03:00.1", "0000:06:00.0", "0000:06:00.1"}), PciDeviceIds(plain));
    EXPECT_EQ(4u, plain.ports.size());
    EXPECT_EQ(13u, plain.software_identities.size());
    EXPECT_EQ(PciDeviceIds(plain), PciDeviceIds(secure));
    EXPECT_EQ(PortIds(plain), PortIds(secure));
    EXPECT_EQ(IdentityVersions(plain.software_identities), IdentityVersions(secure.software_identities));
    ASSERT_FALSE(plain.pci_devices.empty());
    EXPECT_EQ(1, plain.pci_devices[0].type) << "InfiniBand";
}

TEST(WindowsModuleDllTest, OutOfBandSoftwareIdentitiesAreFilteredWithoutDuplicates)
{
    Mellanox module(OutOfBand(RunningSimulator("http")));
    std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
    EXPECT_EQ(0, module.GetSoftwareIdentities(identities));
    const Strings versions = IdentityVersions(identities);
    ASSERT_FALSE(versions.empty());
    for (size_t i = 0; i < versions.size(); ++i) {
        for (size_t j = i + 1; j < versions.size(); ++j) {
            EXPECT_NE(versions[i], versions[j]) << "duplicate identity";
        }
    }
}

struct Operation {
    const char* name;
    int outOfBandStatus;  // diagnostics and raw data answer 4 out-of-band, without a request
    std::function<int(Mellanox&)> run;
};

const std::vector<Operation>& FiveOperations()
{
    static const std::vector<Operation> operations{
        {"GetStructuredInfo", 0, [](Mellanox& module) {
             StructuredInfo_ info;
             return module.GetStructuredInfo(info);
         }},
        {"GetSoftwareIdentities", 0, [](Mellanox& module) {
             std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
             return module.GetSoftwareIdentities(identities);
         }},
        {"GetDiagItems", 4, [](Mellanox& module) {
             Strings names;
             return module.GetDiagItems(names);
         }},
        {"RunDiagnostic", 4, [](Mellanox& module) {
             // A run picks from the diagnostics the object listed.
             Strings names;
             module.GetDiagItems(names);
             Quillet::QuilletIHV::DiagnosticRecord_ record;
             return module.RunDiagnostic("MLNX_PCIeLinkTest|0000:03:00.0", record);
         }},
        {"GetRawData", 4, [](Mellanox& module) {
             std::vector<Quillet::QuilletIHV::RawData_> records;
             return module.GetRawData(records, "");
         }},
    };
    return operations;
}

// What the server counted while `count` ran.
struct Counted {
    long connections = 0;
    long handshakes = 0;
};

template <typename Run>
Counted CountedBy(const SimulatorAddress& simulator, Run count)
{
    const std::string before = SimulatorStats(simulator);
    count();
    const std::string after = SimulatorStats(simulator);
    return {JsonNumber(after, "connections") - JsonNumber(before, "connections"),
            JsonNumber(after, "tls_handshakes") - JsonNumber(before, "tls_handshakes")};
}

// Counted by the server: an out-of-band object opens one connection (with
// one TLS handshake over HTTPS) when it is made, and every request of every
// operation goes over it. Simulators of this test's own, so that no other
// test's connections are counted.
TEST(WindowsModuleDllTest, OneConnectionAndOneHandshakePerOutOfBandObjectForEveryOperation)
{
    for (const char* name : {"counted-http", "counted-https"}) {
        const SimulatorAddress simulator = RunningSimulator(name);
        for (const Operation& operation : FiveOperations()) {
            SCOPED_TRACE(std::string(name) + " " + operation.name);
            const Counted counted = CountedBy(simulator, [&] {
                Mellanox module(OutOfBand(simulator));
                EXPECT_EQ(operation.outOfBandStatus, operation.run(module));
            });
            EXPECT_EQ(1, counted.connections);
            EXPECT_EQ(simulator.https ? 1 : 0, counted.handshakes);
        }
    }
}

// In-band objects start and stop the provider module: they get a simulator
// of their own, and CTest runs these tests one at a time.
class WindowsModuleDllInBandTest : public testing::Test {
protected:
    SimulatorAddress m_simulator_ = RunningSimulator("inband");
    ScopedEnvironmentVariable m_local_server_{"QUILLET_CIMSERVER_LOCAL", m_simulator_.url};
};

TEST_F(WindowsModuleDllInBandTest, EnablesTheProviderModuleForItsLifetime)
{
    const std::string before = SimulatorStats(m_simulator_);
    {
        Mellanox module;
        EXPECT_EQ(JsonNumber(before, "starts") + 1, JsonNumber(SimulatorStats(m_simulator_), "starts"));
    }
    EXPECT_EQ(JsonNumber(before, "stops") + 1, JsonNumber(SimulatorStats(m_simulator_), "stops"));
}

// In-band the framework's CIM-server manager also reaches the server, on a
// connection of its own for enabling the provider module (construction) and
// one for disabling it (destruction); the module object itself opens one.
TEST_F(WindowsModuleDllInBandTest, OneConnectionPerObjectForEveryOperation)
{
    for (const Operation& operation : FiveOperations()) {
        SCOPED_TRACE(operation.name);
        const long before = JsonNumber(SimulatorStats(m_simulator_), "connections");
        long afterOperation = 0;
        {
            Mellanox module;
            EXPECT_EQ(0, operation.run(module));
            afterOperation = JsonNumber(SimulatorStats(m_simulator_), "connections");
        }
        EXPECT_EQ(before + 2, afterOperation) << "the module's and the manager's enabling one";
        EXPECT_EQ(before + 3, JsonNumber(SimulatorStats(m_simulator_), "connections"))
            << "and the manager's disabling one";
    }
}

TEST_F(WindowsModuleDllInBandTest, ListsAndRunsDiagnostics)
{
    Mellanox module;
    Strings names;
    ASSERT_EQ(0, module.GetDiagItems(names));
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        EXPECT_NE(std::string::npos, name.find('|')) << name;
    }
    Quillet::QuilletIHV::DiagnosticRecord_ record;
    EXPECT_EQ(0, module.RunDiagnostic(names[0], record));
    EXPECT_FALSE(record.completion_state.empty());
}

TEST_F(WindowsModuleDllInBandTest, RawDataWithoutRootUsesTheToolsBesideTheDll)
{
    Mellanox module;
    std::vector<Quillet::QuilletIHV::RawData_> records;
    LogCapture log;
    EXPECT_EQ(0, module.GetRawData(records, ""));
    ASSERT_EQ(3u, records.size());
    // The DLL's directory ends in a backslash; the relative path starts with one.
    EXPECT_EQ(TestProgramDirectory() + "\\utilities\\mellanox\\WinMFT\\mdevices.exe status", records[0].command);
    EXPECT_EQ("Mellanox_02_device_info", records[2].name);
}

}  // namespace
