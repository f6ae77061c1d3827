#include "mellanox_cim_inventory.h"

#include <utility>
#include <initializer_list>

#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/Exception.h>

#include "cimom.h"
#include "opn_logging.h"

namespace Quillet {
namespace Mellanox {
namespace {

const char* const kNameSpace = "root/cimv2";
const char* const kProviderModule = "MLNX_CIMProvider.dll_Module";
const char* const kDiagnosticMethod = "RunDiagnostic";
const int kInBand = 0;
const int kOutOfBand = 1;
const Pegasus::Uint32 kEnumerationTimeoutMs = 60000;

// One class to enumerate and the text its failure is logged with.
struct EnumeratedClass {
    const char* className;
    const char* failureText;
};

const EnumeratedClass kPciDevices = {"MLNX_PCIDevice",
                                     "Enumerate instances for MLNX_PCIDevice failed with the reason: "};
const EnumeratedClass kFirmwareIdentities = {
    "MLNX_FirmwareIdentity", "Enumerate instances for MLNX_FirmwareIdentity failed with the reason: "};
const EnumeratedClass kSoftwareIdentities = {
    "MLNX_SoftwareIdentity", "Enumerate instances for MLNX_SoftwareIdentity failed with the reason: "};
// InfiniBand port failures are reported under the base class name.
const EnumeratedClass kIbPorts = {"MLNX_IBPort", "Enumerate instances for CIM_NetworkPort failed with the reason: "};
const EnumeratedClass kEthernetPorts = {"MLNX_EthernetPort",
                                        "Enumerate instances for MLNX_EthernetPort failed with the reason: "};

// Appends one filled reader per instance of `cls`, in the server's order.
// False after a CIM failure, which is logged here; what was appended stays.
template <typename Reader>
bool AppendInstances(Pegasus::CIMClient& client, const Pegasus::CIMNamespaceName& nameSpace,
                     const EnumeratedClass& cls, bool includeQualifiers, std::vector<Reader>& readers)
{
    Pegasus::Array<Pegasus::CIMInstance> instances;
    try {
        client.setTimeout(kEnumerationTimeoutMs);
        instances = client.enumerateInstances(nameSpace, Pegasus::CIMName(cls.className), true, true,
                                              includeQualifiers, false, Pegasus::CIMPropertyList());
    } catch (const Pegasus::Exception& e) {
        OPN_LOG(1) << cls.failureText << (const char*)e.getMessage().getCString();
        return false;
    }
    readers.reserve(readers.size() + instances.size());
    for (Pegasus::Uint32 i = 0; i < instances.size(); ++i) {
        Reader reader;
        reader.GetData(instances[i]);
        readers.push_back(std::move(reader));  // the temporary goes at once: its maps move
    }
    return true;
}

// Enumerates `classes` in order into `readers` on one client. A failure
// stops at the failing class, keeps what the earlier ones gave and rebuilds
// the client so that the next request starts on a fresh connection.
template <typename Reader>
int EnumerateClasses(CimFunc& cimfunc, Pegasus::CIMClient* client, std::initializer_list<EnumeratedClass> classes,
                     bool includeQualifiers, std::vector<Reader>& readers)
{
    if (client == nullptr) {
        return 1;
    }
    for (const EnumeratedClass& cls : classes) {
        if (!AppendInstances(*client, cimfunc.GetNameSpace(), cls, includeQualifiers, readers)) {
            cimfunc.Reconnect();
            return 1;
        }
    }
    return 0;
}

}  // namespace

MellanoxCim::MellanoxCim() : m_cimfunc_(nullptr), m_mode_(kInBand)
{
    OPN_LOG(4) << "Calling in-band constructor of MellanoxCim";
    m_mode_ = kInBand;
    // The manager must exist before the local server is addressed.
    Quillet::Cimom::GetInstance();
    m_cimfunc_ = new CimFunc(Pegasus::CIMNamespaceName(kNameSpace));
    try {
        CimFunc::EnableProviderModule(kProviderModule);
        m_diag_method_ = Pegasus::CIMName(kDiagnosticMethod);
    } catch (...) {
        // No destructor runs for a constructor that throws: what it enabled
        // (or may have, when enabling itself threw) is disabled here, and the
        // first failure is the one passed on.
        try {
            CimFunc::DisableProviderModule(kProviderModule);
        } catch (...) {
        }
        delete m_cimfunc_;
        m_cimfunc_ = nullptr;
        throw;
    }
}

MellanoxCim::MellanoxCim(const Quillet::QuilletConnection::ConnectionInfo& info)
    : m_cimfunc_(nullptr), m_mode_(kOutOfBand)
{
    OPN_LOG(4) << "Calling out-of-band constructor of MellanoxCim";
    m_mode_ = kOutOfBand;
    m_cimfunc_ = new CimFunc(Pegasus::CIMNamespaceName(kNameSpace), info);
}

MellanoxCim::~MellanoxCim()
{
    OPN_LOG(4) << "Calling destructor of MellanoxCim";
    if (m_mode_ == kInBand) {
        CimFunc::DisableProviderModule(kProviderModule);
    }
    delete m_cimfunc_;
    m_cimfunc_ = nullptr;
    for (DiagnosticItem* item : m_diag_list_) {
        delete item;
    }
    m_diag_list_.clear();
}

Pegasus::CIMClient* MellanoxCim::ConnectedClient()
{
    // A failed connection leaves no client; the first user repairs that.
    if (m_cimfunc_->GetClient() == nullptr && m_cimfunc_->Reconnect() != 0) {
        return nullptr;
    }
    return m_cimfunc_->GetClient();
}

int MellanoxCim::GetPcideviceInfo(std::vector<MellanoxCimPcidevice>& devices)
{
    OPN_LOG(4) << "Calling MellanoxCim::GetPcideviceInfo()";
    devices.clear();
    // Without qualifiers: PCI device values are shown as the provider sends them.
    return EnumerateClasses(*m_cimfunc_, ConnectedClient(), {kPciDevices}, false, devices);
}

int MellanoxCim::GetSoftwareIdentityInfo(std::vector<MellanoxCimSoftwareIdentity>& identities)
{
    OPN_LOG(4) << "Calling MellanoxCim::GetSoftwareIdentityInfo()";
    identities.clear();
    return EnumerateClasses(*m_cimfunc_, ConnectedClient(), {kFirmwareIdentities, kSoftwareIdentities}, true,
                            identities);
}

int MellanoxCim::GetPortInfo(std::vector<MellanoxCimPort>& ports)
{
    OPN_LOG(4) << "Calling MellanoxCim::GetPortInfo()";
    ports.clear();
    return EnumerateClasses(*m_cimfunc_, ConnectedClient(), {kIbPorts, kEthernetPorts}, true, ports);
}

}  // namespace Mellanox
}  // namespace Quillet
