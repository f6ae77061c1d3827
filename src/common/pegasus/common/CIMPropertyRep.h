#ifndef Pegasus_Common_Internal_CIMPropertyRep_h
#define Pegasus_Common_Internal_CIMPropertyRep_h

#include <Pegasus/Common/CIMProperty.h>

#include "CIMQualifierRep.h"
#include "SharedRep.h"

PEGASUS_NAMESPACE_BEGIN

class CIMPropertyRep : public Internal::RefCounted
{
public:
    CIMName name;
    CIMValue value;
    Uint32 arraySize = 0;
    CIMName referenceClassName;
    CIMName classOrigin;
    Boolean propagated = false;
    QualifierList qualifiers;
    // Set once the property is in an object's list, which indexes it by
    // name: from then on the name is fixed.
    bool contained = false;
};

PEGASUS_NAMESPACE_END

#endif
