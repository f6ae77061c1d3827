#include "model/repository.h"

#include "wire/http_message.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace mlnx_cimsim {

std::string toLower(const std::string& text) {
    std::string result = text;
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

InstanceRecord::InstanceRecord(const CimClass& cimClass, ObjectPath path,
                               std::vector<std::pair<std::string, CimValue>> values)
    : class_(&cimClass), path_(std::move(path)), values_(std::move(values)) {}

const CimValue* InstanceRecord::find(const std::string& propertyName) const {
    for (const auto& entry : values_) {
        if (equalsIgnoreCase(entry.first, propertyName)) {
            return &entry.second;
        }
    }
    return nullptr;
}

void InstanceRecord::set(const std::string& propertyName, CimValue value) {
    for (auto& rendering : renderings_) {
        rendering.reset();
    }
    for (auto& entry : values_) {
        if (equalsIgnoreCase(entry.first, propertyName)) {
            entry.second = std::move(value);
            return;
        }
    }
    values_.emplace_back(propertyName, std::move(value));
}

std::string* InstanceRecord::cachedRendering(size_t variant) const { return renderings_.at(variant).get(); }

void InstanceRecord::storeRendering(size_t variant, std::string xml) const {
    renderings_.at(variant) = std::make_unique<std::string>(std::move(xml));
}

Repository::Namespace& Repository::namespaceFor(const std::string& nameSpace) {
    return namespaces_[toLower(nameSpace)];
}

const Repository::Namespace* Repository::findNamespace(const std::string& nameSpace) const {
    auto found = namespaces_.find(toLower(nameSpace));
    return found == namespaces_.end() ? nullptr : &found->second;
}

const CimClass& Repository::addClass(CimClass cimClass) {
    Namespace& space = namespaceFor(cimClass.nameSpace);
    std::vector<PropertyDecl> own = std::move(cimClass.properties);
    std::vector<MethodDecl> ownMethods = std::move(cimClass.methods);
    cimClass.properties.clear();
    cimClass.methods.clear();
    if (!cimClass.superclass.empty()) {
        const CimClass* parent = findClass(cimClass.nameSpace, cimClass.superclass);
        if (parent == nullptr) {
            throw std::invalid_argument("class " + cimClass.name + ": superclass " + cimClass.superclass +
                                        " is not defined before it in namespace " + cimClass.nameSpace);
        }
        cimClass.properties = parent->properties;
        cimClass.methods = parent->methods;
        cimClass.isAssociation = cimClass.isAssociation || parent->isAssociation;
    }
    for (auto& property : own) {
        auto existing = std::find_if(cimClass.properties.begin(), cimClass.properties.end(),
                                     [&](const PropertyDecl& p) { return equalsIgnoreCase(p.name, property.name); });
        if (existing == cimClass.properties.end()) {
            property.classOrigin = cimClass.name;
            cimClass.properties.push_back(std::move(property));
            continue;
        }
        // An override keeps the inherited origin and fills what it leaves out.
        property.classOrigin = existing->classOrigin;
        property.isKey = property.isKey || existing->isKey;
        if (property.valueMap.empty() && property.values.empty()) {
            property.valueMap = existing->valueMap;
            property.values = existing->values;
        }
        if (property.description.empty()) {
            property.description = existing->description;
        }
        if (!property.defaultValue) {
            property.defaultValue = existing->defaultValue;
        }
        *existing = std::move(property);
    }
    for (auto& method : ownMethods) {
        auto existing = std::find_if(cimClass.methods.begin(), cimClass.methods.end(),
                                     [&](const MethodDecl& m) { return equalsIgnoreCase(m.name, method.name); });
        if (existing == cimClass.methods.end()) {
            method.classOrigin = cimClass.name;
            cimClass.methods.push_back(std::move(method));
        } else {
            method.classOrigin = existing->classOrigin;
            *existing = std::move(method);
        }
    }
    auto stored = std::make_unique<CimClass>(std::move(cimClass));
    const CimClass& result = *stored;
    std::string key = toLower(result.name);
    auto previous = space.classes.find(key);
    if (previous != space.classes.end()) {
        throw std::invalid_argument("class " + result.name + " is defined twice in namespace " + result.nameSpace);
    }
    space.classOrder.push_back(stored.get());
    space.classes.emplace(key, std::move(stored));
    return result;
}

InstanceRecord& Repository::addInstance(const std::string& nameSpace, const std::string& className,
                                        std::vector<std::pair<std::string, CimValue>> values) {
    const CimClass* cimClass = findClass(nameSpace, className);
    if (cimClass == nullptr) {
        throw std::invalid_argument("instance of unknown class " + className + " in namespace " + nameSpace);
    }
    ObjectPath path;
    path.className = cimClass->name;
    for (const PropertyDecl* key : cimClass->keyProperties()) {
        auto value = std::find_if(values.begin(), values.end(),
                                  [&](const auto& entry) { return equalsIgnoreCase(entry.first, key->name); });
        if (value == values.end() || value->second.isNull) {
            throw std::invalid_argument("instance of " + className + " has no value for key property " + key->name);
        }
        KeyBinding binding;
        binding.name = key->name;
        if (value->second.type == CimType::Reference) {
            binding.reference = value->second.reference;
        } else {
            binding.valueType = keyValueType(value->second.type);
            binding.text = value->second.text();
        }
        path.keys.push_back(std::move(binding));
    }
    path.sortKeys();
    Namespace& space = namespaceFor(nameSpace);
    for (const auto& existing : space.instances) {
        if (existing.path().sameInstance(path)) {
            throw std::invalid_argument("instance " + path.toString() + " is defined twice");
        }
    }
    space.instances.emplace_back(*cimClass, std::move(path), std::move(values));
    return space.instances.back();
}

bool Repository::hasNamespace(const std::string& nameSpace) const { return findNamespace(nameSpace) != nullptr; }

const CimClass* Repository::findClass(const std::string& nameSpace, const std::string& className) const {
    const Namespace* space = findNamespace(nameSpace);
    if (space == nullptr) {
        return nullptr;
    }
    auto found = space->classes.find(toLower(className));
    return found == space->classes.end() ? nullptr : found->second.get();
}

std::vector<const CimClass*> Repository::classes(const std::string& nameSpace) const {
    const Namespace* space = findNamespace(nameSpace);
    return space == nullptr ? std::vector<const CimClass*>{} : space->classOrder;
}

bool Repository::isA(const CimClass& cimClass, const std::string& ancestorName) const {
    for (const CimClass* current = &cimClass; current != nullptr;
         current = current->superclass.empty() ? nullptr : findClass(current->nameSpace, current->superclass)) {
        if (equalsIgnoreCase(current->name, ancestorName)) {
            return true;
        }
    }
    return false;
}

std::vector<InstanceRecord*> Repository::instancesOf(const std::string& nameSpace, const CimClass& cimClass) {
    std::vector<InstanceRecord*> result;
    auto found = namespaces_.find(toLower(nameSpace));
    if (found == namespaces_.end()) {
        return result;
    }
    for (auto& instance : found->second.instances) {
        if (isA(instance.cimClass(), cimClass.name)) {
            result.push_back(&instance);
        }
    }
    return result;
}

InstanceRecord* Repository::findInstance(const std::string& nameSpace, const ObjectPath& path) {
    auto found = namespaces_.find(toLower(nameSpace));
    if (found == namespaces_.end()) {
        return nullptr;
    }
    for (auto& instance : found->second.instances) {
        if (instance.path().sameInstance(path)) {
            return &instance;
        }
    }
    return nullptr;
}

}  // namespace mlnx_cimsim
