// The CIM inventory object and its element readers against the simulator: what each
// reader holds for one instance, and what it logs over its life.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cim_module_support/simulated_cim_server.h"
#include "log.h"
#include "mellanox.h"
#include "mellanox_cim_inventory.h"

namespace {

using cim_module_support::OutOfBandTo;
using cim_module_support::PauseCounter;
using mlnx_cimsim::testing::CimSimProcess;
using Quillet::Mellanox::MellanoxCim;
using Quillet::Mellanox::MellanoxCimPcidevice;
using Quillet::Mellanox::MellanoxCimPort;
using Quillet::Mellanox::MellanoxCimSoftwareIdentity;

size_t CountStartingWith(const std::vector<std::string>& messages, const std::string& prefix)
{
    size_t count = 0;
    for (const std::string& message : messages) {
        count += message.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
    }
    return count;
}

class ElementReaders : public testing::Test {
protected:
    PauseCounter m_pauses_;
    CimSimProcess m_server_{{"--fixture", std::string(INVENTORY_FIXTURE_DIR) + "/identity_edge_cases.json"}};
};

TEST_F(ElementReaders, PciDeviceTypeComesFromTheNameCaseSensitively)
{
    MellanoxCim cim(OutOfBandTo(m_server_));
    std::vector<MellanoxCimPcidevice> devices;
    ASSERT_EQ(cim.GetPcideviceInfo(devices), 0);
    ASSERT_EQ(devices.size(), 4u);

    EXPECT_EQ(devices[0].GetValue("Type"), "ib") << "IB wins over EN";
    EXPECT_EQ(devices[1].GetValue("Type"), "en");
    for (size_t i = 2; i < devices.size(); ++i) {
        EXPECT_EQ(devices[i].GetProperties().count("Type"), 0u) << devices[i].GetValue("Name");
        EXPECT_EQ(devices[i].GetProperties().size(), 21u);
        EXPECT_EQ(devices[i].GetValue("Type"), "");
    }
    EXPECT_EQ(devices[3].GetValue("RevisionID"), "") << "a property the instance leaves unset";
    EXPECT_EQ(devices[0].GetValue("RevisionID"), "1");
    EXPECT_EQ(devices[0].GetValue("NoSuchProperty"), "");

    // The framework's record leaves the type unset; the module gives a device
    // whose name tells neither -1, whatever the caller's records held.
    Quillet::Mellanox::Mellanox module(OutOfBandTo(m_server_));
    Quillet::Mellanox::StructuredInfo_ info;
    info.pci_devices.resize(4);
    for (Quillet::Mellanox::PCIDevice_& device : info.pci_devices) {
        device.type = 0;
    }
    ASSERT_EQ(module.GetStructuredInfo(info), 0);
    ASSERT_EQ(info.pci_devices.size(), 4u);
    EXPECT_EQ(info.pci_devices[0].type, 1);
    EXPECT_EQ(info.pci_devices[1].type, 0);
    EXPECT_EQ(info.pci_devices[2].type, -1);
    EXPECT_EQ(info.pci_devices[3].type, -1);
}

TEST_F(ElementReaders, PortReadersHoldEveryNameAndShowValueMapMissesAsEmpty)
{
    MellanoxCim cim(OutOfBandTo(m_server_));
    std::vector<MellanoxCimPort> ports(5);
    ASSERT_EQ(cim.GetPortInfo(ports), 0);
    // Only Ethernet ports on this host; the old contents are gone.
    ASSERT_EQ(ports.size(), 2u);
    for (const MellanoxCimPort& port : ports) {
        EXPECT_EQ(port.GetProperties().size(), 27u);
        EXPECT_EQ(port.GetValue("CreationClassName"), "MLNX_EthernetPort");
        EXPECT_EQ(port.GetValue("LinkTechnology"), "Ethernet");
    }
    EXPECT_EQ(ports[0].GetValue("PortType"), "25GbE");
    EXPECT_EQ(ports[0].GetValue("OperationalStatus"), "") << "a two-element array matches no entry";
    EXPECT_EQ(ports[0].GetValue("LIDMask"), "");
    EXPECT_EQ(ports[0].GetValue("FullDuplex"), "TRUE");
    EXPECT_EQ(ports[1].GetValue("PortType"), "") << "7 is outside the value map";
    EXPECT_EQ(ports[1].GetValue("OperationalStatus"), "OK");
    EXPECT_EQ(ports[1].GetValue("LIDMask"), "0");
}

TEST_F(ElementReaders, IdentityReadersKeepTheProvidersRawValues)
{
    MellanoxCim cim(OutOfBandTo(m_server_));
    std::vector<MellanoxCimSoftwareIdentity> identities;
    ASSERT_EQ(cim.GetSoftwareIdentityInfo(identities), 0);
    ASSERT_EQ(identities.size(), 12u);
    EXPECT_EQ(identities[0].GetValue("InstanceID"), "MLNX_FirmwareIdentity:driver-x") << "firmware first";
    EXPECT_EQ(identities[5].GetValue("InstanceID"), "MLNX_SoftwareIdentity:mft");
    for (const MellanoxCimSoftwareIdentity& identity : identities) {
        EXPECT_EQ(identity.GetProperties().size(), 20u);
    }
    const MellanoxCimSoftwareIdentity& bundle = identities[10];
    ASSERT_EQ(bundle.GetValue("ElementName"), "bundle-7");
    EXPECT_EQ(bundle.GetValue("Classifications"), "13") << "no value-map translation";
    EXPECT_EQ(bundle.GetValue("ClassificationDescriptions"), "Software Bundle");
    EXPECT_EQ(identities[0].GetValue("IdentityInfoValue"), "abc def ghi");
}

TEST_F(ElementReaders, ReadersTraceConstructionDataAndEveryDestruction)
{
    Quillet::LogCapture capture(4);
    {
        MellanoxCim cim(OutOfBandTo(m_server_));
        std::vector<MellanoxCimPcidevice> devices;
        ASSERT_EQ(cim.GetPcideviceInfo(devices), 0);
        EXPECT_EQ(capture.Count(4, "Calling MellanoxCim::GetPcideviceInfo()"), 1u);
        EXPECT_EQ(capture.Count(4, "Calling constructor of MellanoxCimPcidevice"), 4u) << "copies log nothing";
        EXPECT_EQ(capture.Count(4, "Calling destructor of MellanoxCimPcidevice"), 4u) << "the temporaries";
        const std::vector<std::string> traces = capture.Messages(4);
        EXPECT_EQ(CountStartingWith(traces, "Calling MellanoxCimPcidevice::GetData with adapter"), 4u);
        EXPECT_TRUE(capture.AnyContains("Calling MellanoxCimPcidevice::GetData with adapter")) << "path follows";
        EXPECT_TRUE(capture.AnyContains("DeviceID=\"0000:81:00.0\""));

        std::vector<MellanoxCimPort> ports;
        ASSERT_EQ(cim.GetPortInfo(ports), 0);
        EXPECT_EQ(CountStartingWith(capture.Messages(4), "Calling MellanoxCimPort::GetData with port"), 2u);
        std::vector<MellanoxCimSoftwareIdentity> identities;
        ASSERT_EQ(cim.GetSoftwareIdentityInfo(identities), 0);
        EXPECT_EQ(CountStartingWith(capture.Messages(4), "Calling MellanoxCimSoftwareIdentity::GetData with port"),
                  12u);
        EXPECT_EQ(capture.Count(4, "Calling constructor of MellanoxCimSoftwareIdentity"), 12u);
    }
    // The copies held in the vectors logged their destruction too (and so did any
    // copy the vector made while growing).
    EXPECT_EQ(capture.Count(4, "Calling destructor of MellanoxCimPcidevice"), 8u);
    EXPECT_EQ(capture.Count(4, "Calling destructor of MellanoxCimPort"), 4u);
    EXPECT_GE(capture.Count(4, "Calling destructor of MellanoxCimSoftwareIdentity"), 24u);
    EXPECT_EQ(capture.Count(4, "Calling destructor of MellanoxCim"), 1u);
}

}  // namespace
