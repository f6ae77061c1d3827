#include "wire/cimxml_writer.h"

#include "wire/http_message.h"
#include "wire/xml_escape.h"

#include <algorithm>

namespace mlnx_cimsim {

namespace {

const char* kDocumentHead =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
    "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n";

// The document around a response element; `inner` is written between its start
// and end lines, so a large payload is copied once.
std::string envelope(const std::string& messageId, const std::string& start, const std::string& inner,
                     const std::string& end) {
    std::string out;
    out.reserve(inner.size() + start.size() + end.size() + 256);
    out += kDocumentHead;
    out += "<MESSAGE ID=\"" + escaped(messageId) + "\" PROTOCOLVERSION=\"1.0\">\n<SIMPLERSP>\n";
    out += start;
    out += inner;
    out += end;
    out += "</SIMPLERSP>\n</MESSAGE>\n</CIM>\n";
    return out;
}

void appendStringArrayQualifier(std::string& out, const char* name, const std::vector<std::string>& items,
                                const char* flavors) {
    out += "<QUALIFIER NAME=\"";
    out += name;
    out += "\" TYPE=\"string\"";
    out += flavors;
    out += ">\n<VALUE.ARRAY>\n";
    for (const auto& item : items) {
        out += "<VALUE>";
        appendEscaped(out, item);
        out += "</VALUE>\n";
    }
    out += "</VALUE.ARRAY>\n</QUALIFIER>\n";
}

void appendScalarQualifier(std::string& out, const std::string& name, const char* type, const std::string& value,
                           const char* flavors) {
    out += "<QUALIFIER NAME=\"" + name + "\" TYPE=\"" + type + "\"" + flavors + ">\n<VALUE>";
    appendEscaped(out, value);
    out += "</VALUE>\n</QUALIFIER>\n";
}

void appendValueMapQualifiers(std::string& out, const PropertyDecl& property, bool propagated) {
    if (!property.valueMap.empty()) {
        appendStringArrayQualifier(out, "ValueMap", property.valueMap, propagated ? " PROPAGATED=\"true\"" : "");
    }
    if (!property.values.empty()) {
        appendStringArrayQualifier(out, "Values", property.values,
                                   propagated ? " PROPAGATED=\"true\" TRANSLATABLE=\"true\"" : " TRANSLATABLE=\"true\"");
    }
}

// The property's start tag: NAME, two blanks, then the attributes in OpenPegasus's order.
void appendPropertyStart(std::string& out, const PropertyDecl& property, CimType type, bool isArray,
                         const std::string* classOrigin, bool propagated) {
    std::string origin = classOrigin == nullptr ? "" : " CLASSORIGIN=\"" + *classOrigin + "\"";
    const char* propagatedAttribute = propagated ? " PROPAGATED=\"true\"" : "";
    const std::string embedded = property.embeddedObject.empty() || type != CimType::String
                                     ? ""
                                     : " EmbeddedObject=\"" + property.embeddedObject + "\"";
    if (type == CimType::Reference) {
        out += "<PROPERTY.REFERENCE NAME=\"" + property.name + "\" ";
        if (!property.referenceClass.empty()) {
            out += " REFERENCECLASS=\"" + property.referenceClass + "\"";
        }
        out += origin + propagatedAttribute + ">\n";
    } else if (isArray) {
        out += "<PROPERTY.ARRAY NAME=\"" + property.name + "\"  TYPE=\"" + cimTypeName(type) + "\"" + embedded +
               origin + propagatedAttribute + ">\n";
    } else {
        out += "<PROPERTY NAME=\"" + property.name + "\" " + origin + propagatedAttribute + " TYPE=\"" +
               cimTypeName(type) + "\"" + embedded + ">\n";
    }
}

void appendPropertyEnd(std::string& out, CimType type, bool isArray) {
    out += type == CimType::Reference ? "</PROPERTY.REFERENCE>\n" : isArray ? "</PROPERTY.ARRAY>\n" : "</PROPERTY>\n";
}

bool listed(const std::optional<std::vector<std::string>>& propertyList, const std::string& name) {
    if (!propertyList) {
        return true;
    }
    return std::any_of(propertyList->begin(), propertyList->end(),
                       [&](const std::string& entry) { return equalsIgnoreCase(entry, name); });
}

void appendParameter(std::string& out, const ParameterDecl& parameter) {
    std::string qualifiers;
    appendScalarQualifier(qualifiers, "IN", "boolean", parameter.in ? "TRUE" : "FALSE", " OVERRIDABLE=\"false\"");
    if (parameter.out) {
        appendScalarQualifier(qualifiers, "OUT", "boolean", "TRUE", " OVERRIDABLE=\"false\"");
    }
    if (parameter.type == CimType::Reference) {
        out += "<PARAMETER.REFERENCE NAME=\"" + parameter.name + "\"";
        if (!parameter.referenceClass.empty()) {
            out += " REFERENCECLASS=\"" + parameter.referenceClass + "\"";
        }
        out += ">\n" + qualifiers + "</PARAMETER.REFERENCE>\n";
    } else if (parameter.isArray) {
        out += "<PARAMETER.ARRAY NAME=\"" + parameter.name + "\" TYPE=\"" + cimTypeName(parameter.type) + "\">\n" +
               qualifiers + "</PARAMETER.ARRAY>\n";
    } else {
        out += "<PARAMETER NAME=\"" + parameter.name + "\" TYPE=\"" + cimTypeName(parameter.type) + "\">\n" +
               qualifiers + "</PARAMETER>\n";
    }
}

}  // namespace

void appendInstanceName(std::string& out, const ObjectPath& path) {
    out += "<INSTANCENAME CLASSNAME=\"" + path.className + "\">\n";
    for (const auto& key : path.keys) {
        out += "<KEYBINDING NAME=\"" + key.name + "\">\n";
        if (key.reference) {
            out += "<VALUE.REFERENCE>\n";
            appendInstanceName(out, *key.reference);
            out += "</VALUE.REFERENCE>\n";
        } else {
            out += "<KEYVALUE VALUETYPE=\"" + key.valueType + "\">";
            appendEscaped(out, key.text);
            out += "</KEYVALUE>\n";
        }
        out += "</KEYBINDING>\n";
    }
    out += "</INSTANCENAME>\n";
}

void appendValueElement(std::string& out, const CimValue& value) {
    if (value.isNull) {
        return;
    }
    if (value.type == CimType::Reference) {
        out += "<VALUE.REFERENCE>\n";
        appendInstanceName(out, *value.reference);
        out += "</VALUE.REFERENCE>\n";
        return;
    }
    if (value.isArray) {
        out += "<VALUE.ARRAY>\n";
        for (const auto& item : value.items) {
            out += "<VALUE>";
            appendEscaped(out, item);
            out += "</VALUE>\n";
        }
        out += "</VALUE.ARRAY>\n";
        return;
    }
    out += "<VALUE>";
    appendEscaped(out, value.text());
    out += "</VALUE>\n";
}

void appendInstance(std::string& out, const InstanceRecord& instance, const InstanceRendering& options) {
    const CimClass& cimClass = instance.cimClass();
    out += "<INSTANCE CLASSNAME=\"" + cimClass.name + "\" >\n";
    if (options.includeQualifiers && !cimClass.description.empty()) {
        appendScalarQualifier(out, "Description", "string", cimClass.description,
                              " PROPAGATED=\"true\" TRANSLATABLE=\"true\"");
    }
    for (const auto& property : cimClass.properties) {
        if (options.propertyScope != nullptr && options.propertyScope->findProperty(property.name) == nullptr) {
            continue;
        }
        if (!listed(options.propertyList, property.name)) {
            continue;
        }
        const CimValue* set = instance.find(property.name);
        // A value that the instance sets itself may differ in type from the class (a
        // fixture can serve a deliberately malformed instance that way).
        const CimValue* value = set != nullptr ? set : property.defaultValue ? &*property.defaultValue : nullptr;
        CimType type = set != nullptr ? set->type : property.type;
        bool isArray = set != nullptr ? set->isArray : property.isArray;
        appendPropertyStart(out, property, type, isArray, options.includeClassOrigin ? &property.classOrigin : nullptr,
                            set == nullptr);
        if (options.includeQualifiers) {
            appendValueMapQualifiers(out, property, true);
        }
        if (value != nullptr) {
            appendValueElement(out, *value);
        }
        appendPropertyEnd(out, type, isArray);
    }
    out += "</INSTANCE>\n";
}

void appendClass(std::string& out, const CimClass& cimClass, const ClassRendering& options) {
    out += "<CLASS NAME=\"" + cimClass.name + "\" ";
    if (!cimClass.superclass.empty()) {
        out += " SUPERCLASS=\"" + cimClass.superclass + "\"";
    }
    out += " >\n";
    if (options.includeQualifiers) {
        if (cimClass.isAssociation) {
            appendScalarQualifier(out, "Association", "boolean", "TRUE", " OVERRIDABLE=\"false\"");
        }
        if (!cimClass.description.empty()) {
            appendScalarQualifier(out, "Description", "string", cimClass.description, " TRANSLATABLE=\"true\"");
        }
        for (const auto& qualifier : cimClass.qualifiers) {
            if (qualifier.isArray) {
                appendStringArrayQualifier(out, qualifier.name.c_str(), qualifier.values,
                                           qualifier.flavorAttributes.c_str());
            } else {
                appendScalarQualifier(out, qualifier.name, cimTypeName(qualifier.type),
                                      qualifier.values.empty() ? "" : qualifier.values.front(),
                                      qualifier.flavorAttributes.c_str());
            }
        }
    }
    for (const auto& property : cimClass.properties) {
        bool inherited = property.classOrigin != cimClass.name;
        if (options.localOnly && inherited) {
            continue;
        }
        appendPropertyStart(out, property, property.type, property.isArray,
                            options.includeClassOrigin ? &property.classOrigin : nullptr, inherited);
        if (options.includeQualifiers) {
            if (property.isKey) {
                appendScalarQualifier(out, "Key", "boolean", "TRUE", " OVERRIDABLE=\"false\"");
            }
            if (!property.description.empty()) {
                appendScalarQualifier(out, "Description", "string", property.description, " TRANSLATABLE=\"true\"");
            }
            appendValueMapQualifiers(out, property, false);
        }
        if (property.defaultValue) {
            appendValueElement(out, *property.defaultValue);
        }
        appendPropertyEnd(out, property.type, property.isArray);
    }
    for (const auto& method : cimClass.methods) {
        bool inherited = method.classOrigin != cimClass.name;
        if (options.localOnly && inherited) {
            continue;
        }
        out += "<METHOD NAME=\"" + method.name + "\" TYPE=\"" + cimTypeName(method.returnType) + "\"";
        if (options.includeClassOrigin) {
            out += " CLASSORIGIN=\"" + method.classOrigin + "\"";
        }
        if (inherited) {
            out += " PROPAGATED=\"true\"";
        }
        out += ">\n";
        if (options.includeQualifiers && !method.description.empty()) {
            appendScalarQualifier(out, "Description", "string", method.description, " TRANSLATABLE=\"true\"");
        }
        for (const auto& parameter : method.parameters) {
            appendParameter(out, parameter);
        }
        out += "</METHOD>\n";
    }
    out += "</CLASS>\n";
}

std::string intrinsicResponse(const std::string& messageId, const std::string& operation,
                              const std::optional<std::string>& payload) {
    std::string start = "<IMETHODRESPONSE NAME=\"" + operation + "\">\n";
    if (!payload) {
        return envelope(messageId, start, "", "</IMETHODRESPONSE>\n");
    }
    return envelope(messageId, start + "<IRETURNVALUE>\n", *payload, "</IRETURNVALUE>\n</IMETHODRESPONSE>\n");
}

std::string methodResponse(const std::string& messageId, const std::string& method, const MethodResult& result) {
    std::string body = "<METHODRESPONSE NAME=\"" + method + "\">\n";
    body += "<RETURNVALUE PARAMTYPE=\"" + std::string(cimTypeName(result.returnValue.type)) + "\">\n";
    appendValueElement(body, result.returnValue);
    body += "</RETURNVALUE>\n";
    for (const auto& parameter : result.outParameters) {
        body += "<PARAMVALUE NAME=\"" + parameter.name + "\" PARAMTYPE=\"" + cimTypeName(parameter.value.type) +
                "\">\n";
        appendValueElement(body, parameter.value);
        body += "</PARAMVALUE>\n";
    }
    return envelope(messageId, body, "", "</METHODRESPONSE>\n");
}

std::string errorResponse(const std::string& messageId, const std::string& name, bool intrinsic, int code,
                          const std::string& description, bool withErrorElement) {
    const char* element = intrinsic ? "IMETHODRESPONSE" : "METHODRESPONSE";
    std::string body = std::string("<") + element + " NAME=\"" + name + "\">\n";
    if (withErrorElement) {
        body += "<ERROR CODE=\"" + std::to_string(code) + "\" DESCRIPTION=\"";
        appendEscaped(body, description);
        body += "\"/>";
    }
    return envelope(messageId, body, "", std::string("</") + element + ">\n");
}

}  // namespace mlnx_cimsim
