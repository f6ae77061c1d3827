#pragma once
// Instance names: a class and its key bindings, kept in alphabetical order of key
// name as a CIM server sends them.

#include <memory>
#include <string>
#include <vector>

namespace mlnx_cimsim {

struct ObjectPath;

struct KeyBinding {
    std::string name;
    std::string valueType = "string";  // "string", "boolean" or "numeric"; unused for references
    std::string text;
    std::shared_ptr<const ObjectPath> reference;  // set for a reference key
};

struct ObjectPath {
    std::string nameSpace;  // empty when the path is local to the request's namespace
    std::string className;
    std::vector<KeyBinding> keys;

    void sortKeys();
    const KeyBinding* findKey(const std::string& name) const;
    // Class.Key="value",Key2=5 as the CIMObject header and wbemcli write it.
    std::string toString() const;
    // Same class (ignoring case), same keys (names ignoring case) with equal values.
    bool sameInstance(const ObjectPath& other) const;
};

// Parses the text form (an optional "namespace:" prefix, string values in double
// quotes with backslash escapes). Throws std::invalid_argument naming the text.
ObjectPath parseObjectPath(const std::string& text);

}  // namespace mlnx_cimsim
