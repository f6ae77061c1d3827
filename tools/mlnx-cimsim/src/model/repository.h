#pragma once
// Classes and instances per namespace, as loaded from a fixture and changed by jobs.

#include "model/cim_class.h"
#include "model/object_path.h"

#include <array>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace mlnx_cimsim {

class InstanceRecord {
public:
    InstanceRecord(const CimClass& cimClass, ObjectPath path, std::vector<std::pair<std::string, CimValue>> values);

    const CimClass& cimClass() const { return *class_; }
    const ObjectPath& path() const { return path_; }
    // nullptr when the instance does not set the property (it then reads as the class default).
    const CimValue* find(const std::string& propertyName) const;
    void set(const std::string& propertyName, CimValue value);

    // Rendered CIM-XML of the whole instance, cached per variant (qualifiers x class origin)
    // until the next change; the encoder fills it.
    std::string* cachedRendering(size_t variant) const;
    void storeRendering(size_t variant, std::string xml) const;

private:
    const CimClass* class_;
    ObjectPath path_;
    std::vector<std::pair<std::string, CimValue>> values_;
    mutable std::array<std::unique_ptr<std::string>, 4> renderings_;
};

class Repository {
public:
    // The superclass must be added first; inherited properties and methods are copied in.
    // Throws std::invalid_argument naming the class when the superclass is unknown.
    const CimClass& addClass(CimClass cimClass);
    // Builds the instance name from the class's key properties; throws std::invalid_argument
    // naming the class and key when a key has no value or the instance exists already.
    InstanceRecord& addInstance(const std::string& nameSpace, const std::string& className,
                                std::vector<std::pair<std::string, CimValue>> values);

    bool hasNamespace(const std::string& nameSpace) const;
    const CimClass* findClass(const std::string& nameSpace, const std::string& className) const;
    std::vector<const CimClass*> classes(const std::string& nameSpace) const;
    bool isA(const CimClass& cimClass, const std::string& ancestorName) const;

    // Instances of the class and its subclasses, in the order they were added.
    std::vector<InstanceRecord*> instancesOf(const std::string& nameSpace, const CimClass& cimClass);
    InstanceRecord* findInstance(const std::string& nameSpace, const ObjectPath& path);

private:
    struct Namespace {
        std::map<std::string, std::unique_ptr<CimClass>> classes;  // by lower-case name
        std::vector<const CimClass*> classOrder;
        std::deque<InstanceRecord> instances;
    };
    Namespace& namespaceFor(const std::string& nameSpace);
    const Namespace* findNamespace(const std::string& nameSpace) const;

    std::map<std::string, Namespace> namespaces_;  // by lower-case name
};

std::string toLower(const std::string& text);

}  // namespace mlnx_cimsim
