// Properties of objects and instances: a name, a typed value, qualifiers,
// and the reference class, class origin and propagated attributes.
// Copies share one representation; clone() makes a separate one.
#ifndef Pegasus_Property_h
#define Pegasus_Property_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/CIMQualifier.h>

PEGASUS_NAMESPACE_BEGIN

class CIMConstProperty;
class CIMPropertyRep;

class PEGASUS_COMMON_LINKAGE CIMProperty
{
public:
    // Uninitialized: every other call throws UninitializedObjectException.
    CIMProperty();
    CIMProperty(const CIMProperty& x);
    // Throws UninitializedObjectException for a null name and
    // TypeMismatchException for a reference array, or for a reference
    // class name on a property that is not a reference.
    CIMProperty(
        const CIMName& name,
        const CIMValue& value,
        Uint32 arraySize = 0,
        const CIMName& referenceClassName = CIMName(),
        const CIMName& classOrigin = CIMName(),
        Boolean propagated = false);
    ~CIMProperty();

    CIMProperty& operator=(const CIMProperty& x);

    const CIMName& getName() const;
    void setName(const CIMName& name);
    const CIMValue& getValue() const;
    CIMType getType() const;
    Boolean isArray() const;
    // Throws TypeMismatchException unless value.typeCompatible(getValue()).
    void setValue(const CIMValue& value);
    Uint32 getArraySize() const;
    const CIMName& getReferenceClassName() const;
    const CIMName& getClassOrigin() const;
    void setClassOrigin(const CIMName& classOrigin);
    Boolean getPropagated() const;
    void setPropagated(Boolean propagated);

    // Throws AlreadyExistsException for a second qualifier of one name.
    CIMProperty& addQualifier(const CIMQualifier& x);
    // Index of the qualifier (name matched without regard to case) or
    // PEG_NOT_FOUND.
    Uint32 findQualifier(const CIMName& name) const;
    CIMQualifier getQualifier(Uint32 index);
    CIMConstQualifier getQualifier(Uint32 index) const;
    void removeQualifier(Uint32 index);
    Uint32 getQualifierCount() const;

    Boolean identical(const CIMConstProperty& x) const;
    CIMProperty clone() const;
    Boolean isUninitialized() const;

private:
    CIMPropertyRep* _rep;

    friend class CIMConstProperty;
    friend class CIMObjectRep;
};

class PEGASUS_COMMON_LINKAGE CIMConstProperty
{
public:
    CIMConstProperty();
    CIMConstProperty(const CIMConstProperty& x);
    CIMConstProperty(const CIMProperty& x);
    CIMConstProperty(
        const CIMName& name,
        const CIMValue& value,
        Uint32 arraySize = 0,
        const CIMName& referenceClassName = CIMName(),
        const CIMName& classOrigin = CIMName(),
        Boolean propagated = false);
    ~CIMConstProperty();

    CIMConstProperty& operator=(const CIMConstProperty& x);
    CIMConstProperty& operator=(const CIMProperty& x);

    const CIMName& getName() const;
    const CIMValue& getValue() const;
    CIMType getType() const;
    Boolean isArray() const;
    Uint32 getArraySize() const;
    const CIMName& getReferenceClassName() const;
    const CIMName& getClassOrigin() const;
    Boolean getPropagated() const;

    Uint32 findQualifier(const CIMName& name) const;
    CIMConstQualifier getQualifier(Uint32 index) const;
    Uint32 getQualifierCount() const;

    Boolean identical(const CIMConstProperty& x) const;
    CIMProperty clone() const;
    Boolean isUninitialized() const;

private:
    CIMPropertyRep* _rep;

    friend class CIMProperty;
    friend class CIMObjectRep;
};

PEGASUS_NAMESPACE_END

#endif /* Pegasus_Property_h */
