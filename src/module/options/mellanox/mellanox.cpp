#include "mellanox.h"

#include "mellanox_impl.h"
#include "opn_logging.h"

namespace Quillet {
namespace Mellanox {

Mellanox::Mellanox() : m_impl_(nullptr)
{
    OPN_LOG(4) << "Calling in-band constructor of Mellanox";
    m_impl_ = new MellanoxImpl();
}

Mellanox::Mellanox(const Quillet::QuilletConnection::ConnectionInfo& info) : m_impl_(nullptr)
{
    OPN_LOG(4) << "Calling out-of-band constructor of Mellanox";
    m_impl_ = new MellanoxImpl(info);
}

Mellanox::~Mellanox()
{
    OPN_LOG(4) << "Calling destructor of Mellanox";
    delete m_impl_;
    m_impl_ = nullptr;
}

int Mellanox::GetStructuredInfo(Quillet::Mellanox::StructuredInfo_& info)
{
    return m_impl_->GetStructuredInfo(info);
}

int Mellanox::GetSoftwareIdentities(std::vector<Quillet::QLOptions::SoftwareIdentity_>& softwareIdentity_vec)
{
    const int status = m_impl_->GetSoftwareIdentities(softwareIdentity_vec);
    OPN_LOG(4) << "Mellanox::GetSoftwareIdentities - vector<SoftwareIdentity>& softwareIdentity_vec:";
    for (const Quillet::QLOptions::SoftwareIdentity_& identity : softwareIdentity_vec) {
        Quillet::QLOptions::LogSoftwareIdentity(identity);
    }
    return status;
}

int Mellanox::GetDiagItems(std::vector<std::string>& names)
{
    return m_impl_->GetDiagnosticItems(names);
}

int Mellanox::RunDiagnostic(const std::string& name, Quillet::QuilletIHV::DiagnosticRecord_& record)
{
    return m_impl_->RunDiagnostic(name, record);
}

int Mellanox::GetRawData(std::vector<Quillet::QuilletIHV::RawData_>& records, std::string rootDirectory)
{
    return m_impl_->GetRawData(records, rootDirectory);
}

}  // namespace Mellanox
}  // namespace Quillet
