#include "model/cim_types.h"

#include <array>
#include <utility>

namespace mlnx_cimsim {

namespace {

constexpr std::array<std::pair<CimType, const char*>, 15> kTypeNames{{
    {CimType::Boolean, "boolean"},
    {CimType::String, "string"},
    {CimType::Char16, "char16"},
    {CimType::Uint8, "uint8"},
    {CimType::Sint8, "sint8"},
    {CimType::Uint16, "uint16"},
    {CimType::Sint16, "sint16"},
    {CimType::Uint32, "uint32"},
    {CimType::Sint32, "sint32"},
    {CimType::Uint64, "uint64"},
    {CimType::Sint64, "sint64"},
    {CimType::Real32, "real32"},
    {CimType::Real64, "real64"},
    {CimType::Datetime, "datetime"},
    {CimType::Reference, "reference"},
}};

}  // namespace

const char* cimTypeName(CimType type) {
    for (const auto& entry : kTypeNames) {
        if (entry.first == type) {
            return entry.second;
        }
    }
    return "string";
}

std::optional<CimType> parseCimType(const std::string& name) {
    for (const auto& entry : kTypeNames) {
        if (name == entry.second) {
            return entry.first;
        }
    }
    return std::nullopt;
}

bool isIntegerType(CimType type) {
    switch (type) {
        case CimType::Uint8:
        case CimType::Sint8:
        case CimType::Uint16:
        case CimType::Sint16:
        case CimType::Uint32:
        case CimType::Sint32:
        case CimType::Uint64:
        case CimType::Sint64:
            return true;
        default:
            return false;
    }
}

const char* keyValueType(CimType type) {
    if (type == CimType::Boolean) {
        return "boolean";
    }
    if (isIntegerType(type) || type == CimType::Real32 || type == CimType::Real64) {
        return "numeric";
    }
    return "string";
}

}  // namespace mlnx_cimsim
