#include "mellanox_cim_pcidevice.h"

#include "mellanox_cim_reader_support.h"
#include "opn_logging.h"

namespace Quillet {
namespace Mellanox {

// The first 21 come from the instance; "Type" is derived from "Name".
const char* const PciDevicePropertyNames[22] = {
    "InstanceID",    "Caption",           "Description",        "ElementName",
    "Name",          "OperationalStatus", "StatusDescriptions", "HealthState",
    "PrimaryStatus", "EnabledState",      "RequestedState",     "SystemCreationClassName",
    "SystemName",    "CreationClassName", "DeviceID",           "BusNumber",
    "DeviceNumber",  "FunctionNumber",    "PCIDeviceID",        "VendorID",
    "RevisionID",    "Type"};

namespace {
const size_t kPropertiesReadFromInstance = 21;

// The names read from every instance, with their CIM names made once.
const PropertyNameList& ReadNames()
{
    static const PropertyNameList names(PciDevicePropertyNames, kPropertiesReadFromInstance);
    return names;
}
}

MellanoxCimPcidevice::MellanoxCimPcidevice()
{
    OPN_LOG(4) << "Calling constructor of MellanoxCimPcidevice";
}

MellanoxCimPcidevice::~MellanoxCimPcidevice()
{
    OPN_LOG(4) << "Calling destructor of MellanoxCimPcidevice";
}

void MellanoxCimPcidevice::GetData(const Pegasus::CIMInstance& instance)
{
    OPN_LOG(4) << "Calling MellanoxCimPcidevice::GetData with adapter"
               << (const char*)instance.getPath().toString().getCString();
    CimFunc::GetListedProperties(instance, ReadNames(), m_properties_);

    // The provider names InfiniBand functions with "IB" and Ethernet ones with "EN".
    const std::string name = m_properties_["Name"];
    if (name.find("IB") != std::string::npos) {
        m_properties_["Type"] = "ib";
    } else if (name.find("EN") != std::string::npos) {
        m_properties_["Type"] = "en";
    }
}

std::string MellanoxCimPcidevice::GetValue(const std::string& name) const
{
    return PropertyValue(m_properties_, name);
}

}  // namespace Mellanox
}  // namespace Quillet
