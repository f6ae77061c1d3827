// The representation behind CIMValue: type, array and null flags and the
// data, shared between copies of a value.
#ifndef Pegasus_Common_Internal_CIMValueRep_h
#define Pegasus_Common_Internal_CIMValueRep_h

#include <variant>

#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMValue.h>

#include "SharedRep.h"

PEGASUS_NAMESPACE_BEGIN

typedef std::variant<
    std::monostate,
    Boolean, Uint8, Sint8, Uint16, Sint16, Uint32, Sint32, Uint64, Sint64,
    Real32, Real64, Char16, String, CIMDateTime, CIMObjectPath, CIMObject, CIMInstance,
    Array<Boolean>, Array<Uint8>, Array<Sint8>, Array<Uint16>, Array<Sint16>,
    Array<Uint32>, Array<Sint32>, Array<Uint64>, Array<Sint64>, Array<Real32>,
    Array<Real64>, Array<Char16>, Array<String>, Array<CIMDateTime>,
    Array<CIMObjectPath>, Array<CIMObject>, Array<CIMInstance>>
    CIMValueData;

class CIMValueRep : public Internal::RefCounted
{
public:
    CIMType type = CIMTYPE_BOOLEAN;
    bool isArray = false;
    // Null values hold std::monostate.
    bool isNull = true;
    CIMValueData data;
};

// The CIMType of each C++ element type.
template<class T> struct CIMTypeOf;
template<> struct CIMTypeOf<Boolean> { static const CIMType value = CIMTYPE_BOOLEAN; };
template<> struct CIMTypeOf<Uint8> { static const CIMType value = CIMTYPE_UINT8; };
template<> struct CIMTypeOf<Sint8> { static const CIMType value = CIMTYPE_SINT8; };
template<> struct CIMTypeOf<Uint16> { static const CIMType value = CIMTYPE_UINT16; };
template<> struct CIMTypeOf<Sint16> { static const CIMType value = CIMTYPE_SINT16; };
template<> struct CIMTypeOf<Uint32> { static const CIMType value = CIMTYPE_UINT32; };
template<> struct CIMTypeOf<Sint32> { static const CIMType value = CIMTYPE_SINT32; };
template<> struct CIMTypeOf<Uint64> { static const CIMType value = CIMTYPE_UINT64; };
template<> struct CIMTypeOf<Sint64> { static const CIMType value = CIMTYPE_SINT64; };
template<> struct CIMTypeOf<Real32> { static const CIMType value = CIMTYPE_REAL32; };
template<> struct CIMTypeOf<Real64> { static const CIMType value = CIMTYPE_REAL64; };
template<> struct CIMTypeOf<Char16> { static const CIMType value = CIMTYPE_CHAR16; };
template<> struct CIMTypeOf<String> { static const CIMType value = CIMTYPE_STRING; };
template<> struct CIMTypeOf<CIMDateTime> { static const CIMType value = CIMTYPE_DATETIME; };
template<> struct CIMTypeOf<CIMObjectPath> { static const CIMType value = CIMTYPE_REFERENCE; };
template<> struct CIMTypeOf<CIMObject> { static const CIMType value = CIMTYPE_OBJECT; };
template<> struct CIMTypeOf<CIMInstance> { static const CIMType value = CIMTYPE_INSTANCE; };

// Read access to a value's rep for the library's own renderers.
class CIMValueAccess
{
public:
    // Null for a default-constructed value (a null boolean).
    static const CIMValueRep* rep(const CIMValue& value) { return value._rep; }
};

PEGASUS_NAMESPACE_END

#endif
