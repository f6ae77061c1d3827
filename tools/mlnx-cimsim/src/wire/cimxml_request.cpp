#include "wire/cimxml_request.h"

#include "model/repository.h"
#include "wire/http_message.h"

#include <pugixml.hpp>

namespace mlnx_cimsim {

namespace {

std::string joinedNamespace(const pugi::xml_node& localNamespacePath) {
    std::string result;
    for (auto part : localNamespacePath.children("NAMESPACE")) {
        if (!result.empty()) {
            result += "/";
        }
        result += part.attribute("NAME").value();
    }
    return result;
}

ObjectPath decodeInstanceName(const pugi::xml_node& node);

// VALUE.REFERENCE holding INSTANCEPATH, LOCALINSTANCEPATH or INSTANCENAME.
ObjectPath decodeReference(const pugi::xml_node& reference) {
    if (auto full = reference.child("INSTANCEPATH")) {
        ObjectPath path = decodeInstanceName(full.child("INSTANCENAME"));
        path.nameSpace = joinedNamespace(full.child("NAMESPACEPATH").child("LOCALNAMESPACEPATH"));
        return path;
    }
    if (auto local = reference.child("LOCALINSTANCEPATH")) {
        ObjectPath path = decodeInstanceName(local.child("INSTANCENAME"));
        path.nameSpace = joinedNamespace(local.child("LOCALNAMESPACEPATH"));
        return path;
    }
    if (auto name = reference.child("INSTANCENAME")) {
        return decodeInstanceName(name);
    }
    throw CimRequestError("VALUE.REFERENCE without an instance path");
}

ObjectPath decodeInstanceName(const pugi::xml_node& node) {
    if (!node) {
        throw CimRequestError("missing INSTANCENAME");
    }
    ObjectPath path;
    path.className = node.attribute("CLASSNAME").value();
    if (path.className.empty()) {
        throw CimRequestError("INSTANCENAME without CLASSNAME");
    }
    for (auto binding : node.children("KEYBINDING")) {
        KeyBinding key;
        key.name = binding.attribute("NAME").value();
        if (auto value = binding.child("KEYVALUE")) {
            key.valueType = value.attribute("VALUETYPE") ? value.attribute("VALUETYPE").value() : "string";
            key.text = value.text().get();
        } else if (auto reference = binding.child("VALUE.REFERENCE")) {
            key.reference = std::make_shared<const ObjectPath>(decodeReference(reference));
        } else {
            throw CimRequestError("KEYBINDING " + key.name + " without a value");
        }
        path.keys.push_back(std::move(key));
    }
    path.sortKeys();
    return path;
}

bool decodeBoolean(const pugi::xml_node& parameter) {
    std::string text = trimBlanks(parameter.child("VALUE").text().get());
    if (equalsIgnoreCase(text, "TRUE")) {
        return true;
    }
    if (equalsIgnoreCase(text, "FALSE")) {
        return false;
    }
    throw CimRequestError(std::string("IPARAMVALUE ") + parameter.attribute("NAME").value() +
                          " is not a boolean: \"" + text + "\"");
}

CimValue decodeParameterValue(const pugi::xml_node& parameter) {
    std::string typeName = parameter.attribute("PARAMTYPE").value();
    CimType type = parseCimType(typeName).value_or(CimType::String);
    if (auto reference = parameter.child("VALUE.REFERENCE")) {
        return CimValue::ref(decodeReference(reference));
    }
    if (auto array = parameter.child("VALUE.ARRAY")) {
        std::vector<std::string> items;
        for (auto item : array.children("VALUE")) {
            items.push_back(item.text().get());
        }
        return CimValue::array(type, std::move(items));
    }
    if (auto value = parameter.child("VALUE")) {
        return CimValue::scalar(type, value.text().get());
    }
    return CimValue::null(type, false);
}

void decodeIntrinsicParameters(const pugi::xml_node& call, CimRequest& request) {
    for (auto parameter : call.children("IPARAMVALUE")) {
        std::string name = toLower(parameter.attribute("NAME").value());
        if (name == "classname") {
            request.className = parameter.child("CLASSNAME").attribute("NAME").value();
        } else if (name == "instancename") {
            request.instanceName = decodeInstanceName(parameter.child("INSTANCENAME"));
        } else if (name == "propertylist") {
            // An empty element stands for NULL: every property.
            if (auto array = parameter.child("VALUE.ARRAY")) {
                std::vector<std::string> names;
                for (auto item : array.children("VALUE")) {
                    names.push_back(item.text().get());
                }
                request.propertyList = std::move(names);
            }
        } else if (name == "deepinheritance" || name == "localonly" || name == "includequalifiers" ||
                   name == "includeclassorigin") {
            request.flags[name] = decodeBoolean(parameter);
        }
    }
}

void decodeMethodCall(const pugi::xml_node& call, CimRequest& request) {
    if (auto instancePath = call.child("LOCALINSTANCEPATH")) {
        request.nameSpace = joinedNamespace(instancePath.child("LOCALNAMESPACEPATH"));
        request.target = decodeInstanceName(instancePath.child("INSTANCENAME"));
    } else if (auto classPath = call.child("LOCALCLASSPATH")) {
        request.nameSpace = joinedNamespace(classPath.child("LOCALNAMESPACEPATH"));
        request.target.className = classPath.child("CLASSNAME").attribute("NAME").value();
    } else {
        throw CimRequestError("METHODCALL " + request.name + " without LOCALINSTANCEPATH or LOCALCLASSPATH");
    }
    for (auto parameter : call.children("PARAMVALUE")) {
        request.parameters.push_back({parameter.attribute("NAME").value(), decodeParameterValue(parameter)});
    }
}

}  // namespace

bool CimRequest::flag(const std::string& lowerCaseName, bool defaultValue) const {
    auto found = flags.find(lowerCaseName);
    return found == flags.end() ? defaultValue : found->second;
}

std::string CimRequest::subjectClass() const {
    if (!intrinsic) {
        return target.className;
    }
    if (className) {
        return *className;
    }
    if (instanceName) {
        return instanceName->className;
    }
    return "";
}

CimRequest decodeCimRequest(const std::string& body) {
    pugi::xml_document document;
    pugi::xml_parse_result parsed = document.load_buffer(body.data(), body.size());
    if (!parsed) {
        throw CimRequestError(std::string("request is not well-formed XML: ") + parsed.description() +
                              " at offset " + std::to_string(parsed.offset));
    }
    pugi::xml_node message = document.child("CIM").child("MESSAGE");
    if (!message) {
        throw CimRequestError("request has no CIM/MESSAGE element");
    }
    pugi::xml_node simple = message.child("SIMPLEREQ");
    if (!simple) {
        throw CimRequestError("request has no SIMPLEREQ element (multiple requests are not supported)");
    }
    CimRequest request;
    request.messageId = message.attribute("ID").value();
    if (auto call = simple.child("IMETHODCALL")) {
        request.intrinsic = true;
        request.name = call.attribute("NAME").value();
        request.nameSpace = joinedNamespace(call.child("LOCALNAMESPACEPATH"));
        decodeIntrinsicParameters(call, request);
    } else if (auto methodCall = simple.child("METHODCALL")) {
        request.intrinsic = false;
        request.name = methodCall.attribute("NAME").value();
        decodeMethodCall(methodCall, request);
    } else {
        throw CimRequestError("SIMPLEREQ holds neither IMETHODCALL nor METHODCALL");
    }
    if (request.name.empty()) {
        throw CimRequestError("method call without NAME");
    }
    return request;
}

}  // namespace mlnx_cimsim
