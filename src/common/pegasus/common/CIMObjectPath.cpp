#include <Pegasus/Common/CIMObjectPath.h>

#include "ObjectPathText.h"
#include "SharedRep.h"

PEGASUS_NAMESPACE_BEGIN

class CIMObjectPathRep : public Internal::RefCounted
{
public:
    String host;
    CIMNamespaceName nameSpace;
    CIMName className;
    Array<CIMKeyBinding> keyBindings;
};

namespace {

// Stands in for the rep of default-constructed paths, which allocate none.
const CIMObjectPathRep& emptyPathRep()
{
    static const CIMObjectPathRep empty;
    return empty;
}

void escapeInto(String& out, const String& value)
{
    const Uint16* units = reinterpret_cast<const Uint16*>(value.getChar16Data());
    Uint32 n = value.size();
    Uint32 plain = 0;
    while (plain < n && units[plain] != '\\' && units[plain] != '"')
        plain++;
    if (plain == n)
    {
        out.append(value);
        return;
    }
    out.append(value.getChar16Data(), plain);
    for (Uint32 i = plain; i < n; i++)
    {
        if (units[i] == '\\' || units[i] == '"')
            out.append(Char16('\\'));
        out.append(Char16(units[i]));
    }
}

void checkHost(const String& host)
{
    if (host.size() && !Internal::isValidHostName(host))
        throw MalformedObjectNameException(host + ", reason:\"invalid hostname\"");
}

}  // namespace

CIMObjectPath::CIMObjectPath() : _rep(nullptr) {}

CIMObjectPath::CIMObjectPath(const CIMObjectPath& x) : _rep(Internal::ref(x._rep)) {}

CIMObjectPath::CIMObjectPath(const String& objectName) : _rep(nullptr)
{
    set(objectName);
}

CIMObjectPath::CIMObjectPath(
    const String& host,
    const CIMNamespaceName& nameSpace,
    const CIMName& className,
    const Array<CIMKeyBinding>& keyBindings)
    : _rep(nullptr)
{
    set(host, nameSpace, className, keyBindings);
}

CIMObjectPath::~CIMObjectPath()
{
    Internal::unref(_rep);
}

CIMObjectPath& CIMObjectPath::operator=(const CIMObjectPath& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

void CIMObjectPath::clear()
{
    Internal::unref(_rep);
    _rep = nullptr;
}

// A rep of our own, ready to be written.
static CIMObjectPathRep* writable(CIMObjectPathRep*& rep)
{
    if (!rep)
        rep = new CIMObjectPathRep();
    else
        Internal::unshare(rep);
    return rep;
}

void CIMObjectPath::set(
    const String& host,
    const CIMNamespaceName& nameSpace,
    const CIMName& className,
    const Array<CIMKeyBinding>& keyBindings)
{
    checkHost(host);
    Array<CIMKeyBinding> sorted(keyBindings);
    Internal::sortKeyBindings(sorted);
    CIMObjectPathRep* rep = writable(_rep);
    rep->host = host;
    rep->nameSpace = nameSpace;
    rep->className = className;
    rep->keyBindings = sorted;
}

void CIMObjectPath::set(const String& objectName)
{
    Internal::ObjectPathParts parts = Internal::parseObjectPath(objectName);
    CIMObjectPathRep* rep = writable(_rep);
    rep->host = parts.host;
    rep->nameSpace = parts.nameSpace;
    rep->className = parts.className;
    rep->keyBindings = parts.keyBindings;
}

CIMObjectPath& CIMObjectPath::operator=(const String& objectName)
{
    set(objectName);
    return *this;
}

const String& CIMObjectPath::getHost() const
{
    return (_rep ? *_rep : emptyPathRep()).host;
}

void CIMObjectPath::setHost(const String& host)
{
    checkHost(host);
    writable(_rep)->host = host;
}

const CIMNamespaceName& CIMObjectPath::getNameSpace() const
{
    return (_rep ? *_rep : emptyPathRep()).nameSpace;
}

void CIMObjectPath::setNameSpace(const CIMNamespaceName& nameSpace)
{
    writable(_rep)->nameSpace = nameSpace;
}

const CIMName& CIMObjectPath::getClassName() const
{
    return (_rep ? *_rep : emptyPathRep()).className;
}

void CIMObjectPath::setClassName(const CIMName& className)
{
    writable(_rep)->className = className;
}

const Array<CIMKeyBinding>& CIMObjectPath::getKeyBindings() const
{
    return (_rep ? *_rep : emptyPathRep()).keyBindings;
}

void CIMObjectPath::setKeyBindings(const Array<CIMKeyBinding>& keyBindings)
{
    Array<CIMKeyBinding> sorted(keyBindings);
    Internal::sortKeyBindings(sorted);
    writable(_rep)->keyBindings = sorted;
}

String CIMObjectPath::toString() const
{
    const CIMObjectPathRep& rep = _rep ? *_rep : emptyPathRep();
    String text;
    if (rep.host.size())
    {
        text.append("//");
        text.append(rep.host);
        text.append(Char16('/'));
    }
    // With a host the namespace part is always written, even when empty.
    if (!rep.nameSpace.isNull() || rep.host.size())
    {
        text.append(rep.nameSpace.getString());
        text.append(Char16(':'));
    }
    text.append(rep.className.getString());

    const Array<CIMKeyBinding>& keys = rep.keyBindings;
    for (Uint32 i = 0, n = keys.size(); i < n; i++)
    {
        text.append(Char16(i == 0 ? '.' : ','));
        text.append(keys[i].getName().getString());
        text.append(Char16('='));
        bool quoted = keys[i].getType() == CIMKeyBinding::STRING ||
            keys[i].getType() == CIMKeyBinding::REFERENCE;
        if (quoted)
            text.append(Char16('"'));
        escapeInto(text, keys[i].getValue());
        if (quoted)
            text.append(Char16('"'));
    }
    return text;
}

Boolean CIMObjectPath::identical(const CIMObjectPath& x) const
{
    if (_rep == x._rep)
        return true;
    return String::equalNoCase(getHost(), x.getHost()) &&
        getNameSpace().equal(x.getNameSpace()) &&
        getClassName().equal(x.getClassName()) &&
        getKeyBindings() == x.getKeyBindings();
}

Uint32 CIMObjectPath::makeHashCode() const
{
    // Only what identical() compares, folded to one case; key values are
    // left out because equal keys may be spelled differently (0x10 and 16).
    String text(getHost());
    text.append(Char16('/'));
    text.append(getNameSpace().getString());
    text.append(Char16(':'));
    text.append(getClassName().getString());
    const Array<CIMKeyBinding>& keys = getKeyBindings();
    for (Uint32 i = 0; i < keys.size(); i++)
    {
        text.append(Char16(','));
        text.append(keys[i].getName().getString());
    }
    text.toLower();
    Uint32 hash = 2166136261u;
    const Uint16* units = reinterpret_cast<const Uint16*>(text.getChar16Data());
    for (Uint32 i = 0; i < text.size(); i++)
        hash = (hash ^ units[i]) * 16777619u;
    return hash;
}

Boolean operator==(const CIMObjectPath& x, const CIMObjectPath& y)
{
    return x.identical(y);
}

Boolean operator!=(const CIMObjectPath& x, const CIMObjectPath& y)
{
    return !x.identical(y);
}

PEGASUS_NAMESPACE_END
