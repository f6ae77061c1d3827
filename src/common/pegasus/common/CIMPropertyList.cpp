#include <Pegasus/Common/CIMPropertyList.h>

PEGASUS_NAMESPACE_BEGIN

namespace {

const Array<CIMName>& checkedNames(const Array<CIMName>& names)
{
    for (Uint32 i = 0; i < names.size(); i++)
    {
        if (names[i].isNull())
            throw UninitializedObjectException();
    }
    return names;
}

}  // namespace

CIMPropertyList::CIMPropertyList() : _isNull(true) {}

CIMPropertyList::CIMPropertyList(const CIMPropertyList& x) = default;

CIMPropertyList::CIMPropertyList(const Array<CIMName>& propertyNames)
    : _names(checkedNames(propertyNames)), _isNull(false)
{
}

CIMPropertyList::~CIMPropertyList() = default;

void CIMPropertyList::set(const Array<CIMName>& propertyNames)
{
    _names = checkedNames(propertyNames);
    _isNull = false;
}

CIMPropertyList& CIMPropertyList::operator=(const CIMPropertyList& x) = default;

void CIMPropertyList::clear()
{
    _names.clear();
    _isNull = true;
}

Boolean CIMPropertyList::isNull() const
{
    return _isNull;
}

Uint32 CIMPropertyList::size() const
{
    return _names.size();
}

const CIMName& CIMPropertyList::operator[](Uint32 index) const
{
    return _names[index];
}

Array<CIMName> CIMPropertyList::getPropertyNameArray() const
{
    return _names;
}

void CIMPropertyList::append(Array<String>& propertyListArray)
{
    for (Uint32 i = 0; i < propertyListArray.size(); i++)
        _names.append(CIMName(static_cast<const Array<String>&>(propertyListArray)[i]));
    _isNull = false;
}

Boolean CIMPropertyList::contains(const CIMName& name) const
{
    for (Uint32 i = 0; i < _names.size(); i++)
    {
        if (_names[i].equal(name))
            return true;
    }
    return false;
}

Boolean CIMPropertyList::useThisProperty(const CIMName& name) const
{
    return _isNull || contains(name);
}

String CIMPropertyList::toString() const
{
    if (_isNull)
        return String("NULL");
    if (_names.size() == 0)
        return String("EMPTY");
    String text;
    for (Uint32 i = 0; i < _names.size(); i++)
    {
        if (i)
            text.append(", ");
        text.append(_names[i].getString());
    }
    return text;
}

PEGASUS_NAMESPACE_END
