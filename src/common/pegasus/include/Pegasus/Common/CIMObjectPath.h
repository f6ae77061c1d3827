// Object paths (CIM object names) and their key bindings. The text form is
//   //host/namespace:Class.key1="text",key2=5,key3=TRUE
// with host and namespace optional; key bindings are kept sorted by name.
#ifndef Pegasus_ObjectPath_h
#define Pegasus_ObjectPath_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/Exception.h>

PEGASUS_NAMESPACE_BEGIN

class CIMObjectPath;
class CIMObjectPathRep;
class CIMValue;

class PEGASUS_COMMON_LINKAGE CIMKeyBinding
{
public:
    enum Type
    {
        BOOLEAN,
        STRING,
        NUMERIC,
        REFERENCE
    };

    CIMKeyBinding();
    CIMKeyBinding(const CIMKeyBinding& x);
    CIMKeyBinding(const CIMName& name, const String& value, Type type);
    // Value text and type from the value; throws TypeMismatchException for
    // values that cannot be keys (arrays, embedded objects, null values).
    CIMKeyBinding(const CIMName& name, const CIMValue& value);
    ~CIMKeyBinding();

    CIMKeyBinding& operator=(const CIMKeyBinding& x);

    const CIMName& getName() const;
    void setName(const CIMName& name);
    const String& getValue() const;
    void setValue(const String& value);
    Type getType() const;
    void setType(Type type);

    // Whether the value's type maps to this binding's type and its text
    // denotes the same value.
    Boolean equal(CIMValue value);

private:
    CIMName _name;
    String _value;
    Type _type;

    friend class CIMObjectPath;
};

PEGASUS_COMMON_LINKAGE Boolean operator==(
    const CIMKeyBinding& x,
    const CIMKeyBinding& y);

class PEGASUS_COMMON_LINKAGE CIMObjectPath
{
public:
    CIMObjectPath();
    CIMObjectPath(const CIMObjectPath& x);
    // Parses the text form; throws MalformedObjectNameException.
    CIMObjectPath(const String& objectName);
    CIMObjectPath(
        const String& host,
        const CIMNamespaceName& nameSpace,
        const CIMName& className,
        const Array<CIMKeyBinding>& keyBindings = Array<CIMKeyBinding>());
    ~CIMObjectPath();

    CIMObjectPath& operator=(const CIMObjectPath& x);

    void clear();
    void set(
        const String& host,
        const CIMNamespaceName& nameSpace,
        const CIMName& className,
        const Array<CIMKeyBinding>& keyBindings = Array<CIMKeyBinding>());
    void set(const String& objectName);
    CIMObjectPath& operator=(const String& objectName);

    const String& getHost() const;
    void setHost(const String& host);
    const CIMNamespaceName& getNameSpace() const;
    void setNameSpace(const CIMNamespaceName& nameSpace);
    const CIMName& getClassName() const;
    void setClassName(const CIMName& className);
    const Array<CIMKeyBinding>& getKeyBindings() const;
    void setKeyBindings(const Array<CIMKeyBinding>& keyBindings);

    // The text form; string and reference key values are quoted with '"'
    // and '\' escaped, booleans are TRUE/FALSE.
    String toString() const;

    // Same host and namespace and class (without regard to case) and the
    // same key bindings.
    Boolean identical(const CIMObjectPath& x) const;
    Uint32 makeHashCode() const;

private:
    CIMObjectPathRep* _rep;
};

PEGASUS_COMMON_LINKAGE Boolean operator==(
    const CIMObjectPath& x,
    const CIMObjectPath& y);
PEGASUS_COMMON_LINKAGE Boolean operator!=(
    const CIMObjectPath& x,
    const CIMObjectPath& y);

PEGASUS_NAMESPACE_END

#endif /* Pegasus_ObjectPath_h */
