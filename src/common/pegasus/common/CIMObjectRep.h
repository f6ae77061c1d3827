// The representation shared by CIMObject, CIMInstance and their const
// views: class name, path, qualifiers and properties.
#ifndef Pegasus_Common_Internal_CIMObjectRep_h
#define Pegasus_Common_Internal_CIMObjectRep_h

#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMObject.h>

#include "CIMPropertyRep.h"
#include "NamedList.h"
#include "SharedRep.h"

PEGASUS_NAMESPACE_BEGIN

typedef Internal::NamedList<CIMProperty, true> PropertyList;

class CIMObjectRep : public Internal::RefCounted
{
public:
    explicit CIMObjectRep(const CIMName& name);

    // Deep copy: qualifiers and properties are cloned too.
    CIMObjectRep* clone() const;
    Boolean identical(const CIMObjectRep& x) const;
    void addProperty(const CIMProperty& x);

    static CIMObjectRep* checked(CIMObjectRep* rep)
    {
        if (!rep)
            throw UninitializedObjectException();
        return rep;
    }

    bool isClass = false;
    CIMName className;
    CIMObjectPath path;
    QualifierList qualifiers;
    PropertyList properties;
};

PEGASUS_NAMESPACE_END

// The members common to the four handle classes over CIMObjectRep, which
// differ only in constness and in the type they return.
#define PEGASUS_OBJECT_READ_MEMBERS(CLASS)                                   \
    const CIMName& CLASS::getClassName() const                               \
    {                                                                        \
        return CIMObjectRep::checked(_rep)->className;                       \
    }                                                                        \
    const CIMObjectPath& CLASS::getPath() const                              \
    {                                                                        \
        return CIMObjectRep::checked(_rep)->path;                            \
    }                                                                        \
    Uint32 CLASS::findQualifier(const CIMName& name) const                   \
    {                                                                        \
        return CIMObjectRep::checked(_rep)->qualifiers.find(name);           \
    }                                                                        \
    CIMConstQualifier CLASS::getQualifier(Uint32 index) const                \
    {                                                                        \
        return CIMObjectRep::checked(_rep)->qualifiers.at(index);            \
    }                                                                        \
    Uint32 CLASS::getQualifierCount() const                                  \
    {                                                                        \
        return CIMObjectRep::checked(_rep)->qualifiers.size();               \
    }                                                                        \
    Uint32 CLASS::findProperty(const CIMName& name) const                    \
    {                                                                        \
        return CIMObjectRep::checked(_rep)->properties.find(name);           \
    }                                                                        \
    CIMConstProperty CLASS::getProperty(Uint32 index) const                  \
    {                                                                        \
        return CIMObjectRep::checked(_rep)->properties.at(index);            \
    }                                                                        \
    Uint32 CLASS::getPropertyCount() const                                   \
    {                                                                        \
        return CIMObjectRep::checked(_rep)->properties.size();               \
    }                                                                        \
    Boolean CLASS::isUninitialized() const                                   \
    {                                                                        \
        return _rep == nullptr;                                              \
    }                                                                        \
    CLASS::~CLASS()                                                          \
    {                                                                        \
        Internal::unref(_rep);                                               \
    }

#define PEGASUS_OBJECT_WRITE_MEMBERS(CLASS)                                  \
    void CLASS::setPath(const CIMObjectPath& path)                           \
    {                                                                        \
        CIMObjectRep::checked(_rep)->path = path;                            \
    }                                                                        \
    CLASS& CLASS::addQualifier(const CIMQualifier& qualifier)                \
    {                                                                        \
        if (qualifier.isUninitialized())                                     \
            throw UninitializedObjectException();                            \
        CIMObjectRep::checked(_rep)->qualifiers.add(qualifier, "qualifier"); \
        return *this;                                                        \
    }                                                                        \
    CIMQualifier CLASS::getQualifier(Uint32 index)                           \
    {                                                                        \
        return CIMObjectRep::checked(_rep)->qualifiers.at(index);            \
    }                                                                        \
    void CLASS::removeQualifier(Uint32 index)                                \
    {                                                                        \
        CIMObjectRep::checked(_rep)->qualifiers.remove(index);               \
    }                                                                        \
    CLASS& CLASS::addProperty(const CIMProperty& x)                          \
    {                                                                        \
        CIMObjectRep::checked(_rep)->addProperty(x);                         \
        return *this;                                                        \
    }                                                                        \
    CIMProperty CLASS::getProperty(Uint32 index)                             \
    {                                                                        \
        return CIMObjectRep::checked(_rep)->properties.at(index);            \
    }                                                                        \
    void CLASS::removeProperty(Uint32 index)                                 \
    {                                                                        \
        CIMObjectRep::checked(_rep)->properties.remove(index);               \
    }

#endif
