#include "mellanox_cim_softwareidentity.h"

#include <iterator>

#include <Pegasus/Common/CIMObject.h>

#include "mellanox_cim_reader_support.h"
#include "opn_logging.h"

namespace Quillet {
namespace Mellanox {

const char* const SoftwareIdentityPropertyNames[20] = {
    "Description",       "ElementName",           "ProductName",      "Manufacturer",
    "Name",              "VersionString",         "Classifications",  "ClassificationDescriptions",
    "IdentityInfoValue", "SoftwareID",            "SubDeviceID",      "ReleaseDate",
    "SoftwareStatus",    "SoftwareRole",          "IdentityInfoType", "IsPLDMUpdateSupported",
    "InstanceID",        "AssociatedAdapterSlot", "LastUpdateError",  "LastUpdateErrorString"};

namespace {
// The names read from every instance, with their CIM names made once.
const PropertyNameList& ReadNames()
{
    static const PropertyNameList names(SoftwareIdentityPropertyNames, std::size(SoftwareIdentityPropertyNames));
    return names;
}
}  // namespace

MellanoxCimSoftwareIdentity::MellanoxCimSoftwareIdentity()
{
    OPN_LOG(4) << "Calling constructor of MellanoxCimSoftwareIdentity";
}

MellanoxCimSoftwareIdentity::~MellanoxCimSoftwareIdentity()
{
    OPN_LOG(4) << "Calling destructor of MellanoxCimSoftwareIdentity";
}

void MellanoxCimSoftwareIdentity::GetData(const Pegasus::CIMInstance& instance)
{
    OPN_LOG(4) << "Calling MellanoxCimSoftwareIdentity::GetData with port"
               << (const char*)instance.getPath().toString().getCString();
    // Raw values: the classification rules work on the provider's own codes.
    CimFunc::GetListedRawProperties(Pegasus::CIMObject(instance), ReadNames(), m_properties_);
}

std::string MellanoxCimSoftwareIdentity::GetValue(const std::string& name) const
{
    return PropertyValue(m_properties_, name);
}

}  // namespace Mellanox
}  // namespace Quillet
