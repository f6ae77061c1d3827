#pragma once
// Class declarations as the fixture gives them, with inherited properties resolved.

#include "model/cim_value.h"

#include <optional>
#include <string>
#include <vector>

namespace mlnx_cimsim {

struct QualifierDecl {
    std::string name;
    CimType type = CimType::String;
    bool isArray = false;
    std::vector<std::string> values;
    std::string flavorAttributes;  // e.g. ` TRANSLATABLE="true"`, written as they stand
};

struct PropertyDecl {
    std::string name;
    CimType type = CimType::String;
    bool isArray = false;
    bool isKey = false;
    std::string referenceClass;
    std::string classOrigin;  // class that declared it first
    std::string description;
    std::vector<std::string> valueMap;
    std::vector<std::string> values;
    std::optional<CimValue> defaultValue;
    // "instance" or "object": a string property whose values are the CIM-XML of an
    // embedded instance, written with the EmbeddedObject attribute.
    std::string embeddedObject;
};

struct ParameterDecl {
    std::string name;
    CimType type = CimType::String;
    bool isArray = false;
    std::string referenceClass;
    bool in = true;
    bool out = false;
};

struct MethodDecl {
    std::string name;
    CimType returnType = CimType::Uint32;
    std::string classOrigin;
    std::string description;
    std::vector<ParameterDecl> parameters;
};

struct CimClass {
    std::string nameSpace;
    std::string name;
    std::string superclass;
    bool isAssociation = false;
    std::string description;
    std::vector<QualifierDecl> qualifiers;  // class-level, beyond Description and Association
    std::vector<PropertyDecl> properties;   // inherited ones first, in declaration order
    std::vector<MethodDecl> methods;
    // Served by the vendor's provider module: unavailable while it is stopped.
    bool servedByProvider = false;

    const PropertyDecl* findProperty(const std::string& propertyName) const;
    const MethodDecl* findMethod(const std::string& methodName) const;
    std::vector<const PropertyDecl*> keyProperties() const;
};

}  // namespace mlnx_cimsim
