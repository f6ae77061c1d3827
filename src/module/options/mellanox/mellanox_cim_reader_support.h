#pragma once
// The steps the three element readers share. They stay plain value classes without a
// common base; these helpers carry what would otherwise be written three times.
#include <string>

#include "cimfunc.h"

namespace Quillet {
namespace Mellanox {

// The text read under `name`; empty when the map lacks it.
inline std::string PropertyValue(const PropertyMap& properties, const std::string& name)
{
    const PropertyMap::const_iterator found = properties.find(name);
    return found == properties.end() ? std::string() : found->second;
}

}  // namespace Mellanox
}  // namespace Quillet
