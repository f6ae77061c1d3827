#ifndef Pegasus_Common_Internal_CIMQualifierRep_h
#define Pegasus_Common_Internal_CIMQualifierRep_h

#include <Pegasus/Common/CIMQualifier.h>

#include "NamedList.h"
#include "SharedRep.h"

PEGASUS_NAMESPACE_BEGIN

class CIMQualifierRep : public Internal::RefCounted
{
public:
    CIMName name;
    CIMValue value;
    CIMFlavor flavor;
    Boolean propagated = false;
};

typedef Internal::NamedList<CIMQualifier, false> QualifierList;

// Deep copy of a qualifier list (clone of the owner).
QualifierList cloneQualifiers(const QualifierList& list);

// Same names, values, flavors and propagation, in the same order.
Boolean identicalQualifiers(const QualifierList& x, const QualifierList& y);

PEGASUS_NAMESPACE_END

#endif
