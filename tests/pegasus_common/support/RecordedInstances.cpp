#include "RecordedInstances.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <pugixml.hpp>

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMValue.h>

using namespace Pegasus;

namespace recorded {

namespace {

CIMType typeNamed(const std::string& name)
{
    for (int t = CIMTYPE_BOOLEAN; t <= CIMTYPE_INSTANCE; t++)
    {
        if (name == cimTypeToString(CIMType(t)))
            return CIMType(t);
    }
    throw std::runtime_error("unknown CIM type " + name);
}

template<class T>
T integerOf(const std::string& text)
{
    return text[0] == '-' ? T(std::strtoll(text.c_str(), nullptr, 10))
                          : T(std::strtoull(text.c_str(), nullptr, 10));
}

template<class T>
void appendTo(CIMValue& array, const T& element)
{
    Array<T> items;
    array.get(items);
    items.append(element);
    array.set(items);
}

CIMValue emptyArrayOf(CIMType type)
{
    switch (type)
    {
    case CIMTYPE_BOOLEAN: return CIMValue(Array<Boolean>());
    case CIMTYPE_UINT8: return CIMValue(Array<Uint8>());
    case CIMTYPE_SINT8: return CIMValue(Array<Sint8>());
    case CIMTYPE_UINT16: return CIMValue(Array<Uint16>());
    case CIMTYPE_SINT16: return CIMValue(Array<Sint16>());
    case CIMTYPE_UINT32: return CIMValue(Array<Uint32>());
    case CIMTYPE_SINT32: return CIMValue(Array<Sint32>());
    case CIMTYPE_UINT64: return CIMValue(Array<Uint64>());
    case CIMTYPE_SINT64: return CIMValue(Array<Sint64>());
    case CIMTYPE_REAL32: return CIMValue(Array<Real32>());
    case CIMTYPE_REAL64: return CIMValue(Array<Real64>());
    case CIMTYPE_CHAR16: return CIMValue(Array<Char16>());
    case CIMTYPE_STRING: return CIMValue(Array<String>());
    case CIMTYPE_DATETIME: return CIMValue(Array<CIMDateTime>());
    default:
        throw std::runtime_error(std::string("no array of ") + cimTypeToString(type));
    }
}

CIMObjectPath pathOf(const pugi::xml_node& instanceName);

// One element of type `type` written as `text`, added to `target` (an
// array value) or stored in it (a scalar).
void store(CIMValue& target, CIMType type, bool isArray, const std::string& text)
{
#define RECORDED_STORE(T, EXPR)          \
    {                                    \
        T element = EXPR;                \
        if (isArray)                     \
            appendTo(target, element);   \
        else                             \
            target.set(element);         \
        return;                          \
    }
    switch (type)
    {
    case CIMTYPE_BOOLEAN: RECORDED_STORE(Boolean, text == "TRUE")
    case CIMTYPE_UINT8: RECORDED_STORE(Uint8, integerOf<Uint8>(text))
    case CIMTYPE_SINT8: RECORDED_STORE(Sint8, integerOf<Sint8>(text))
    case CIMTYPE_UINT16: RECORDED_STORE(Uint16, integerOf<Uint16>(text))
    case CIMTYPE_SINT16: RECORDED_STORE(Sint16, integerOf<Sint16>(text))
    case CIMTYPE_UINT32: RECORDED_STORE(Uint32, integerOf<Uint32>(text))
    case CIMTYPE_SINT32: RECORDED_STORE(Sint32, integerOf<Sint32>(text))
    case CIMTYPE_UINT64: RECORDED_STORE(Uint64, integerOf<Uint64>(text))
    case CIMTYPE_SINT64: RECORDED_STORE(Sint64, integerOf<Sint64>(text))
    case CIMTYPE_REAL32: RECORDED_STORE(Real32, Real32(std::strtod(text.c_str(), nullptr)))
    case CIMTYPE_REAL64: RECORDED_STORE(Real64, std::strtod(text.c_str(), nullptr))
    case CIMTYPE_CHAR16: RECORDED_STORE(Char16, String(text.c_str())[0])
    case CIMTYPE_STRING: RECORDED_STORE(String, String(text.c_str()))
    case CIMTYPE_DATETIME: RECORDED_STORE(CIMDateTime, CIMDateTime(String(text.c_str())))
    default:
        throw std::runtime_error(std::string("no text form for ") + cimTypeToString(type));
    }
#undef RECORDED_STORE
}

CIMKeyBinding::Type keyTypeNamed(const std::string& valueType)
{
    if (valueType == "boolean")
        return CIMKeyBinding::BOOLEAN;
    if (valueType == "numeric")
        return CIMKeyBinding::NUMERIC;
    return CIMKeyBinding::STRING;
}

CIMObjectPath pathOf(const pugi::xml_node& instanceName)
{
    Array<CIMKeyBinding> keys;
    for (pugi::xml_node binding : instanceName.children("KEYBINDING"))
    {
        CIMName name(binding.attribute("NAME").value());
        if (pugi::xml_node keyValue = binding.child("KEYVALUE"))
        {
            keys.append(CIMKeyBinding(name, String(keyValue.text().get()),
                keyTypeNamed(keyValue.attribute("VALUETYPE").value())));
        }
        else
        {
            CIMObjectPath target =
                pathOf(binding.child("VALUE.REFERENCE").child("INSTANCENAME"));
            keys.append(CIMKeyBinding(name, target.toString(), CIMKeyBinding::REFERENCE));
        }
    }
    return CIMObjectPath(String(), CIMNamespaceName(),
        CIMName(instanceName.attribute("CLASSNAME").value()), keys);
}

CIMProperty propertyOf(const pugi::xml_node& element)
{
    std::string kind = element.name();
    CIMName name(element.attribute("NAME").value());
    if (kind == "PROPERTY.REFERENCE")
    {
        CIMName referenceClass(element.attribute("REFERENCECLASS").value());
        pugi::xml_node target = element.child("VALUE.REFERENCE").child("INSTANCENAME");
        CIMValue value = target ? CIMValue(pathOf(target))
                                : CIMValue(CIMTYPE_REFERENCE, false);
        return CIMProperty(name, value, 0, referenceClass);
    }
    CIMType type = typeNamed(element.attribute("TYPE").value());
    bool isArray = kind == "PROPERTY.ARRAY";
    CIMValue value(type, isArray);
    if (isArray)
    {
        // No VALUE.ARRAY: a null array; an empty one: an empty array.
        if (pugi::xml_node items = element.child("VALUE.ARRAY"))
        {
            value = emptyArrayOf(type);
            for (pugi::xml_node item : items.children("VALUE"))
                store(value, type, true, item.text().get());
        }
    }
    else if (pugi::xml_node item = element.child("VALUE"))
    {
        store(value, type, false, item.text().get());
    }
    return CIMProperty(name, value);
}

}  // namespace

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string httpBody(const std::string& response)
{
    size_t headerEnd = response.find("\r\n\r\n");
    if (headerEnd == std::string::npos)
        throw std::runtime_error("no end of HTTP headers");
    std::string headers = response.substr(0, headerEnd);
    std::string rest = response.substr(headerEnd + 4);
    if (headers.find("chunked") == std::string::npos)
        return rest;
    std::string body;
    size_t p = 0;
    while (true)
    {
        size_t lineEnd = rest.find("\r\n", p);
        size_t size = std::strtoul(rest.substr(p, lineEnd - p).c_str(), nullptr, 16);
        if (size == 0)
            return body;
        body.append(rest, lineEnd + 2, size);
        p = lineEnd + 2 + size + 2;
    }
}

std::vector<CIMInstance> readInstances(const std::string& xml)
{
    pugi::xml_document document;
    pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size());
    if (!parsed)
        throw std::runtime_error(std::string("XML: ") + parsed.description());
    std::vector<CIMInstance> instances;
    for (pugi::xpath_node named : document.select_nodes("//VALUE.NAMEDINSTANCE"))
    {
        pugi::xml_node instanceNode = named.node().child("INSTANCE");
        CIMInstance instance(CIMName(instanceNode.attribute("CLASSNAME").value()));
        for (pugi::xml_node element : instanceNode.children())
        {
            std::string kind = element.name();
            if (kind.rfind("PROPERTY", 0) == 0)
                instance.addProperty(propertyOf(element));
        }
        instance.setPath(pathOf(named.node().child("INSTANCENAME")));
        instances.push_back(instance);
    }
    return instances;
}

}  // namespace recorded
