#pragma once
#include <string>
#include <utility>

#include "cimfunc.h"

namespace Quillet {
namespace Mellanox {

extern const char* const SoftwareIdentityPropertyNames[20];

// Reads one CIM instance into a property map.
class MellanoxCimSoftwareIdentity {
public:
    MellanoxCimSoftwareIdentity();
    ~MellanoxCimSoftwareIdentity();
    MellanoxCimSoftwareIdentity(const MellanoxCimSoftwareIdentity&) = default;
    MellanoxCimSoftwareIdentity& operator=(const MellanoxCimSoftwareIdentity&) = default;
    MellanoxCimSoftwareIdentity(MellanoxCimSoftwareIdentity&&) noexcept = default;
    MellanoxCimSoftwareIdentity& operator=(MellanoxCimSoftwareIdentity&&) noexcept = default;

    void GetData(const Pegasus::CIMInstance& instance);

    // The text read for a property name; empty when the map lacks it.
    std::string GetValue(const std::string& name) const;
    const PropertyMap& GetProperties() const { return m_properties_; }
    // Hands the map over and leaves this reader empty, for a caller done with it.
    PropertyMap TakeProperties() { return std::move(m_properties_); }

private:
    PropertyMap m_properties_;
};

}  // namespace Mellanox
}  // namespace Quillet
