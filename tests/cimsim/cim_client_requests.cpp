#include "cim_client_requests.h"

namespace cimsim_test {

std::string classNameParameter(const std::string& className) {
    return "<IPARAMVALUE NAME=\"ClassName\">\n<CLASSNAME NAME=\"" + className + "\"/>\n</IPARAMVALUE>\n";
}

std::string flagParameter(const std::string& name, bool value) {
    return "<IPARAMVALUE NAME=\"" + name + "\">\n<VALUE>" + (value ? "TRUE" : "FALSE") + "</VALUE>\n</IPARAMVALUE>\n";
}

std::string instanceNameParameter(const std::string& instanceNameXml) {
    return "<IPARAMVALUE NAME=\"InstanceName\">\n" + instanceNameXml + "</IPARAMVALUE>\n";
}

std::string instanceNameXml(const std::string& className,
                            const std::vector<std::pair<std::string, std::string>>& keys) {
    std::string xml = "<INSTANCENAME CLASSNAME=\"" + className + "\">\n";
    for (const auto& key : keys) {
        xml += "<KEYBINDING NAME=\"" + key.first + "\">\n<KEYVALUE VALUETYPE=\"string\">" + key.second +
               "</KEYVALUE>\n</KEYBINDING>\n";
    }
    return xml + "</INSTANCENAME>\n";
}

namespace {

std::string namespaceXml(const std::string& nameSpace) {
    std::string xml = "<LOCALNAMESPACEPATH>\n";
    size_t start = 0;
    while (start <= nameSpace.size()) {
        size_t slash = nameSpace.find('/', start);
        xml += "<NAMESPACE NAME=\"" + nameSpace.substr(start, slash - start) + "\"/>\n";
        if (slash == std::string::npos) {
            break;
        }
        start = slash + 1;
    }
    return xml + "</LOCALNAMESPACEPATH>\n";
}

const char* kHead = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
                    "<MESSAGE ID=\"1000\" PROTOCOLVERSION=\"1.0\">\n<SIMPLEREQ>\n";
const char* kTail = "</SIMPLEREQ>\n</MESSAGE>\n</CIM>\n";

}  // namespace

std::string intrinsicBody(const IntrinsicCall& call) {
    std::string body = kHead;
    body += "<IMETHODCALL NAME=\"" + call.operation + "\">\n" + namespaceXml(call.nameSpace);
    for (const auto& parameter : call.parameters) {
        body += parameter;
    }
    return body + "</IMETHODCALL>\n" + kTail;
}

std::string methodBody(const std::string& method, const std::string& nameSpace, const std::string& instanceNameXml,
                       const std::string& parameterValues) {
    std::string body = kHead;
    body += "<METHODCALL NAME=\"" + method + "\">\n<LOCALINSTANCEPATH>\n" + namespaceXml(nameSpace) +
            instanceNameXml + "</LOCALINSTANCEPATH>\n" + parameterValues;
    return body + "</METHODCALL>\n" + kTail;
}

std::string cimPost(const std::string& cimMethod, const std::string& cimObject, const std::string& body,
                    bool trailers, const std::vector<std::string>& extraHeaders) {
    std::vector<std::string> headers = {"Content-Type: application/xml; charset=utf-8"};
    if (trailers) {
        headers.push_back("TE: chunked, trailers");
    }
    headers.push_back("CIMOperation: MethodCall");
    headers.push_back("CIMMethod: " + cimMethod);
    headers.push_back("CIMObject: " + cimObject);
    headers.insert(headers.end(), extraHeaders.begin(), extraHeaders.end());
    return mlnx_cimsim::testing::buildRequest("POST", "/cimom", body, headers);
}

mlnx_cimsim::testing::HttpResponse send(const mlnx_cimsim::testing::CimSimProcess& sim, const std::string& request) {
    mlnx_cimsim::testing::HttpConnection connection(sim.host(), sim.port(), sim.https());
    return connection.exchange(request);
}

std::string enumerateInstances(const std::string& className, bool includeQualifiers, bool deepInheritance) {
    IntrinsicCall call;
    call.operation = "EnumerateInstances";
    call.parameters = {classNameParameter(className), flagParameter("DeepInheritance", deepInheritance),
                       flagParameter("IncludeQualifiers", includeQualifiers)};
    return cimPost("EnumerateInstances", "root%2Fcimv2", intrinsicBody(call), false);
}

}  // namespace cimsim_test

#include <gtest/gtest.h>

namespace cimsim_test {

namespace {

void readInstance(const pugi::xml_node& node, ParsedInstance& instance) {
    instance.className = node.attribute("CLASSNAME").value();
    for (auto qualifier : node.children("QUALIFIER")) {
        instance.qualifierNames.push_back(qualifier.attribute("NAME").value());
    }
    for (auto child : node.children()) {
        std::string element = child.name();
        if (element != "PROPERTY" && element != "PROPERTY.ARRAY" && element != "PROPERTY.REFERENCE") {
            continue;
        }
        ParsedProperty property;
        property.type = element == "PROPERTY.REFERENCE" ? "reference" : child.attribute("TYPE").value();
        property.classOrigin = child.attribute("CLASSORIGIN").value();
        for (auto qualifier : child.children("QUALIFIER")) {
            std::vector<std::string> items;
            for (auto item : qualifier.child("VALUE.ARRAY").children("VALUE")) {
                items.push_back(item.text().get());
            }
            if (std::string(qualifier.attribute("NAME").value()) == "ValueMap") {
                property.valueMap = items;
            } else if (std::string(qualifier.attribute("NAME").value()) == "Values") {
                property.values = items;
            }
        }
        if (auto value = child.child("VALUE")) {
            property.value = value.text().get();
            property.isNull = false;
        } else if (auto array = child.child("VALUE.ARRAY")) {
            property.isNull = false;
            for (auto item : array.children("VALUE")) {
                property.value += (property.value.empty() ? "" : ",") + std::string(item.text().get());
            }
        } else if (auto reference = child.child("VALUE.REFERENCE")) {
            property.isNull = false;
            property.value = reference.child("INSTANCENAME").attribute("CLASSNAME").value();
        }
        instance.properties[child.attribute("NAME").value()] = property;
    }
}

}  // namespace

std::vector<ParsedInstance> parseInstances(const std::string& body) {
    pugi::xml_document document;
    auto parsed = document.load_string(body.c_str());
    EXPECT_TRUE(parsed) << parsed.description() << " in:\n" << body.substr(0, 2000);
    std::vector<ParsedInstance> result;
    auto returned = document.child("CIM").child("MESSAGE").child("SIMPLERSP").child("IMETHODRESPONSE").child(
        "IRETURNVALUE");
    for (auto named : returned.children("VALUE.NAMEDINSTANCE")) {
        ParsedInstance instance;
        for (auto key : named.child("INSTANCENAME").children("KEYBINDING")) {
            instance.keyNames.push_back(key.attribute("NAME").value());
            instance.keys[key.attribute("NAME").value()] = key.child("KEYVALUE").text().get();
        }
        readInstance(named.child("INSTANCE"), instance);
        result.push_back(instance);
    }
    if (auto single = returned.child("INSTANCE")) {
        ParsedInstance instance;
        readInstance(single, instance);
        result.push_back(instance);
    }
    return result;
}

int errorCode(const std::string& body) {
    pugi::xml_document document;
    document.load_string(body.c_str());
    auto response = document.child("CIM").child("MESSAGE").child("SIMPLERSP");
    auto error = response.child("IMETHODRESPONSE").child("ERROR");
    if (!error) {
        error = response.child("METHODRESPONSE").child("ERROR");
    }
    return error ? error.attribute("CODE").as_int() : 0;
}

}  // namespace cimsim_test
