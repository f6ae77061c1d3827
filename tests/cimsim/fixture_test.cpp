// The bundled fixture and the generator give what the module reads and what the
// fake vendor tools print, consistently; the loader names what is wrong in a fixture.

#include "fixture/embedded_fixtures.h"
#include "fixture/fixture_generator.h"
#include "fixture/fixture_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <string>

using namespace mlnx_cimsim;
using nlohmann::json;

namespace {

json bundledFixture() {
    std::ifstream in(DEFAULT_FIXTURE_PATH);
    return json::parse(in);
}

json schema() { return json::parse(builtinSchemaJson()); }

// Plain character checks rather than std::regex, whose headers trip g++ 12's
// -Wmaybe-uninitialized in the sanitizer build.
bool isLowerHex(const std::string& text, size_t length) {
    return text.size() == length && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// NN.NN.NNNN, the form of the release dates the vendor tools print.
bool isDottedDate(const std::string& text) {
    if (text.size() != 10 || text[2] != '.' || text[5] != '.') {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (i != 2 && i != 5 && (text[i] < '0' || text[i] > '9')) {
            return false;
        }
    }
    return true;
}

std::vector<json> instancesOf(const json& fixture, const std::string& className) {
    std::vector<json> result;
    for (const auto& instance : fixture.at("instances")) {
        if (instance.at("class") == className) {
            result.push_back(instance.at("properties"));
        }
    }
    return result;
}

// The names the module's element readers ask each class for.
const std::vector<std::string> kPciDeviceNames = {
    "InstanceID", "Caption", "Description", "ElementName", "Name", "OperationalStatus", "StatusDescriptions",
    "HealthState", "PrimaryStatus", "EnabledState", "RequestedState", "SystemCreationClassName", "SystemName",
    "CreationClassName", "DeviceID", "BusNumber", "DeviceNumber", "FunctionNumber", "PCIDeviceID", "VendorID",
    "RevisionID"};
const std::vector<std::string> kPortNames = {
    "DeviceID", "ElementName", "AutoSense", "Caption", "CreationClassName", "Description", "EnabledState",
    "EnabledDefault", "FullDuplex", "InstanceID", "LIDMask", "LinkTechnology", "LinkSpeedActive", "LinkWidthActive",
    "MaxSpeed", "Name", "NetworkAddresses", "OperationalStatus", "PermanentAddress", "PortNumber", "PortType", "Speed",
    "StatusDescriptions", "SystemCreationClassName", "SystemName", "ActiveMaximumTransmissionUnit",
    "SupportedMaximumTransmissionUnit"};
const std::vector<std::string> kIdentityNames = {
    "Description", "ElementName", "ProductName", "Manufacturer", "Name", "VersionString", "Classifications",
    "ClassificationDescriptions", "IdentityInfoValue", "SoftwareID", "SubDeviceID", "ReleaseDate", "SoftwareStatus",
    "SoftwareRole", "IdentityInfoType", "IsPLDMUpdateSupported", "InstanceID", "AssociatedAdapterSlot",
    "LastUpdateError", "LastUpdateErrorString"};

void expectEveryNameSet(const json& fixture, const std::vector<std::string>& classes,
                        const std::vector<std::string>& names) {
    for (const auto& name : names) {
        bool set = false;
        for (const auto& className : classes) {
            for (const auto& properties : instancesOf(fixture, className)) {
                set = set || (properties.contains(name) && !properties.at(name).is_null());
            }
        }
        EXPECT_TRUE(set) << name << " has no value on any instance of " << classes.front();
    }
}

TEST(BundledFixture, IsWhatTheGeneratorPrintsForTwoAdaptersAndWhatTheBinaryEmbeds) {
    EXPECT_EQ(bundledFixture(), generateFixture(2));
    EXPECT_EQ(json::parse(defaultFixtureJson()), bundledFixture());
}

TEST(BundledFixture, GivesEveryPropertyTheModuleReadsAValue) {
    json fixture = bundledFixture();
    expectEveryNameSet(fixture, {"MLNX_PCIDevice"}, kPciDeviceNames);
    expectEveryNameSet(fixture, {"MLNX_IBPort", "MLNX_EthernetPort"}, kPortNames);
    expectEveryNameSet(fixture, {"MLNX_FirmwareIdentity", "MLNX_SoftwareIdentity"}, kIdentityNames);
}

TEST(BundledFixture, HoldsOneInfiniBandAndOneEthernetAdapterAsTheModuleTellsThemApart) {
    json fixture = bundledFixture();
    const auto& adapters = fixture.at("adapters");
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(adapters[0].at("mst_device"), "mt4115_pciconf0");
    EXPECT_EQ(adapters[1].at("mst_device"), "mt4117_pciconf0");
    std::map<std::string, std::string> nameByDevice;
    for (const auto& device : instancesOf(fixture, "MLNX_PCIDevice")) {
        nameByDevice[device.at("DeviceID")] = device.at("Name");
    }
    for (const auto& id : adapters[0].at("pci_device_ids")) {
        EXPECT_NE(nameByDevice.at(id).find("IB"), std::string::npos);
    }
    for (const auto& id : adapters[1].at("pci_device_ids")) {
        EXPECT_EQ(nameByDevice.at(id).find("IB"), std::string::npos);
        EXPECT_NE(nameByDevice.at(id).find("EN"), std::string::npos);
    }
}

TEST(BundledFixture, HasTheIdentitiesThatClassificationAndFilteringMeet) {
    json fixture = bundledFixture();
    std::set<std::string> elementNames;
    std::map<std::string, std::string> descriptionByName;
    for (const auto& className : {"MLNX_FirmwareIdentity", "MLNX_SoftwareIdentity"}) {
        for (const auto& identity : instancesOf(fixture, className)) {
            elementNames.insert(identity.at("ElementName"));
            descriptionByName[identity.at("ElementName")] = identity.at("Description");
        }
    }
    EXPECT_TRUE(elementNames.count("mlx5_core.ko"));
    EXPECT_TRUE(elementNames.count("mlx5.sys"));
    EXPECT_NE(descriptionByName.at("mlx5.sys").find("Driver"), std::string::npos);
    EXPECT_EQ(descriptionByName.at("tool.exe"), "Utility");
    EXPECT_EQ(descriptionByName.at("mft-4.22.1"), "Mellanox Firmware Tools");
    EXPECT_TRUE(elementNames.count("ConnectX-4 FW MT_2190110032"));
    EXPECT_NE(descriptionByName.at("ConnectX-4 FW MT_2190110032").find("Firmware"), std::string::npos);
}

TEST(GeneratedFixture, AdaptersTableAgreesWithTheCimInstances) {
    for (int count : {1, 8}) {
        json fixture = generateFixture(count);
        std::set<std::string> pciIds;
        for (const auto& device : instancesOf(fixture, "MLNX_PCIDevice")) {
            pciIds.insert(device.at("DeviceID"));
        }
        std::set<std::string> portAddresses;
        for (const auto& className : {"MLNX_IBPort", "MLNX_EthernetPort"}) {
            for (const auto& port : instancesOf(fixture, className)) {
                std::string address = port.at("PermanentAddress");
                std::transform(address.begin(), address.end(), address.begin(), ::tolower);
                portAddresses.insert(address);
            }
        }
        std::map<std::string, std::set<std::string>> versionsByPsid;
        for (const auto& firmware : instancesOf(fixture, "MLNX_FirmwareIdentity")) {
            versionsByPsid[firmware.at("SoftwareID")].insert(firmware.at("VersionString"));
        }
        std::set<std::string> mstDevices;
        for (const auto& adapter : fixture.at("adapters")) {
            EXPECT_TRUE(mstDevices.insert(adapter.at("mst_device").get<std::string>()).second);
            EXPECT_TRUE(isDottedDate(adapter.at("fw_release_date"))) << adapter.at("fw_release_date");
            EXPECT_TRUE(isLowerHex(adapter.at("base_mac"), 12)) << adapter.at("base_mac");
            EXPECT_EQ(adapter.at("image_type"), "FS3");
            EXPECT_TRUE(versionsByPsid[adapter.at("psid")].count(adapter.at("fw_version")));
            for (const auto& id : adapter.at("pci_device_ids")) {
                EXPECT_TRUE(pciIds.count(id)) << id;
            }
            if (adapter.contains("base_guid")) {
                std::string guid = adapter.at("base_guid");
                EXPECT_TRUE(isLowerHex(guid, 16)) << guid;
                EXPECT_TRUE(portAddresses.count(guid)) << guid;
                EXPECT_EQ(adapter.at("base_mac"), guid.substr(0, 6) + guid.substr(10));
            } else {
                EXPECT_TRUE(portAddresses.count(adapter.at("base_mac"))) << adapter.at("base_mac");
            }
        }
    }
}

TEST(GeneratedFixture, SixtyFourAdaptersMakeAServerOfRealisticSizeThatLoads) {
    json fixture = generateFixture(64);
    EXPECT_EQ(fixture.at("adapters").size(), 64u);
    EXPECT_EQ(instancesOf(fixture, "MLNX_PCIDevice").size(), 128u);
    EXPECT_EQ(instancesOf(fixture, "MLNX_IBPort").size() + instancesOf(fixture, "MLNX_EthernetPort").size(), 128u);
    size_t identities =
        instancesOf(fixture, "MLNX_FirmwareIdentity").size() + instancesOf(fixture, "MLNX_SoftwareIdentity").size();
    EXPECT_GE(identities, 200u);
    EXPECT_LE(identities, 400u);
    EXPECT_EQ(instancesOf(fixture, "MLNX_AvailableDiagnosticService").size(), 128u);
    LoadedFixture loaded = loadFixture(fixture, schema(), "MLNX_CIMProvider.dll_Module");
    EXPECT_EQ(loaded.instanceCount, fixture.at("instances").size());
    EXPECT_EQ(loaded.diagnostics.size(), 128u);
}

void expectFixtureError(const json& fixture, const std::string& fragment) {
    try {
        loadFixture(fixture, schema(), "MLNX_CIMProvider.dll_Module");
        ADD_FAILURE() << "no error for " << fixture.dump();
    } catch (const FixtureError& error) {
        EXPECT_NE(std::string(error.what()).find(fragment), std::string::npos) << error.what();
    }
}

TEST(FixtureLoader, NamesTheElementThatIsWrong) {
    json device = {{"class", "MLNX_PCIDevice"},
                   {"properties",
                    {{"CreationClassName", "MLNX_PCIDevice"},
                     {"DeviceID", "0000:01:00.0"},
                     {"SystemCreationClassName", "CIM_ComputerSystem"},
                     {"SystemName", "h"}}}};
    expectFixtureError({{"instances", {{{"class", "MLNX_NoSuchClass"}}}}}, "instances[0]: unknown class MLNX_NoSuchClass");
    json unknownProperty = device;
    unknownProperty["properties"]["Colour"] = "blue";
    expectFixtureError({{"instances", {unknownProperty}}}, "instances[0].properties.Colour");
    json wrongType = device;
    wrongType["properties"]["BusNumber"] = true;
    expectFixtureError({{"instances", {wrongType}}}, "boolean given for a uint8 property");
    json scalarForArray = device;
    scalarForArray["properties"]["OperationalStatus"] = 2;
    expectFixtureError({{"instances", {scalarForArray}}}, "expected an array");
    json missingKey = device;
    missingKey["properties"].erase("DeviceID");
    expectFixtureError({{"instances", {missingKey}}}, "no value for key property DeviceID");
    expectFixtureError({{"instances", {device, device}}}, "defined twice");
    expectFixtureError({{"classes", {{{"name", "X_Child"}, {"superclass", "X_Missing"}}}}}, "superclass X_Missing");
    json badJob = device;
    badJob["job"] = {{"final_state", "Done"}};
    expectFixtureError({{"instances", {badJob}}}, "instances[0].job.final_state");
}

TEST(FixtureLoader, AFixtureCanExtendTheSchemaAndOverrideAPropertyType) {
    json fixture = {{"classes",
                     {{{"name", "MLNX_Extra"},
                       {"superclass", "MLNX_PCIDevice"},
                       {"properties", {{{"name", "Slot"}, {"type", "string"}}}}}}},
                    {"instances",
                     {{{"class", "MLNX_Extra"},
                       {"properties",
                        {{"CreationClassName", "MLNX_Extra"},
                         {"DeviceID", "d"},
                         {"SystemCreationClassName", "s"},
                         {"SystemName", "h"},
                         {"Slot", "2"},
                         {"BusNumber", {{"type", "string"}, {"value", "not a number"}}}}}}}}};
    LoadedFixture loaded = loadFixture(fixture, schema(), "M");
    const CimClass* base = loaded.repository.findClass("root/cimv2", "MLNX_PCIDevice");
    ASSERT_NE(base, nullptr);
    auto instances = loaded.repository.instancesOf("root/cimv2", *base);
    ASSERT_EQ(instances.size(), 1u);
    EXPECT_EQ(instances[0]->find("BusNumber")->type, CimType::String);
    EXPECT_EQ(instances[0]->cimClass().findProperty("Slot")->classOrigin, "MLNX_Extra");
}

}  // namespace
