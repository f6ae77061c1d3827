#include "CimXmlWriter.h"

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>

PEGASUS_NAMESPACE_BEGIN

namespace Internal {

namespace {

std::string utf8(const String& text)
{
    return std::string(static_cast<const char*>(text.getCString()));
}

void appendEscaped(std::string& out, const String& text)
{
    appendXmlEscaped(out, utf8(text));
}

void appendName(std::string& out, const CIMName& name)
{
    out += utf8(name.getString());
}

const char* keyValueType(CIMKeyBinding::Type type)
{
    switch (type)
    {
        case CIMKeyBinding::BOOLEAN: return "boolean";
        case CIMKeyBinding::NUMERIC: return "numeric";
        default: return "string";
    }
}

// INSTANCEPATH, LOCALINSTANCEPATH or INSTANCENAME, by how much of the path
// is known.
void appendInstancePath(std::string& out, const CIMObjectPath& path)
{
    if (path.getHost().size() != 0)
    {
        out += "<INSTANCEPATH>\n<NAMESPACEPATH>\n<HOST>";
        out += utf8(path.getHost());
        out += "</HOST>\n";
        appendLocalNamespacePath(out, path.getNameSpace());
        out += "</NAMESPACEPATH>\n";
        appendInstanceName(out, path);
        out += "</INSTANCEPATH>\n";
    }
    else if (!path.getNameSpace().isNull())
    {
        out += "<LOCALINSTANCEPATH>\n";
        appendLocalNamespacePath(out, path.getNameSpace());
        appendInstanceName(out, path);
        out += "</LOCALINSTANCEPATH>\n";
    }
    else
    {
        appendInstanceName(out, path);
    }
}

// Text of one element as OpenPegasus writes it: toString() renders numbers,
// booleans (TRUE/FALSE), char16, strings, datetimes and embedded objects
// the same way.
template <typename T>
void appendArrayElements(std::string& out, const CIMValue& value)
{
    Array<T> items;
    value.get(items);
    out += "<VALUE.ARRAY>\n";
    for (Uint32 i = 0; i < items.size(); ++i)
    {
        out += "<VALUE>";
        appendEscaped(out, CIMValue(items[i]).toString());
        out += "</VALUE>\n";
    }
    out += "</VALUE.ARRAY>\n";
}

bool isEmbedded(CIMType type)
{
    return type == CIMTYPE_OBJECT || type == CIMTYPE_INSTANCE;
}

// TYPE="...", with embedded objects written as strings.
void appendTypeAttribute(std::string& out, CIMType type)
{
    out += " TYPE=\"";
    out += isEmbedded(type) ? "string" : cimTypeToString(type);
    out += "\"";
    appendEmbeddedObjectAttributes(out, type);
}

void appendOrigin(std::string& out, const CIMConstProperty& property)
{
    if (!property.getClassOrigin().isNull())
    {
        out += " CLASSORIGIN=\"";
        appendName(out, property.getClassOrigin());
        out += "\"";
    }
    if (property.getPropagated())
        out += " PROPAGATED=\"true\"";
}

void appendQualifierElement(std::string& out, const CIMConstQualifier& qualifier)
{
    out += "<QUALIFIER NAME=\"";
    appendName(out, qualifier.getName());
    out += "\" TYPE=\"";
    out += cimTypeToString(qualifier.getType());
    out += "\"";
    if (qualifier.getPropagated())
        out += " PROPAGATED=\"true\"";
    const CIMFlavor& flavor = qualifier.getFlavor();
    if (!flavor.hasFlavor(CIMFlavor::OVERRIDABLE))
        out += " OVERRIDABLE=\"false\"";
    if (!flavor.hasFlavor(CIMFlavor::TOSUBCLASS))
        out += " TOSUBCLASS=\"false\"";
    if (flavor.hasFlavor(CIMFlavor::TOINSTANCE))
        out += " TOINSTANCE=\"true\"";
    if (flavor.hasFlavor(CIMFlavor::TRANSLATABLE))
        out += " TRANSLATABLE=\"true\"";
    out += ">\n";
    appendValueElement(out, qualifier.getValue());
    out += "</QUALIFIER>\n";
}

void appendPropertyElement(std::string& out, const CIMConstProperty& property)
{
    const CIMValue& value = property.getValue();
    const char* element;
    out += "<";
    if (property.getType() == CIMTYPE_REFERENCE)
    {
        element = "PROPERTY.REFERENCE";
        out += element;
        out += " NAME=\"";
        appendName(out, property.getName());
        out += "\" ";
        if (!property.getReferenceClassName().isNull())
        {
            out += " REFERENCECLASS=\"";
            appendName(out, property.getReferenceClassName());
            out += "\"";
        }
        appendOrigin(out, property);
    }
    else if (property.isArray())
    {
        element = "PROPERTY.ARRAY";
        out += element;
        out += " NAME=\"";
        appendName(out, property.getName());
        out += "\" ";
        appendTypeAttribute(out, property.getType());
        appendOrigin(out, property);
    }
    else
    {
        element = "PROPERTY";
        out += element;
        out += " NAME=\"";
        appendName(out, property.getName());
        out += "\" ";
        appendOrigin(out, property);
        appendTypeAttribute(out, property.getType());
    }
    out += ">\n";
    for (Uint32 i = 0; i < property.getQualifierCount(); ++i)
        appendQualifierElement(out, property.getQualifier(i));
    appendValueElement(out, value);
    out += "</";
    out += element;
    out += ">\n";
}

}  // namespace

void appendXmlEscaped(std::string& out, std::string_view text)
{
    const std::size_t size = text.size();
    for (std::size_t i = 0; i < size; ++i)
    {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c)
        {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            case ' ':
                if (i == 0 || i + 1 == size || text[i - 1] == ' ')
                    out += "&#32;";
                else
                    out += ' ';
                break;
            default:
                if (c < 0x20 || c == 0x7F)
                {
                    out += "&#";
                    out += std::to_string(c);
                    out += ';';
                }
                else
                {
                    out += static_cast<char>(c);
                }
        }
    }
}

void appendLocalNamespacePath(std::string& out, const CIMNamespaceName& nameSpace)
{
    out += "<LOCALNAMESPACEPATH>\n";
    const std::string text = utf8(nameSpace.getString());
    std::size_t start = 0;
    while (start <= text.size())
    {
        std::size_t slash = text.find('/', start);
        if (slash == std::string::npos)
            slash = text.size();
        if (slash > start)
        {
            out += "<NAMESPACE NAME=\"";
            out.append(text, start, slash - start);
            out += "\"/>\n";
        }
        start = slash + 1;
    }
    out += "</LOCALNAMESPACEPATH>\n";
}

void appendInstanceName(std::string& out, const CIMObjectPath& path)
{
    out += "<INSTANCENAME CLASSNAME=\"";
    appendName(out, path.getClassName());
    out += "\">\n";
    const Array<CIMKeyBinding>& keys = path.getKeyBindings();
    for (Uint32 i = 0; i < keys.size(); ++i)
    {
        out += "<KEYBINDING NAME=\"";
        appendName(out, keys[i].getName());
        out += "\">\n";
        if (keys[i].getType() == CIMKeyBinding::REFERENCE)
        {
            appendValueReference(out, CIMObjectPath(keys[i].getValue()));
        }
        else
        {
            out += "<KEYVALUE VALUETYPE=\"";
            out += keyValueType(keys[i].getType());
            out += "\">";
            appendEscaped(out, keys[i].getValue());
            out += "</KEYVALUE>\n";
        }
        out += "</KEYBINDING>\n";
    }
    out += "</INSTANCENAME>\n";
}

void appendValueReference(std::string& out, const CIMObjectPath& path)
{
    out += "<VALUE.REFERENCE>\n";
    appendInstancePath(out, path);
    out += "</VALUE.REFERENCE>\n";
}

void appendValueElement(std::string& out, const CIMValue& value)
{
    if (value.isNull())
        return;
    if (!value.isArray())
    {
        if (value.getType() == CIMTYPE_REFERENCE)
        {
            CIMObjectPath path;
            value.get(path);
            appendValueReference(out, path);
            return;
        }
        out += "<VALUE>";
        appendEscaped(out, value.toString());
        out += "</VALUE>\n";
        return;
    }
    switch (value.getType())
    {
        case CIMTYPE_BOOLEAN: appendArrayElements<Boolean>(out, value); break;
        case CIMTYPE_UINT8: appendArrayElements<Uint8>(out, value); break;
        case CIMTYPE_SINT8: appendArrayElements<Sint8>(out, value); break;
        case CIMTYPE_UINT16: appendArrayElements<Uint16>(out, value); break;
        case CIMTYPE_SINT16: appendArrayElements<Sint16>(out, value); break;
        case CIMTYPE_UINT32: appendArrayElements<Uint32>(out, value); break;
        case CIMTYPE_SINT32: appendArrayElements<Sint32>(out, value); break;
        case CIMTYPE_UINT64: appendArrayElements<Uint64>(out, value); break;
        case CIMTYPE_SINT64: appendArrayElements<Sint64>(out, value); break;
        case CIMTYPE_REAL32: appendArrayElements<Real32>(out, value); break;
        case CIMTYPE_REAL64: appendArrayElements<Real64>(out, value); break;
        case CIMTYPE_CHAR16: appendArrayElements<Char16>(out, value); break;
        case CIMTYPE_STRING: appendArrayElements<String>(out, value); break;
        case CIMTYPE_DATETIME: appendArrayElements<CIMDateTime>(out, value); break;
        case CIMTYPE_OBJECT: appendArrayElements<CIMObject>(out, value); break;
        case CIMTYPE_INSTANCE: appendArrayElements<CIMInstance>(out, value); break;
        case CIMTYPE_REFERENCE:
        {
            Array<CIMObjectPath> paths;
            value.get(paths);
            out += "<VALUE.REFARRAY>\n";
            for (Uint32 i = 0; i < paths.size(); ++i)
                appendValueReference(out, paths[i]);
            out += "</VALUE.REFARRAY>\n";
            break;
        }
    }
}

void appendEmbeddedObjectAttributes(std::string& out, CIMType type)
{
    if (type == CIMTYPE_OBJECT)
        out += " EmbeddedObject=\"object\" EMBEDDEDOBJECT=\"object\"";
    else if (type == CIMTYPE_INSTANCE)
        out += " EmbeddedObject=\"instance\" EMBEDDEDOBJECT=\"instance\"";
}

void appendObjectElement(std::string& out, const CIMConstObject& object)
{
    out += "<INSTANCE CLASSNAME=\"";
    appendName(out, object.getClassName());
    out += "\" >\n";
    for (Uint32 i = 0; i < object.getQualifierCount(); ++i)
        appendQualifierElement(out, object.getQualifier(i));
    for (Uint32 i = 0; i < object.getPropertyCount(); ++i)
        appendPropertyElement(out, object.getProperty(i));
    out += "</INSTANCE>\n";
}

}  // namespace Internal

PEGASUS_NAMESPACE_END
