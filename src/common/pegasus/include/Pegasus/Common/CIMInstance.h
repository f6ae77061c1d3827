// CIMInstance: an instance of a CIM class with its properties, qualifiers
// and object path. Copies share one representation (also with the
// CIMObject made from it); clone() makes a separate one. Every call on an
// uninitialized instance throws UninitializedObjectException.
#ifndef Pegasus_Instance_h
#define Pegasus_Instance_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMPropertyList.h>

PEGASUS_NAMESPACE_BEGIN

class CIMConstInstance;
class CIMObjectRep;

class PEGASUS_COMMON_LINKAGE CIMInstance
{
public:
    CIMInstance();
    CIMInstance(const CIMInstance& x);
    // Throws DynamicCastFailedException unless x holds an instance.
    explicit CIMInstance(const CIMObject& x);
    CIMInstance(const CIMName& className);
    CIMInstance& operator=(const CIMInstance& x);
    ~CIMInstance();

    const CIMName& getClassName() const;
    const CIMObjectPath& getPath() const;
    void setPath(const CIMObjectPath& path);

    // Throws AlreadyExistsException for a second qualifier of one name.
    CIMInstance& addQualifier(const CIMQualifier& qualifier);
    Uint32 findQualifier(const CIMName& name) const;
    CIMQualifier getQualifier(Uint32 index);
    CIMConstQualifier getQualifier(Uint32 index) const;
    void removeQualifier(Uint32 index);
    Uint32 getQualifierCount() const;

    // Throws AlreadyExistsException for a second property of one name.
    CIMInstance& addProperty(const CIMProperty& x);
    // Index of the property (name matched without regard to case) or
    // PEG_NOT_FOUND.
    Uint32 findProperty(const CIMName& name) const;
    CIMProperty getProperty(Uint32 index);
    CIMConstProperty getProperty(Uint32 index) const;
    void removeProperty(Uint32 index);
    Uint32 getPropertyCount() const;

    CIMInstance clone() const;
    Boolean identical(const CIMConstInstance& x) const;
    Boolean isUninitialized() const;

private:
    CIMObjectRep* _rep;

    friend class CIMConstInstance;
    friend class CIMObject;
    friend class CIMConstObject;
};

class PEGASUS_COMMON_LINKAGE CIMConstInstance
{
public:
    CIMConstInstance();
    CIMConstInstance(const CIMConstInstance& x);
    CIMConstInstance(const CIMInstance& x);
    explicit CIMConstInstance(const CIMObject& x);
    explicit CIMConstInstance(const CIMConstObject& x);
    CIMConstInstance(const CIMName& className);
    CIMConstInstance& operator=(const CIMConstInstance& x);
    CIMConstInstance& operator=(const CIMInstance& x);
    ~CIMConstInstance();

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

    CIMInstance clone() const;
    Boolean identical(const CIMConstInstance& x) const;
    Boolean isUninitialized() const;

private:
    CIMObjectRep* _rep;

    friend class CIMInstance;
    friend class CIMObject;
    friend class CIMConstObject;
};

PEGASUS_NAMESPACE_END

#endif /* Pegasus_Instance_h */
