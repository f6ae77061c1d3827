#pragma once
#include <string>
#include <utility>
#include <vector>

#include "cimfunc.h"
#include "connection_info.h"
#include "mellanox_cim_pcidevice.h"
#include "mellanox_cim_port.h"
#include "mellanox_cim_softwareidentity.h"

namespace Quillet {
namespace Mellanox {

// The module's handle on the adapter vendor's CIM provider in "root/cimv2".
class MellanoxCim {
public:
    MellanoxCim();
    explicit MellanoxCim(const Quillet::QuilletConnection::ConnectionInfo& info);
    ~MellanoxCim();
    MellanoxCim(const MellanoxCim&) = delete;
    MellanoxCim& operator=(const MellanoxCim&) = delete;

    int GetPcideviceInfo(std::vector<MellanoxCimPcidevice>& devices);
    int GetSoftwareIdentityInfo(std::vector<MellanoxCimSoftwareIdentity>& identities);
    int GetPortInfo(std::vector<MellanoxCimPort>& ports);

    // Diagnostics.
    int GetDiagnosticItems(std::vector<std::pair<std::string, std::string> >& paths);
    int RunDiagnostic(const std::pair<std::string, std::string>& key);
    const PropertyMap& GetDiagnosticResult() const;
    static bool MatchCompletionRecord(DiagnosticItem& item, const Pegasus::CIMInstance& record);

private:
    // The current client, reconnecting first when there is none; null when
    // that fails.
    Pegasus::CIMClient* ConnectedClient();

    std::vector<DiagnosticItem*> m_diag_list_;
    Pegasus::CIMName m_diag_method_;
    PropertyMap m_diag_result_;
    CimFunc* m_cimfunc_;
    int m_mode_;
};

}  // namespace Mellanox
}  // namespace Quillet
