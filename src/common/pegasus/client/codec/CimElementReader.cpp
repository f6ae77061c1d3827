#include "CimElementReader.h"

#include "ValueParser.h"

#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/Exception.h>

#include <memory>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

namespace {

CIMType typeAttribute(XmlCursor& cursor, std::string_view attributeName)
{
    std::string_view typeName = cursor.requiredAttribute(attributeName);
    CIMType type;
    if (!parseCimTypeName(typeName, type))
        cursor.fail("unknown CIM type \"" + std::string(typeName) + "\"");
    return type;
}

bool booleanAttribute(XmlCursor& cursor, std::string_view attributeName, bool defaultValue)
{
    std::string_view text;
    if (!cursor.attribute(attributeName, text))
        return defaultValue;
    if (text == "true" || text == "TRUE")
        return true;
    if (text == "false" || text == "FALSE")
        return false;
    cursor.fail("attribute " + std::string(attributeName) + "=\"" + std::string(text) +
                "\" is neither true nor false");
}

// Names are validated by CIMName; a server that sends an invalid one sent
// malformed CIM-XML.
const CIMName& nameAttribute(XmlCursor& cursor, std::string_view attributeName)
{
    return cursor.cache().name(cursor.requiredAttribute(attributeName), [&](std::string_view text) {
        try
        {
            return CIMName(makeString(text));
        }
        catch (const Exception&)
        {
            cursor.fail("\"" + std::string(text) + "\" is not a valid CIM name");
        }
    });
}

CIMName optionalNameAttribute(XmlCursor& cursor, std::string_view attributeName)
{
    std::string_view text;
    if (!cursor.attribute(attributeName, text) || text.empty())
        return CIMName();
    return nameAttribute(cursor, attributeName);
}

[[noreturn]] void rejectValue(XmlCursor& cursor, const ValueSyntaxError& error)
{
    if (error.outOfRange)
        cursor.refuse(error.reason);
    cursor.fail(error.reason);
}

CIMValue scalarFromText(XmlCursor& cursor, CIMType type, std::string_view text)
{
    try
    {
        return parseScalarValue(type, text);
    }
    catch (const ValueSyntaxError& error)
    {
        rejectValue(cursor, error);
    }
}

bool isEmbedded(CIMType type)
{
    return type == CIMTYPE_OBJECT || type == CIMTYPE_INSTANCE;
}

// The text of an embedded object's VALUE is an INSTANCE element of its
// own, escaped or in CDATA (the reader has undone either), itself holding
// embedded objects at any depth. Empty text gives an uninitialized
// instance (a null value).
CIMInstance embeddedFromText(XmlCursor& cursor, std::string_view text)
{
    if (text.empty())
        return CIMInstance();
    std::string document(text);  // parsed in place
    XmlCursor inner(document.data(), document.size(), cursor.position(), cursor.where(),
                    cursor.cache());
    if (!inner.nextTagOrEnd() || !inner.atStart("INSTANCE"))
    {
        if (inner.atStart("CLASS"))
            inner.fail("an embedded class is not supported, only an embedded instance");
        inner.unexpected("<INSTANCE> in the embedded object");
    }
    CIMInstance instance = readInstance(inner);
    if (inner.nextTagOrEnd())
        inner.unexpected("nothing after the embedded <INSTANCE>");
    return instance;
}

CIMValue valueFromText(XmlCursor& cursor, CIMType type, std::string_view text)
{
    if (!isEmbedded(type))
        return scalarFromText(cursor, type, text);
    const CIMInstance instance = embeddedFromText(cursor, text);
    if (instance.isUninitialized())
        return CIMValue(type, false);
    return type == CIMTYPE_INSTANCE ? CIMValue(instance) : CIMValue(CIMObject(instance));
}

template <typename T>
CIMValue embeddedArray(XmlCursor& cursor, const std::vector<std::string>& texts)
{
    Array<T> items;
    items.reserveCapacity(static_cast<Uint32>(texts.size()));
    for (const std::string& text : texts)
    {
        const CIMInstance instance = embeddedFromText(cursor, text);
        if (instance.isUninitialized())
            cursor.fail("an array of embedded objects holds an empty <VALUE>");
        items.append(T(instance));
    }
    return CIMValue(items);
}

enum class Embedding
{
    None,
    Object,
    Instance
};

// The EmbeddedObject attribute (also in the upper-case spelling of older
// OpenPegasus servers).
Embedding embeddingAttribute(XmlCursor& cursor)
{
    std::string_view text;
    if (!cursor.attribute("EmbeddedObject", text) && !cursor.attribute("EMBEDDEDOBJECT", text))
        return Embedding::None;
    if (text == "object")
        return Embedding::Object;
    if (text == "instance")
        return Embedding::Instance;
    cursor.fail("EmbeddedObject=\"" + std::string(text) + "\" is neither object nor instance");
}

// The older form: a string property with an EmbeddedObject (true) or
// EmbeddedInstance (a class name) qualifier.
Embedding embeddingQualifiers(const std::vector<CIMQualifier>& qualifiers)
{
    static const CIMName embeddedObject("EmbeddedObject");
    static const CIMName embeddedInstance("EmbeddedInstance");
    Embedding found = Embedding::None;
    for (const CIMQualifier& qualifier : qualifiers)
    {
        const CIMValue& value = qualifier.getValue();
        if (value.isNull() || value.isArray())
            continue;
        if (value.getType() == CIMTYPE_BOOLEAN && qualifier.getName() == embeddedObject)
        {
            Boolean on = false;
            value.get(on);
            if (on)
                return Embedding::Object;
        }
        else if (value.getType() == CIMTYPE_STRING && qualifier.getName() == embeddedInstance)
        {
            String className;
            value.get(className);
            if (className.size() != 0)
                found = Embedding::Instance;
        }
    }
    return found;
}

// The type the value is read as: an embedded object is declared a string.
CIMType valueType(XmlCursor& cursor, Embedding attribute,
                  const std::vector<CIMQualifier>& qualifiers, CIMType declared)
{
    Embedding embedding = attribute;
    if (embedding != Embedding::Object && !qualifiers.empty())
    {
        const Embedding qualified = embeddingQualifiers(qualifiers);
        if (qualified != Embedding::None)
            embedding = qualified;
    }
    if (embedding == Embedding::None)
        return declared;
    if (declared != CIMTYPE_STRING)
    {
        cursor.fail(std::string("an embedded object must be declared a string, not a ") +
                    cimTypeToString(declared));
    }
    return embedding == Embedding::Object ? CIMTYPE_OBJECT : CIMTYPE_INSTANCE;
}

// Qualifier values repeat on every instance of a class: decoded once.
CIMValue sharedScalarFromText(XmlCursor& cursor, CIMType type, std::string_view text)
{
    return cursor.cache().scalar(type, text, [&]() { return scalarFromText(cursor, type, text); });
}

// At VALUE.ARRAY: the values of its VALUE children (VALUE.NULL entries are
// not representable in a CIMValue array and are skipped).
CIMValue readValueArray(XmlCursor& cursor, CIMType type)
{
    std::vector<std::string_view>& texts = cursor.cache().arrayTexts();
    std::vector<std::unique_ptr<std::string>> joined;  // owners of texts readText joined
    const bool plain = cursor.readChildTexts("VALUE", texts);
    while (!plain)
    {
        cursor.nextTag();
        if (cursor.atEnd("VALUE.ARRAY"))
            break;
        if (cursor.atStart("VALUE"))
        {
            std::string_view text = cursor.readText();
            if (cursor.textIsTransient())
            {
                joined.push_back(std::make_unique<std::string>(text));
                text = *joined.back();
            }
            texts.push_back(text);
            continue;
        }
        if (cursor.atStart("VALUE.NULL"))
        {
            cursor.skipElement();
            continue;
        }
        cursor.unexpected("<VALUE> in <VALUE.ARRAY>");
    }
    if (isEmbedded(type))
    {
        // Copied: decoding them reuses the cache's list of texts.
        const std::vector<std::string> owned(texts.begin(), texts.end());
        return type == CIMTYPE_INSTANCE ? embeddedArray<CIMInstance>(cursor, owned)
                                        : embeddedArray<CIMObject>(cursor, owned);
    }
    return cursor.cache().value(type, true, texts, [&]() {
        try
        {
            return parseArrayValue(type, texts);
        }
        catch (const ValueSyntaxError& error)
        {
            rejectValue(cursor, error);
        }
    });
}

CIMValue readValueRefArray(XmlCursor& cursor)
{
    Array<CIMObjectPath> paths;
    for (;;)
    {
        cursor.nextTag();
        if (cursor.atEnd("VALUE.REFARRAY"))
            break;
        if (!cursor.atStart("VALUE.REFERENCE"))
            cursor.unexpected("<VALUE.REFERENCE> in <VALUE.REFARRAY>");
        paths.append(readValueReference(cursor));
    }
    return CIMValue(paths);
}

CIMFlavor readFlavor(XmlCursor& cursor)
{
    CIMFlavor flavor;
    flavor.addFlavor(booleanAttribute(cursor, "OVERRIDABLE", true) ? CIMFlavor::OVERRIDABLE
                                                                    : CIMFlavor::DISABLEOVERRIDE);
    flavor.addFlavor(booleanAttribute(cursor, "TOSUBCLASS", true) ? CIMFlavor::TOSUBCLASS
                                                                   : CIMFlavor::RESTRICTED);
    if (booleanAttribute(cursor, "TOINSTANCE", false))
        flavor.addFlavor(CIMFlavor::TOINSTANCE);
    if (booleanAttribute(cursor, "TRANSLATABLE", false))
        flavor.addFlavor(CIMFlavor::TRANSLATABLE);
    return flavor;
}

DecodeCache::QualifierParts readQualifierParts(XmlCursor& cursor)
{
    // Classes repeat the same qualifiers (ValueMap, Values) on the same
    // property of every instance, written byte for byte alike: one read of
    // each distinct text, and every qualifier gets its own rep.
    std::string_view written;
    const bool haveWritten = cursor.rawElement(written);
    if (haveWritten)
    {
        if (const DecodeCache::QualifierParts* known = cursor.cache().findQualifier(written))
        {
            cursor.skipElement();
            return *known;
        }
    }
    DecodeCache::QualifierParts parts;
    parts.name = nameAttribute(cursor, "NAME");
    CIMType type = typeAttribute(cursor, "TYPE");
    parts.propagated = booleanAttribute(cursor, "PROPAGATED", false);
    parts.flavor = readFlavor(cursor);
    parts.value = CIMValue(type, false);
    for (;;)
    {
        cursor.nextTag();
        if (cursor.atEnd("QUALIFIER"))
            break;
        if (cursor.atStart("VALUE"))
            parts.value = sharedScalarFromText(cursor, type, cursor.readText());
        else if (cursor.atStart("VALUE.ARRAY"))
            parts.value = readValueArray(cursor, type);
        else
            cursor.unexpected("<VALUE> or <VALUE.ARRAY> in <QUALIFIER>");
    }
    if (haveWritten)
        cursor.cache().addQualifier(written, parts);
    return parts;
}

// The qualifiers of a run taken out of the response, decoded the first time
// the run is read.
const std::vector<DecodeCache::QualifierParts>& runQualifiers(XmlCursor& cursor,
                                                              RepeatedElementMemo::QualifierRun& run)
{
    if (!run.decoded)
    {
        run.qualifiers.clear();
        std::string copy(run.written);  // parsed in place
        XmlCursor inner(copy.data(), copy.size(), run.offset, cursor.where(), cursor.cache());
        while (inner.nextTagOrEnd())
        {
            if (!inner.atStart("QUALIFIER"))
                inner.unexpected("<QUALIFIER>");
            run.qualifiers.push_back(readQualifierParts(inner));
        }
        run.decoded = true;
    }
    return run.qualifiers;
}

// At a QUALIFIER element: calls `add` with each qualifier it stands for
// (a whole run when it holds the place of one), each with its own rep.
template <typename Add>
void readQualifiers(XmlCursor& cursor, Add add)
{
    if (RepeatedElementMemo::QualifierRun* run = cursor.qualifierRun())
    {
        for (const DecodeCache::QualifierParts& parts : runQualifiers(cursor, *run))
            add(CIMQualifier(parts.name, parts.value, parts.flavor, parts.propagated));
        cursor.skipElement();
        return;
    }
    const DecodeCache::QualifierParts parts = readQualifierParts(cursor);
    add(CIMQualifier(parts.name, parts.value, parts.flavor, parts.propagated));
}

// Reads the children of PROPERTY, PROPERTY.ARRAY or PROPERTY.REFERENCE:
// qualifiers first, then at most one value element.
// Qualifier and property names must be unique within their element.
template <typename Container, typename Item>
void addUnique(XmlCursor& cursor, Container& container, const Item& item, const char* what)
{
    try
    {
        container.addQualifier(item);
    }
    catch (const AlreadyExistsException&)
    {
        cursor.fail(std::string("duplicate ") + what + " \"" +
                    std::string(item.getName().getString().getCString()) + "\"");
    }
}

// Reads the children of PROPERTY, PROPERTY.ARRAY or PROPERTY.REFERENCE:
// qualifiers first, then at most one value element. The qualifiers read
// so far are handed to `readValue`, as they may say that a string holds
// an embedded object; `typeOfNull` gives the type of the value when there
// is none.
template <typename ReadValue, typename TypeOfNull>
CIMProperty readPropertyBody(XmlCursor& cursor, std::string_view element, const CIMName& name,
                             bool isArray, const CIMName& referenceClass, ReadValue readValue,
                             TypeOfNull typeOfNull)
{
    CIMName classOrigin = optionalNameAttribute(cursor, "CLASSORIGIN");
    bool propagated = booleanAttribute(cursor, "PROPAGATED", false);
    std::vector<CIMQualifier> qualifiers;
    CIMValue value;
    bool present = false;
    for (;;)
    {
        cursor.nextTag();
        if (cursor.atEnd(element))
            break;
        if (cursor.atStart("QUALIFIER"))
            readQualifiers(cursor, [&](CIMQualifier qualifier) { qualifiers.push_back(std::move(qualifier)); });
        else if (readValue(value, qualifiers))
            present = true;
        else
            cursor.unexpected("a qualifier or value in <" + std::string(element) + ">");
    }
    if (!present)
        value = CIMValue(typeOfNull(qualifiers), isArray);
    CIMProperty property(name, value, 0, referenceClass, classOrigin, propagated);
    for (const CIMQualifier& qualifier : qualifiers)
        addUnique(cursor, property, qualifier, "qualifier");
    return property;
}

CIMProperty readProperty(XmlCursor& cursor)
{
    CIMName name = nameAttribute(cursor, "NAME");
    CIMType type = typeAttribute(cursor, "TYPE");
    const Embedding embedding = embeddingAttribute(cursor);
    return readPropertyBody(
        cursor, "PROPERTY", name, false, CIMName(),
        [&](CIMValue& value, const std::vector<CIMQualifier>& qualifiers) {
            if (!cursor.atStart("VALUE"))
                return false;
            const CIMType read = valueType(cursor, embedding, qualifiers, type);
            value = valueFromText(cursor, read, cursor.readText());
            return true;
        },
        [&](const std::vector<CIMQualifier>& qualifiers) {
            return valueType(cursor, embedding, qualifiers, type);
        });
}

CIMProperty readPropertyArray(XmlCursor& cursor)
{
    CIMName name = nameAttribute(cursor, "NAME");
    CIMType type = typeAttribute(cursor, "TYPE");
    const Embedding embedding = embeddingAttribute(cursor);
    return readPropertyBody(
        cursor, "PROPERTY.ARRAY", name, true, CIMName(),
        [&](CIMValue& value, const std::vector<CIMQualifier>& qualifiers) {
            if (!cursor.atStart("VALUE.ARRAY"))
                return false;
            value = readValueArray(cursor, valueType(cursor, embedding, qualifiers, type));
            return true;
        },
        [&](const std::vector<CIMQualifier>& qualifiers) {
            return valueType(cursor, embedding, qualifiers, type);
        });
}

CIMProperty readPropertyReference(XmlCursor& cursor)
{
    CIMName name = nameAttribute(cursor, "NAME");
    CIMName referenceClass = optionalNameAttribute(cursor, "REFERENCECLASS");
    return readPropertyBody(
        cursor, "PROPERTY.REFERENCE", name, false, referenceClass,
        [&](CIMValue& value, const std::vector<CIMQualifier>&) {
            if (!cursor.atStart("VALUE.REFERENCE"))
                return false;
            value = CIMValue(readValueReference(cursor));
            return true;
        },
        [](const std::vector<CIMQualifier>&) { return CIMTYPE_REFERENCE; });
}

CIMKeyBinding::Type keyValueType(XmlCursor& cursor)
{
    std::string_view type;
    if (!cursor.attribute("VALUETYPE", type) || type == "string")
        return CIMKeyBinding::STRING;
    if (type == "boolean")
        return CIMKeyBinding::BOOLEAN;
    if (type == "numeric")
        return CIMKeyBinding::NUMERIC;
    cursor.fail("unknown key VALUETYPE \"" + std::string(type) + "\"");
}

CIMKeyBinding readKeyBinding(XmlCursor& cursor)
{
    CIMName name = nameAttribute(cursor, "NAME");
    cursor.nextTag();
    CIMKeyBinding binding;
    if (cursor.atStart("KEYVALUE"))
    {
        CIMKeyBinding::Type type = keyValueType(cursor);
        binding = CIMKeyBinding(name, makeString(cursor.readText()), type);
    }
    else if (cursor.atStart("VALUE.REFERENCE"))
    {
        binding = CIMKeyBinding(name, CIMValue(readValueReference(cursor)));
    }
    else
    {
        cursor.unexpected("<KEYVALUE> or <VALUE.REFERENCE> in <KEYBINDING>");
    }
    cursor.leave("KEYBINDING");
    return binding;
}

String readNamespacePath(XmlCursor& cursor, std::string_view closing)
{
    // At LOCALNAMESPACEPATH: NAMESPACE elements joined by '/'.
    String nameSpace;
    for (;;)
    {
        cursor.nextTag();
        if (cursor.atEnd(closing))
            break;
        if (!cursor.atStart("NAMESPACE"))
            cursor.unexpected("<NAMESPACE>");
        if (nameSpace.size() != 0)
            nameSpace.append(Char16('/'));
        nameSpace.append(makeString(cursor.requiredAttribute("NAME")));
        cursor.leave("NAMESPACE");
    }
    return nameSpace;
}

CIMNamespaceName toNamespace(XmlCursor& cursor, const String& text)
{
    try
    {
        return CIMNamespaceName(text);
    }
    catch (const Exception&)
    {
        cursor.fail("\"" + std::string(text.getCString()) + "\" is not a valid namespace name");
    }
}

CIMObjectPath readLocalInstancePath(XmlCursor& cursor)
{
    cursor.enter("LOCALNAMESPACEPATH");
    CIMNamespaceName nameSpace = toNamespace(cursor, readNamespacePath(cursor, "LOCALNAMESPACEPATH"));
    cursor.enter("INSTANCENAME");
    CIMObjectPath path = readInstanceName(cursor);
    cursor.leave("LOCALINSTANCEPATH");
    path.setNameSpace(nameSpace);
    return path;
}

// NAMESPACEPATH: HOST and LOCALNAMESPACEPATH.
void readFullNamespacePath(XmlCursor& cursor, String& host, CIMNamespaceName& nameSpace)
{
    cursor.enter("HOST");
    host = makeString(cursor.readText());
    cursor.enter("LOCALNAMESPACEPATH");
    nameSpace = toNamespace(cursor, readNamespacePath(cursor, "LOCALNAMESPACEPATH"));
    cursor.leave("NAMESPACEPATH");
}

CIMObjectPath readClassPath(XmlCursor& cursor, std::string_view element)
{
    // CLASSPATH (NAMESPACEPATH, CLASSNAME) or LOCALCLASSPATH
    // (LOCALNAMESPACEPATH, CLASSNAME).
    String host;
    CIMNamespaceName nameSpace;
    cursor.nextTag();
    if (cursor.atStart("NAMESPACEPATH"))
        readFullNamespacePath(cursor, host, nameSpace);
    else if (cursor.atStart("LOCALNAMESPACEPATH"))
        nameSpace = toNamespace(cursor, readNamespacePath(cursor, "LOCALNAMESPACEPATH"));
    else
        cursor.unexpected("a namespace path");
    cursor.enter("CLASSNAME");
    CIMName className = nameAttribute(cursor, "NAME");
    cursor.leave("CLASSNAME");
    cursor.leave(element);
    return CIMObjectPath(host, nameSpace, className);
}

void addProperty(XmlCursor& cursor, CIMInstance& instance, const CIMProperty& property)
{
    try
    {
        instance.addProperty(property);
    }
    catch (const AlreadyExistsException&)
    {
        cursor.fail("duplicate property \"" +
                    std::string(property.getName().getString().getCString()) + "\"");
    }
}

// At PROPERTY, PROPERTY.ARRAY or PROPERTY.REFERENCE (false elsewhere).
bool readAnyProperty(XmlCursor& cursor, CIMProperty& property)
{
    if (cursor.atStart("PROPERTY"))
        property = readProperty(cursor);
    else if (cursor.atStart("PROPERTY.ARRAY"))
        property = readPropertyArray(cursor);
    else if (cursor.atStart("PROPERTY.REFERENCE"))
        property = readPropertyReference(cursor);
    else
        return false;
    return true;
}

// The first decoding of a repeated property: the model of its copies.
void keepModel(RepeatedElementMemo::Property& entry, const CIMProperty& property)
{
    entry.decoded = true;
    entry.cloneable = !isEmbedded(property.getType());
    if (entry.cloneable)
        entry.model = property.clone();
}

// A property taken out of the response as a copy of one decoded before:
// cloned from it, or decoded from its text where it cannot be.
CIMProperty repeatedProperty(XmlCursor& cursor, RepeatedElementMemo::Property& entry)
{
    if (entry.decoded && entry.cloneable)
        return entry.model.clone();
    std::string copy(entry.written);  // parsed in place
    XmlCursor inner(copy.data(), copy.size(), entry.offset, cursor.where(), cursor.cache());
    CIMProperty property;
    inner.nextTag();
    readAnyProperty(inner, property);
    if (!entry.decoded)
        keepModel(entry, property);
    return property;
}

void readInstanceContent(XmlCursor& cursor, CIMInstance& instance)
{
    for (;;)
    {
        cursor.nextTag();
        if (cursor.atEnd("INSTANCE"))
            break;
        if (const StrippedElements::PropertyRun* run = cursor.propertyRun())
        {
            for (RepeatedElementMemo::Property* entry : run->properties)
                addProperty(cursor, instance, repeatedProperty(cursor, *entry));
            cursor.skipElement();
            continue;
        }
        RepeatedElementMemo::Property* first = cursor.firstProperty();
        CIMProperty property;
        if (readAnyProperty(cursor, property))
        {
            if (first && !first->decoded)
                keepModel(*first, property);
            addProperty(cursor, instance, property);
        }
        else if (cursor.atStart("QUALIFIER"))
            readQualifiers(cursor, [&](const CIMQualifier& qualifier) {
                addUnique(cursor, instance, qualifier, "qualifier");
            });
        else
            cursor.unexpected("a property or qualifier in <INSTANCE>");
    }
}

}  // namespace

CIMInstance readInstance(XmlCursor& cursor)
{
    CIMInstance instance(nameAttribute(cursor, "CLASSNAME"));
    readInstanceContent(cursor, instance);
    return instance;
}

CIMInstance readNamedInstance(XmlCursor& cursor)
{
    cursor.enter("INSTANCENAME");
    CIMObjectPath path = readInstanceName(cursor);
    cursor.enter("INSTANCE");
    CIMInstance instance = readInstance(cursor);
    cursor.leave("VALUE.NAMEDINSTANCE");
    instance.setPath(path);
    return instance;
}

CIMInstance readInstanceWithPath(XmlCursor& cursor)
{
    const std::string element(cursor.name());
    cursor.enter("INSTANCEPATH");
    CIMObjectPath path = readInstancePath(cursor);
    cursor.enter("INSTANCE");
    CIMInstance instance = readInstance(cursor);
    cursor.leave(element);
    instance.setPath(path);
    return instance;
}

CIMObjectPath readInstanceName(XmlCursor& cursor)
{
    CIMName className = nameAttribute(cursor, "CLASSNAME");
    Array<CIMKeyBinding> keys;
    for (;;)
    {
        cursor.nextTag();
        if (cursor.atEnd("INSTANCENAME"))
            break;
        if (cursor.atStart("KEYBINDING"))
            keys.append(readKeyBinding(cursor));
        else if (cursor.atStart("KEYVALUE") || cursor.atStart("VALUE.REFERENCE"))
            cursor.skipElement();  // unnamed key of a singleton: nothing to bind
        else
            cursor.unexpected("<KEYBINDING> in <INSTANCENAME>");
    }
    return CIMObjectPath(String(), CIMNamespaceName(), className, keys);
}

CIMObjectPath readInstancePath(XmlCursor& cursor)
{
    String host;
    CIMNamespaceName nameSpace;
    cursor.enter("NAMESPACEPATH");
    readFullNamespacePath(cursor, host, nameSpace);
    cursor.enter("INSTANCENAME");
    CIMObjectPath path = readInstanceName(cursor);
    cursor.leave("INSTANCEPATH");
    path.setHost(host);
    path.setNameSpace(nameSpace);
    return path;
}

CIMObjectPath readValueReference(XmlCursor& cursor)
{
    cursor.nextTag();
    CIMObjectPath path;
    if (cursor.atStart("INSTANCENAME"))
        path = readInstanceName(cursor);
    else if (cursor.atStart("LOCALINSTANCEPATH"))
        path = readLocalInstancePath(cursor);
    else if (cursor.atStart("INSTANCEPATH"))
        path = readInstancePath(cursor);
    else if (cursor.atStart("CLASSNAME"))
    {
        path = CIMObjectPath(String(), CIMNamespaceName(), nameAttribute(cursor, "NAME"));
        cursor.leave("CLASSNAME");
    }
    else if (cursor.atStart("LOCALCLASSPATH"))
        path = readClassPath(cursor, "LOCALCLASSPATH");
    else if (cursor.atStart("CLASSPATH"))
        path = readClassPath(cursor, "CLASSPATH");
    else
        cursor.unexpected("an object path in <VALUE.REFERENCE>");
    cursor.leave("VALUE.REFERENCE");
    return path;
}

namespace {

// Value of a RETURNVALUE or PARAMVALUE whose PARAMTYPE may be absent; an
// absent type means string, or reference for VALUE.REFERENCE.
CIMValue readMethodValue(XmlCursor& cursor, std::string_view element, bool& typed)
{
    CIMType type = CIMTYPE_STRING;
    std::string_view typeName;
    typed = cursor.attribute("PARAMTYPE", typeName);
    if (typed && !parseCimTypeName(typeName, type))
        cursor.fail("unknown PARAMTYPE \"" + std::string(typeName) + "\"");
    type = valueType(cursor, embeddingAttribute(cursor), {}, type);

    CIMValue value;
    bool present = false;
    for (;;)
    {
        cursor.nextTag();
        if (cursor.atEnd(element))
            break;
        if (cursor.atStart("VALUE"))
            value = valueFromText(cursor, type, cursor.readText());
        else if (cursor.atStart("VALUE.ARRAY"))
            value = readValueArray(cursor, type);
        else if (cursor.atStart("VALUE.REFERENCE"))
            value = CIMValue(readValueReference(cursor));
        else if (cursor.atStart("VALUE.REFARRAY"))
            value = readValueRefArray(cursor);
        else
            cursor.unexpected("a value in <" + std::string(element) + ">");
        present = true;
    }
    if (!present)
        value = CIMValue(type, false);
    return value;
}

}  // namespace

CIMValue readReturnValue(XmlCursor& cursor)
{
    bool typed = false;
    return readMethodValue(cursor, "RETURNVALUE", typed);
}

CIMParamValue readParamValue(XmlCursor& cursor)
{
    String name = makeString(cursor.requiredAttribute("NAME"));
    bool typed = false;
    CIMValue value = readMethodValue(cursor, "PARAMVALUE", typed);
    return CIMParamValue(name, value, typed);
}

}  // namespace ClientDetail
}  // namespace Pegasus
