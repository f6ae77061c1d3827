// The PropertyList parameter of CIM operations: null (no filtering) or a
// list of property names (possibly empty).
#ifndef Pegasus_CIMPropertyList_h
#define Pegasus_CIMPropertyList_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_COMMON_LINKAGE CIMPropertyList
{
public:
    // A null list.
    CIMPropertyList();
    CIMPropertyList(const CIMPropertyList& x);
    // Throws UninitializedObjectException for a null name.
    CIMPropertyList(const Array<CIMName>& propertyNames);
    ~CIMPropertyList();

    void set(const Array<CIMName>& propertyNames);
    CIMPropertyList& operator=(const CIMPropertyList& x);
    void clear();
    Boolean isNull() const;
    Uint32 size() const;
    // Throws IndexOutOfBoundsException beyond the list.
    const CIMName& operator[](Uint32 index) const;
    Array<CIMName> getPropertyNameArray() const;
    void append(Array<String>& propertyListArray);
    Boolean contains(const CIMName& name) const;
    Boolean useThisProperty(const CIMName& name) const;
    // Names separated by ", "; "NULL" for a null list, "EMPTY" for none.
    String toString() const;

private:
    Array<CIMName> _names;
    Boolean _isNull;
};

PEGASUS_NAMESPACE_END

#endif /* Pegasus_CIMPropertyList_h */
