#include "RequestEncoder.h"

#include "TextEncoding.h"
#include "../../common/CimXmlWriter.h"

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/CIMValue.h>

#include <cstdio>

namespace Pegasus {
namespace ClientDetail {

namespace {

std::string utf8(const String& text)
{
    return std::string(static_cast<const char*>(text.getCString()));
}

void appendEscaped(std::string& out, const String& text)
{
    appendXmlEscaped(out, utf8(text));
}

using Internal::appendInstanceName;
using Internal::appendLocalNamespacePath;

void appendMessageBegin(std::string& out, Uint32 messageId)
{
    out += "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
           "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"";
    out += std::to_string(messageId);
    out += "\" PROTOCOLVERSION=\"1.0\">\n<SIMPLEREQ>\n";
}

void appendMessageEnd(std::string& out)
{
    out += "</SIMPLEREQ>\n</MESSAGE>\n</CIM>\n";
}

void appendBooleanParameter(std::string& out, const char* name, Boolean value)
{
    out += "<IPARAMVALUE NAME=\"";
    out += name;
    out += value ? "\">\n<VALUE>TRUE</VALUE>\n</IPARAMVALUE>\n"
                 : "\">\n<VALUE>FALSE</VALUE>\n</IPARAMVALUE>\n";
}

void appendPropertyList(std::string& out, const CIMPropertyList& propertyList)
{
    if (propertyList.isNull())
        return;
    out += "<IPARAMVALUE NAME=\"PropertyList\">\n<VALUE.ARRAY>\n";
    for (Uint32 i = 0; i < propertyList.size(); ++i)
    {
        out += "<VALUE>";
        appendEscaped(out, propertyList[i].getString());
        out += "</VALUE>\n";
    }
    out += "</VALUE.ARRAY>\n</IPARAMVALUE>\n";
}

// The flags shared by EnumerateInstances and GetInstance; only those that
// differ from their defaults are sent.
void appendRetrievalOptions(std::string& out, Boolean localOnly, Boolean includeQualifiers,
                            Boolean includeClassOrigin, const CIMPropertyList& propertyList)
{
    if (!localOnly)
        appendBooleanParameter(out, "LocalOnly", false);
    if (includeQualifiers)
        appendBooleanParameter(out, "IncludeQualifiers", true);
    if (includeClassOrigin)
        appendBooleanParameter(out, "IncludeClassOrigin", true);
    appendPropertyList(out, propertyList);
}

void beginIntrinsic(std::string& out, Uint32 messageId, const char* operation,
                    const CIMNamespaceName& nameSpace)
{
    appendMessageBegin(out, messageId);
    out += "<IMETHODCALL NAME=\"";
    out += operation;
    out += "\">\n";
    appendLocalNamespacePath(out, nameSpace);
}

void endIntrinsic(std::string& out)
{
    out += "</IMETHODCALL>\n";
    appendMessageEnd(out);
}

void appendClassNameParameter(std::string& out, const CIMName& className)
{
    out += "<IPARAMVALUE NAME=\"ClassName\">\n<CLASSNAME NAME=\"";
    out += utf8(className.getString());
    out += "\"/>\n</IPARAMVALUE>\n";
}

}  // namespace

CimRequest encodeEnumerateInstancesRequest(Uint32 messageId, const CIMNamespaceName& nameSpace,
                                           const CIMName& className, Boolean deepInheritance,
                                           Boolean localOnly, Boolean includeQualifiers,
                                           Boolean includeClassOrigin,
                                           const CIMPropertyList& propertyList)
{
    CimRequest request{"EnumerateInstances", utf8(nameSpace.getString()), std::string()};
    std::string& out = request.body;
    beginIntrinsic(out, messageId, "EnumerateInstances", nameSpace);
    appendClassNameParameter(out, className);
    if (!deepInheritance)
        appendBooleanParameter(out, "DeepInheritance", false);
    appendRetrievalOptions(out, localOnly, includeQualifiers, includeClassOrigin, propertyList);
    endIntrinsic(out);
    return request;
}

CimRequest encodeGetInstanceRequest(Uint32 messageId, const CIMNamespaceName& nameSpace,
                                    const CIMObjectPath& instanceName, Boolean localOnly,
                                    Boolean includeQualifiers, Boolean includeClassOrigin,
                                    const CIMPropertyList& propertyList)
{
    CimRequest request{"GetInstance", utf8(nameSpace.getString()), std::string()};
    std::string& out = request.body;
    beginIntrinsic(out, messageId, "GetInstance", nameSpace);
    out += "<IPARAMVALUE NAME=\"InstanceName\">\n";
    appendInstanceName(out, instanceName);
    out += "</IPARAMVALUE>\n";
    appendRetrievalOptions(out, localOnly, includeQualifiers, includeClassOrigin, propertyList);
    endIntrinsic(out);
    return request;
}

CimRequest encodeEnumerateInstanceNamesRequest(Uint32 messageId, const CIMNamespaceName& nameSpace,
                                               const CIMName& className)
{
    CimRequest request{"EnumerateInstanceNames", utf8(nameSpace.getString()), std::string()};
    beginIntrinsic(request.body, messageId, "EnumerateInstanceNames", nameSpace);
    appendClassNameParameter(request.body, className);
    endIntrinsic(request.body);
    return request;
}

CimRequest encodeInvokeMethodRequest(Uint32 messageId, const CIMNamespaceName& nameSpace,
                                     const CIMObjectPath& instanceName, const CIMName& methodName,
                                     const Array<CIMParamValue>& inParameters)
{
    // The CIMObject field names the instance without host or namespace.
    CIMObjectPath localName(String(), CIMNamespaceName(), instanceName.getClassName(),
                            instanceName.getKeyBindings());
    const std::string method = utf8(methodName.getString());
    CimRequest request{method,
                       utf8(nameSpace.getString()) + ":" + utf8(localName.toString()),
                       std::string()};
    std::string& out = request.body;
    appendMessageBegin(out, messageId);
    out += "<METHODCALL NAME=\"";
    out += method;
    out += "\">\n<LOCALINSTANCEPATH>\n";
    appendLocalNamespacePath(out, nameSpace);
    appendInstanceName(out, instanceName);
    out += "</LOCALINSTANCEPATH>\n";
    for (Uint32 i = 0; i < inParameters.size(); ++i)
    {
        const CIMParamValue& parameter = inParameters[i];
        const CIMValue value = parameter.getValue();
        out += "<PARAMVALUE NAME=\"";
        out += utf8(parameter.getParameterName());
        out += "\"";
        if (parameter.isTyped())
        {
            out += " PARAMTYPE=\"";
            const CIMType type = value.getType();
            out += type == CIMTYPE_OBJECT || type == CIMTYPE_INSTANCE ? "string"
                                                                       : cimTypeToString(type);
            out += "\"";
        }
        // Without these the server would take an embedded object for the
        // text it is sent as.
        Internal::appendEmbeddedObjectAttributes(out, value.getType());
        out += ">\n";
        Internal::appendValueElement(out, value);
        out += "</PARAMVALUE>\n";
    }
    out += "</METHODCALL>\n";
    appendMessageEnd(out);
    return request;
}

HttpRequest makeHttpRequest(const CimRequest& request, const std::string& hostField,
                            const std::string& authorization)
{
    char length[16];
    std::snprintf(length, sizeof length, "%010zu", request.body.size());
    HttpRequest http;
    http.headers = {
        {"HOST", hostField},
        {"Content-Type", "application/xml; charset=utf-8"},
        {"content-length", length},
        {"TE", "chunked, trailers"},
        {"CIMOperation", "MethodCall"},
        {"CIMMethod", encodeUriCharacters(request.cimMethod)},
        {"CIMObject", encodeUriCharacters(request.cimObject)},
    };
    if (!authorization.empty())
        http.headers.push_back({"Authorization", authorization});
    http.body = request.body;
    return http;
}

}  // namespace ClientDetail
}  // namespace Pegasus
