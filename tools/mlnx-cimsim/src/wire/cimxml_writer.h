#pragma once
// CIM-XML response encoding in OpenPegasus's layout: one element per line, its
// attribute order and spacing, so clients see what a real server sends.

#include "model/cim_class.h"
#include "model/provider.h"
#include "model/repository.h"

#include <optional>
#include <string>
#include <vector>

namespace mlnx_cimsim {

struct InstanceRendering {
    bool includeQualifiers = false;
    bool includeClassOrigin = false;
    // With DeepInheritance false: only the properties that this class has.
    const CimClass* propertyScope = nullptr;
    // A PropertyList of the request; nullopt means every property.
    std::optional<std::vector<std::string>> propertyList;
};

struct ClassRendering {
    bool localOnly = true;
    bool includeQualifiers = true;
    bool includeClassOrigin = false;
};

void appendInstanceName(std::string& out, const ObjectPath& path);
void appendInstance(std::string& out, const InstanceRecord& instance, const InstanceRendering& options);
void appendClass(std::string& out, const CimClass& cimClass, const ClassRendering& options);
void appendValueElement(std::string& out, const CimValue& value);

// Whole documents. The payload of an intrinsic answer goes inside IRETURNVALUE;
// a null payload writes no IRETURNVALUE (operations that return nothing).
std::string intrinsicResponse(const std::string& messageId, const std::string& operation,
                              const std::optional<std::string>& payload);
std::string methodResponse(const std::string& messageId, const std::string& method, const MethodResult& result);
// withErrorElement false leaves the response empty: the error goes into HTTP trailers.
std::string errorResponse(const std::string& messageId, const std::string& name, bool intrinsic, int code,
                          const std::string& description, bool withErrorElement);

}  // namespace mlnx_cimsim
