#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "connection_info.h"
#include "quillet_ihv.h"
#include "software_identity.h"
#include "structured_info.h"

namespace Quillet {
namespace Mellanox {

class MellanoxCim;
class MellanoxUtil;

// Four texts shown with one outcome of a diagnostic.
struct DiagnosticTexts {
    std::string detail_1;
    std::string detail_2;
    std::string detail_3;
    std::string detail_4;
};

// Texts for the outcomes ("failed", "ok", "aborted") of one diagnostic service.
struct DiagnosticTextEntry {
    std::string name;
    std::map<std::string, DiagnosticTexts> outcomes;
};

// Owns the module's data sources and carries out every operation.
class MellanoxImpl {
public:
    MellanoxImpl();
    explicit MellanoxImpl(const Quillet::QuilletConnection::ConnectionInfo& info);
    ~MellanoxImpl();
    MellanoxImpl(const MellanoxImpl&) = delete;
    MellanoxImpl& operator=(const MellanoxImpl&) = delete;

    int GetStructuredInfo(Quillet::Mellanox::StructuredInfo_& info);
    int GetSoftwareIdentities(std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities);
    int GetDiagnosticItems(std::vector<std::string>& names);
    int RunDiagnostic(const std::string& name, Quillet::QuilletIHV::DiagnosticRecord_& record);
    int GetRawData(std::vector<Quillet::QuilletIHV::RawData_>& records, const std::string& rootDirectory);

private:
    // Logs the refusal when the object works out-of-band.
    bool RefusedOutOfBand() const;

    MellanoxCim* m_cim_;
    MellanoxUtil* m_util_;
    std::vector<std::pair<std::string, std::string> > m_diag_items_;
    int32_t m_mode_;
    std::vector<DiagnosticTextEntry> m_diag_results_;
};

}  // namespace Mellanox
}  // namespace Quillet
