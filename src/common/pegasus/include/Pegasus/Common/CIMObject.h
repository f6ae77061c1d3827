// CIMObject: a class or an instance seen through one interface. Copies
// share one representation (with CIMInstance too); clone() makes a separate
// one. Every call on an uninitialized object throws
// UninitializedObjectException.
#ifndef Pegasus_Object_h
#define Pegasus_Object_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMPropertyList.h>

PEGASUS_NAMESPACE_BEGIN

class CIMConstObject;
class CIMObjectRep;
class CIMInstance;
class CIMConstInstance;

class PEGASUS_COMMON_LINKAGE CIMObject
{
public:
    CIMObject();
    CIMObject(const CIMObject& x);
    CIMObject(const CIMInstance& x);
    CIMObject& operator=(const CIMObject& x);
    ~CIMObject();

    const CIMName& getClassName() const;
    const CIMObjectPath& getPath() const;
    void setPath(const CIMObjectPath& path);

    // Throws AlreadyExistsException for a second qualifier of one name.
    CIMObject& addQualifier(const CIMQualifier& qualifier);
    Uint32 findQualifier(const CIMName& name) const;
    CIMQualifier getQualifier(Uint32 index);
    CIMConstQualifier getQualifier(Uint32 index) const;
    void removeQualifier(Uint32 index);
    Uint32 getQualifierCount() const;

    // Throws AlreadyExistsException for a second property of one name.
    CIMObject& addProperty(const CIMProperty& x);
    // Index of the property (name matched without regard to case) or
    // PEG_NOT_FOUND.
    Uint32 findProperty(const CIMName& name) const;
    CIMProperty getProperty(Uint32 index);
    CIMConstProperty getProperty(Uint32 index) const;
    void removeProperty(Uint32 index);
    Uint32 getPropertyCount() const;

    CIMObject clone() const;
    Boolean identical(const CIMConstObject& x) const;
    Boolean isUninitialized() const;
    // The object's INSTANCE element as CIM-XML text, as OpenPegasus
    // renders it (and as an embedded object travels).
    String toString() const;
    Boolean isClass() const;
    Boolean isInstance() const;

private:
    explicit CIMObject(CIMObjectRep* rep);

    CIMObjectRep* _rep;

    friend class CIMConstObject;
    friend class CIMInstance;
    friend class CIMConstInstance;
};

class PEGASUS_COMMON_LINKAGE CIMConstObject
{
public:
    CIMConstObject();
    CIMConstObject(const CIMConstObject& x);
    CIMConstObject(const CIMObject& x);
    CIMConstObject(const CIMInstance& x);
    CIMConstObject(const CIMConstInstance& x);
    CIMConstObject& operator=(const CIMConstObject& x);
    ~CIMConstObject();

    const CIMName& getClassName() const;
    const CIMObjectPath& getPath() const;
    Uint32 findQualifier(const CIMName& name) const;
    CIMConstQualifier getQualifier(Uint32 index) const;
    Uint32 getQualifierCount() const;

    // Index of the property (name matched without regard to case) or
    // PEG_NOT_FOUND.
    Uint32 findProperty(const CIMName& name) const;
    CIMConstProperty getProperty(Uint32 index) const;
    Uint32 getPropertyCount() const;

    CIMObject clone() const;
    Boolean identical(const CIMConstObject& x) const;
    Boolean isUninitialized() const;
    String toString() const;
    Boolean isClass() const;
    Boolean isInstance() const;

private:
    CIMObjectRep* _rep;

    friend class CIMObject;
    friend class CIMInstance;
    friend class CIMConstInstance;
};

PEGASUS_NAMESPACE_END

#endif /* Pegasus_Object_h */
