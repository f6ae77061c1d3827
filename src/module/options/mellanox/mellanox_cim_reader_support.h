#pragma once
// The steps the three element readers share. They stay plain value classes without a
// common base; these helpers carry what would otherwise be written three times.
#include <cstddef>
#include <string>

#include "cimfunc.h"

namespace Quillet {
namespace Mellanox {

// Empties `properties` and gives each of the first `count` names an empty text, so
// that every name read is present afterwards even when the instance lacks it.
inline void PresetPropertyNames(PropertyMap& properties, const char* const* names, size_t count)
{
    properties.clear();
    for (size_t i = 0; i < count; ++i) {
        properties[names[i]] = std::string();
    }
}

// The text read under `name`; empty when the map lacks it.
inline std::string PropertyValue(const PropertyMap& properties, const std::string& name)
{
    const PropertyMap::const_iterator found = properties.find(name);
    return found == properties.end() ? std::string() : found->second;
}

}  // namespace Mellanox
}  // namespace Quillet
