#include "model/cim_class.h"

#include "wire/http_message.h"

namespace mlnx_cimsim {

const PropertyDecl* CimClass::findProperty(const std::string& propertyName) const {
    for (const auto& property : properties) {
        if (equalsIgnoreCase(property.name, propertyName)) {
            return &property;
        }
    }
    return nullptr;
}

const MethodDecl* CimClass::findMethod(const std::string& methodName) const {
    for (const auto& method : methods) {
        if (equalsIgnoreCase(method.name, methodName)) {
            return &method;
        }
    }
    return nullptr;
}

std::vector<const PropertyDecl*> CimClass::keyProperties() const {
    std::vector<const PropertyDecl*> keys;
    for (const auto& property : properties) {
        if (property.isKey) {
            keys.push_back(&property);
        }
    }
    return keys;
}

}  // namespace mlnx_cimsim
