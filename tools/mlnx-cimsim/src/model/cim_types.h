#pragma once
// CIM data types as CIM-XML names them.

#include <optional>
#include <string>

namespace mlnx_cimsim {

enum class CimType {
    Boolean,
    String,
    Char16,
    Uint8,
    Sint8,
    Uint16,
    Sint16,
    Uint32,
    Sint32,
    Uint64,
    Sint64,
    Real32,
    Real64,
    Datetime,
    Reference,
};

const char* cimTypeName(CimType type);
std::optional<CimType> parseCimType(const std::string& name);
bool isIntegerType(CimType type);
// VALUETYPE of a KEYVALUE carrying a value of this type: "string", "boolean" or "numeric".
const char* keyValueType(CimType type);

}  // namespace mlnx_cimsim
