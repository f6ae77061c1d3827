#include "mellanox_impl.h"

#include <string>
#include <utility>
#include <vector>

#include "cimfunc.h"
#include "mellanox_cim_inventory.h"
#include "mellanox_util.h"
#include "opn_logging.h"

namespace Quillet {
namespace Mellanox {
namespace {

const int32_t kInBand = 0;
const int32_t kOutOfBand = 1;

// Values of PCIDevice_::type. The framework's record leaves the type unset
// for a function whose name tells neither "IB" nor "EN"; it gets a value of
// its own so that it never reads as Ethernet by accident.
const int32_t kPciTypeEthernet = 0;
const int32_t kPciTypeInfiniBand = 1;
const int32_t kPciTypeUnknown = -1;

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The identity value up to its first blank.
std::string SoftwareIdFrom(const std::string& identityInfoValue)
{
    return identityInfoValue.substr(0, identityInfoValue.find(' '));
}

// Gives an identity the provider left unclassified a classification from its
// description; firmware takes its product name from the element name's tail.
void ClassifyIdentity(Quillet::QLOptions::SoftwareIdentity_& identity)
{
    if (!identity.classifications.empty() || !identity.classification_descriptions.empty()) {
        return;
    }
    if (Contains(identity.description, "Driver")) {
        identity.classifications = "2";
        identity.classification_descriptions = "Driver";
    } else if (Contains(identity.description, "Mellanox Firmware Tools")) {
        identity.classifications = "3";
        identity.classification_descriptions = "Configuration Software";
    } else if (Contains(identity.description, "Firmware")) {
        identity.classifications = "10";
        identity.classification_descriptions = "Firmware";
        const std::string::size_type dash = identity.element_name.rfind('-');
        if (dash != std::string::npos) {
            identity.product_name = identity.element_name.substr(dash + 1);
        }
    } else {
        identity.classifications = "0";
        identity.classification_descriptions = "Unknown";
    }
}

bool IsAdapterIdentity(const Quillet::QLOptions::SoftwareIdentity_& identity)
{
    return Contains(identity.element_name, ".ko") || Contains(identity.element_name, "MT_") ||
           Contains(identity.description, "Driver") || Contains(identity.description, "Firmware");
}

bool SameIdentity(const Quillet::QLOptions::SoftwareIdentity_& a, const Quillet::QLOptions::SoftwareIdentity_& b)
{
    return a.version_string == b.version_string && a.classifications == b.classifications &&
           a.product_name == b.product_name && a.element_name == b.element_name;
}

// Keeps the first of every group of duplicates, in place and in order.
void RemoveDuplicateIdentities(std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities)
{
    for (size_t i = 0; i < identities.size(); ++i) {
        size_t kept = i + 1;
        for (size_t j = i + 1; j < identities.size(); ++j) {
            if (!SameIdentity(identities[i], identities[j])) {
                if (kept != j) {
                    identities[kept] = identities[j];
                }
                ++kept;
            }
        }
        identities.resize(kept);
    }
}

// A text field of a framework record and the property it is read from; no
// property feeds two fields, since each text is moved into its field.
template <typename Record>
struct RecordField {
    std::string property;
    std::string Record::*field;
};

// Moves each field's text out of `properties`; a field whose property the map
// lacks stays empty.
template <typename Record>
void MoveFields(const std::vector<RecordField<Record> >& fields, PropertyMap& properties, Record& record)
{
    for (const RecordField<Record>& field : fields) {
        const PropertyMap::iterator found = properties.find(field.property);
        if (found != properties.end()) {
            record.*field.field = std::move(found->second);
        }
    }
}

const std::vector<RecordField<PCIDevice_> >& PciDeviceFields()
{
    static const std::vector<RecordField<PCIDevice_> > fields = {
        {"InstanceID", &PCIDevice_::instance_ID},
        {"Caption", &PCIDevice_::caption},
        {"Description", &PCIDevice_::description},
        {"ElementName", &PCIDevice_::element_name},
        {"Name", &PCIDevice_::name},
        {"OperationalStatus", &PCIDevice_::operational_status},
        {"StatusDescriptions", &PCIDevice_::status_descriptions},
        {"HealthState", &PCIDevice_::health_state},
        {"PrimaryStatus", &PCIDevice_::primary_status},
        {"EnabledState", &PCIDevice_::enabled_state},
        {"RequestedState", &PCIDevice_::requested_state},
        {"SystemCreationClassName", &PCIDevice_::system_creation_class_name},
        {"SystemName", &PCIDevice_::system_name},
        {"CreationClassName", &PCIDevice_::creation_class_name},
        {"DeviceID", &PCIDevice_::device_ID},
        {"BusNumber", &PCIDevice_::bus_number},
        {"DeviceNumber", &PCIDevice_::device_number},
        {"FunctionNumber", &PCIDevice_::function_number},
        {"PCIDeviceID", &PCIDevice_::PCI_device_ID},
        {"VendorID", &PCIDevice_::vendor_ID},
        {"RevisionID", &PCIDevice_::revision_ID}};
    return fields;
}

const std::vector<RecordField<Port_> >& PortFields()
{
    static const std::vector<RecordField<Port_> > fields = {
        {"DeviceID", &Port_::device_ID},
        {"ElementName", &Port_::element_name},
        {"AutoSense", &Port_::auto_sense},
        {"Caption", &Port_::caption},
        {"CreationClassName", &Port_::creation_class_name},
        {"Description", &Port_::description},
        {"EnabledState", &Port_::enabled_state},
        {"EnabledDefault", &Port_::enabled_default},
        {"FullDuplex", &Port_::full_duplex},
        {"InstanceID", &Port_::instance_ID},
        {"LIDMask", &Port_::LID_mask},
        {"LinkTechnology", &Port_::link_technology},
        {"LinkSpeedActive", &Port_::link_speed_active},
        {"LinkWidthActive", &Port_::link_width_active},
        {"MaxSpeed", &Port_::max_speed},
        {"Name", &Port_::name},
        {"NetworkAddresses", &Port_::network_addresses},
        {"OperationalStatus", &Port_::operational_status},
        {"PermanentAddress", &Port_::permanent_address},
        {"PortNumber", &Port_::port_number},
        {"PortType", &Port_::port_type},
        {"Speed", &Port_::speed},
        {"StatusDescriptions", &Port_::status_descriptions},
        {"SystemCreationClassName", &Port_::system_creation_class_name},
        {"SystemName", &Port_::system_name},
        {"ActiveMaximumTransmissionUnit", &Port_::active_maximum_transmission_unit},
        {"SupportedMaximumTransmissionUnit", &Port_::supported_maximum_transmission_unit}};
    return fields;
}

// The structured inventory keeps every property the provider gave an identity.
const std::vector<RecordField<Quillet::QLOptions::SoftwareIdentity_> >& InventoryIdentityFields()
{
    typedef Quillet::QLOptions::SoftwareIdentity_ Identity;
    static const std::vector<RecordField<Identity> > fields = {
        {"Description", &Identity::description},
        {"ElementName", &Identity::element_name},
        {"Manufacturer", &Identity::manufacturer},
        {"Name", &Identity::name},
        {"VersionString", &Identity::version_string},
        {"Classifications", &Identity::classifications},
        {"ClassificationDescriptions", &Identity::classification_descriptions},
        {"IdentityInfoValue", &Identity::identity_info_value},
        {"SubDeviceID", &Identity::sub_device_ID},
        {"ReleaseDate", &Identity::release_date},
        {"SoftwareStatus", &Identity::software_status},
        {"SoftwareRole", &Identity::software_role},
        {"IdentityInfoType", &Identity::identity_info_type}};
    return fields;
}

PCIDevice_ ToPciDevice(PropertyMap properties)
{
    PCIDevice_ device;
    const PropertyMap::const_iterator type = properties.find("Type");
    if (type != properties.end() && type->second == "en") {
        device.type = kPciTypeEthernet;
    } else if (type != properties.end() && type->second == "ib") {
        device.type = kPciTypeInfiniBand;
    } else {
        device.type = kPciTypeUnknown;
    }
    MoveFields(PciDeviceFields(), properties, device);
    return device;
}

Port_ ToPort(PropertyMap properties)
{
    Port_ port;
    MoveFields(PortFields(), properties, port);
    return port;
}

Quillet::QLOptions::SoftwareIdentity_ ToInventoryIdentity(PropertyMap properties)
{
    Quillet::QLOptions::SoftwareIdentity_ identity;
    MoveFields(InventoryIdentityFields(), properties, identity);
    identity.software_ID = SoftwareIdFrom(identity.identity_info_value);
    identity.product_name = identity.element_name;
    ClassifyIdentity(identity);
    return identity;
}

// The board text follows the first "MT_" of the first element name holding one.
std::string FindBoardText(const std::vector<MellanoxCimSoftwareIdentity>& readers)
{
    for (const MellanoxCimSoftwareIdentity& reader : readers) {
        const std::string elementName = reader.GetValue("ElementName");
        const std::string::size_type marker = elementName.find("MT_");
        if (marker != std::string::npos) {
            return elementName.substr(marker + 3);
        }
    }
    return std::string();
}

}  // namespace

MellanoxImpl::MellanoxImpl() : m_cim_(nullptr), m_util_(nullptr), m_mode_(kInBand)
{
    OPN_LOG(4) << "Calling in-band constructor of MellanoxImpl";
    m_mode_ = kInBand;
    m_cim_ = new MellanoxCim();
    try {
        m_util_ = new MellanoxUtil();
    } catch (...) {
        // No destructor runs for a constructor that throws: the inventory
        // object, which has enabled the provider module, is undone here.
        delete m_cim_;
        m_cim_ = nullptr;
        throw;
    }
}

MellanoxImpl::MellanoxImpl(const Quillet::QuilletConnection::ConnectionInfo& info)
    : m_cim_(nullptr), m_util_(nullptr), m_mode_(kOutOfBand)
{
    OPN_LOG(4) << "Calling out-of-band constructor of MellanoxImpl";
    m_mode_ = kOutOfBand;
    m_cim_ = new MellanoxCim(info);
}

MellanoxImpl::~MellanoxImpl()
{
    OPN_LOG(4) << "Calling destructor of MellanoxImpl";
    delete m_cim_;
    m_cim_ = nullptr;
    if (m_mode_ == kInBand) {
        delete m_util_;
        m_util_ = nullptr;
    }
}

bool MellanoxImpl::RefusedOutOfBand() const
{
    if (m_mode_ == kOutOfBand) {
        OPN_LOG(1) << "Doesn't support in out-of-band mode";
        return true;
    }
    return false;
}

int MellanoxImpl::GetStructuredInfo(Quillet::Mellanox::StructuredInfo_& info)
{
    OPN_LOG(4) << "Calling MellanoxImpl::GetStructuredInfo()";
    info.pci_devices.clear();
    info.ports.clear();
    info.software_identities.clear();

    std::vector<MellanoxCimPcidevice> devices;
    std::vector<MellanoxCimPort> ports;
    std::vector<MellanoxCimSoftwareIdentity> identities;
    const int deviceStatus = m_cim_->GetPcideviceInfo(devices);
    const int portStatus = m_cim_->GetPortInfo(ports);
    const int identityStatus = m_cim_->GetSoftwareIdentityInfo(identities);

    // The readers are done with once read: their texts move into the records.
    info.pci_devices.reserve(devices.size());
    for (MellanoxCimPcidevice& device : devices) {
        info.pci_devices.push_back(ToPciDevice(device.TakeProperties()));
    }
    info.ports.reserve(ports.size());
    for (MellanoxCimPort& port : ports) {
        info.ports.push_back(ToPort(port.TakeProperties()));
    }
    info.software_identities.reserve(identities.size());
    for (MellanoxCimSoftwareIdentity& identity : identities) {
        info.software_identities.push_back(ToInventoryIdentity(identity.TakeProperties()));
    }
    return (deviceStatus == 0 && portStatus == 0 && identityStatus == 0) ? 0 : 1;
}

int MellanoxImpl::GetSoftwareIdentities(std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities)
{
    OPN_LOG(4) << "Calling MellanoxImpl::GetSoftwareIdentities()";
    identities.clear();

    std::vector<MellanoxCimSoftwareIdentity> readers;
    const int status = m_cim_->GetSoftwareIdentityInfo(readers);
    const std::string boardText = FindBoardText(readers);

    for (const MellanoxCimSoftwareIdentity& reader : readers) {
        Quillet::QLOptions::SoftwareIdentity_ identity;
        identity.description = reader.GetValue("Description");
        identity.element_name = reader.GetValue("ElementName");
        identity.version_string = reader.GetValue("VersionString");
        identity.classifications = reader.GetValue("Classifications");
        identity.classification_descriptions = reader.GetValue("ClassificationDescriptions");
        identity.identity_info_value = reader.GetValue("IdentityInfoValue");
        identity.software_ID = SoftwareIdFrom(identity.identity_info_value);
        identity.product_name = boardText.empty() ? identity.element_name : boardText;
        ClassifyIdentity(identity);
        if (IsAdapterIdentity(identity)) {
            identities.push_back(identity);
        }
    }
    RemoveDuplicateIdentities(identities);
    return status;
}

int MellanoxImpl::GetDiagnosticItems(std::vector<std::string>& names)
{
    OPN_LOG(4) << "Calling MellanoxImpl::GetDiagnosticItems()";
    if (RefusedOutOfBand()) {
        return 4;
    }
    names.clear();
    m_diag_items_.clear();
    const int status = m_cim_->GetDiagnosticItems(m_diag_items_);
    for (const std::pair<std::string, std::string>& item : m_diag_items_) {
        names.push_back(CimFunc::GetNameFromPath(item.first) + "|" + CimFunc::GetDeviceIdFromPath(item.second));
    }
    return status;
}

int MellanoxImpl::RunDiagnostic(const std::string& name, Quillet::QuilletIHV::DiagnosticRecord_& record)
{
    OPN_LOG(4) << "Calling MellanoxImpl::RunDiagnostic() with " << name;
    if (RefusedOutOfBand()) {
        return 4;
    }
    const std::string::size_type bar = name.find('|');
    const std::string servicePart = bar == std::string::npos ? name : name.substr(0, bar);
    const std::string devicePart = bar == std::string::npos ? name : name.substr(bar + 1);

    record.result = 0;
    int status = 1;
    for (const std::pair<std::string, std::string>& item : m_diag_items_) {
        if (!Contains(item.first, servicePart) || !Contains(item.second, devicePart)) {
            continue;
        }
        status = m_cim_->RunDiagnostic(item);

        PropertyMap result = m_cim_->GetDiagnosticResult();
        record.job_state = result["ConCreteJob State"];
        record.percent_complete = result["Percent Complete"];
        record.completion_state = result["Completion State"];
        record.completion_record = result["Completion Record"];

        // Texts for this service's outcomes; a service without an entry gets empty texts.
        DiagnosticTextEntry noEntry;
        DiagnosticTextEntry* entry = &noEntry;
        for (DiagnosticTextEntry& candidate : m_diag_results_) {
            if (candidate.name == servicePart) {
                entry = &candidate;
                break;
            }
        }
        const DiagnosticTexts failed = entry->outcomes["failed"];
        record.detail_1 = failed.detail_1;
        record.detail_2 = failed.detail_2;
        record.detail_3 = failed.detail_3;
        record.detail_4 = failed.detail_4;

        const std::string& state = record.completion_state;
        if (state == "Incomplete") {
            record.result = 4;
        } else if (state == "OK") {
            record.result = 2;
            const DiagnosticTexts ok = entry->outcomes["ok"];
            record.detail_1 = ok.detail_1;
            record.detail_2 = ok.detail_2;
            record.detail_3.clear();
            record.detail_4.clear();
        } else if (state == "Failed") {
            record.result = 5;
        } else if (state == "Warning") {
            record.result = 3;
        } else if (state == "Aborted") {
            record.result = 6;
            const DiagnosticTexts aborted = entry->outcomes["aborted"];
            record.detail_1 = aborted.detail_1;
            record.detail_2 = aborted.detail_2;
            record.detail_3.clear();
            record.detail_4.clear();
        } else if (state == "Stopped") {
            record.result = 7;
        } else {
            record.result = 1;
        }
    }
    return status;
}

int MellanoxImpl::GetRawData(std::vector<Quillet::QuilletIHV::RawData_>& records, const std::string& rootDirectory)
{
    OPN_LOG(4) << "Calling MellanoxImpl::GetRawData()";
    if (RefusedOutOfBand()) {
        return 4;
    }
    return m_util_->GetRawData(records, rootDirectory);
}

}  // namespace Mellanox
}  // namespace Quillet
