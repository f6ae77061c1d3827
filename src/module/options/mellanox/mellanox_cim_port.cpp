#include "mellanox_cim_port.h"

#include <iterator>

#include "mellanox_cim_reader_support.h"
#include "opn_logging.h"

namespace Quillet {
namespace Mellanox {

const char* const PortPropertyNames[27] = {
    "DeviceID",         "ElementName",                   "AutoSense",
    "Caption",          "CreationClassName",             "Description",
    "EnabledState",     "EnabledDefault",                "FullDuplex",
    "InstanceID",       "LIDMask",                       "LinkTechnology",
    "LinkSpeedActive",  "LinkWidthActive",               "MaxSpeed",
    "Name",             "NetworkAddresses",              "OperationalStatus",
    "PermanentAddress", "PortNumber",                    "PortType",
    "Speed",            "StatusDescriptions",            "SystemCreationClassName",
    "SystemName",       "ActiveMaximumTransmissionUnit", "SupportedMaximumTransmissionUnit"};

namespace {
// The names read from every instance, with their CIM names made once.
const PropertyNameList& ReadNames()
{
    static const PropertyNameList names(PortPropertyNames, std::size(PortPropertyNames));
    return names;
}
}  // namespace

MellanoxCimPort::MellanoxCimPort()
{
    OPN_LOG(4) << "Calling constructor of MellanoxCimPort";
}

MellanoxCimPort::~MellanoxCimPort()
{
    OPN_LOG(4) << "Calling destructor of MellanoxCimPort";
}

void MellanoxCimPort::GetData(const Pegasus::CIMInstance& instance)
{
    OPN_LOG(4) << "Calling MellanoxCimPort::GetData with port"
               << (const char*)instance.getPath().toString().getCString();
    // Ports are enumerated with qualifiers, so coded values read as their display texts.
    CimFunc::GetListedProperties(instance, ReadNames(), m_properties_);
}

std::string MellanoxCimPort::GetValue(const std::string& name) const
{
    return PropertyValue(m_properties_, name);
}

}  // namespace Mellanox
}  // namespace Quillet
