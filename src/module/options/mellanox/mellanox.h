#pragma once
#include <string>
#include <vector>

#include "connection_info.h"
#include "quillet_export.h"
#include "quillet_ihv.h"
#include "software_identity.h"
#include "structured_info.h"

namespace Quillet {
namespace Mellanox {

class MellanoxImpl;

// The module's exported class. Built in-band (the managed server itself) or
// out-of-band (a remote CIM server described by a ConnectionInfo); out-of-band
// objects serve the two inventory operations only and answer 4 to the others.
class QUILLET_MELLANOX_API Mellanox {
public:
    Mellanox();
    explicit Mellanox(const Quillet::QuilletConnection::ConnectionInfo& info);
    ~Mellanox();
    Mellanox(const Mellanox&) = delete;
    Mellanox& operator=(const Mellanox&) = delete;

    int GetStructuredInfo(Quillet::Mellanox::StructuredInfo_& info);
    int GetSoftwareIdentities(std::vector<Quillet::QLOptions::SoftwareIdentity_>& softwareIdentity_vec);
    int GetDiagItems(std::vector<std::string>& names);
    int RunDiagnostic(const std::string& name, Quillet::QuilletIHV::DiagnosticRecord_& record);
    int GetRawData(std::vector<Quillet::QuilletIHV::RawData_>& records, std::string rootDirectory);

private:
    MellanoxImpl* m_impl_;
};

}  // namespace Mellanox
}  // namespace Quillet
