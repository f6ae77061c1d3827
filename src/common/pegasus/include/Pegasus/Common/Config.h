// Build configuration of our OpenPegasus-compatible client library:
// namespace macros, the CIM integral types and small portability helpers.
#ifndef Pegasus_Config_h
#define Pegasus_Config_h

#include <cstddef>

#define PEGASUS_NAMESPACE_BEGIN namespace Pegasus {
#define PEGASUS_NAMESPACE_END }
#define PEGASUS_USING_PEGASUS using namespace Pegasus
#define PEGASUS_USING_STD using namespace std
#define PEGASUS_STD(X) std::X

#if defined(__GNUC__)
# define PEGASUS_FORMAT(A, B) __attribute__((format(printf, A, B)))
#else
# define PEGASUS_FORMAT(A, B)
#endif

#define PEGASUS_UINT64_LITERAL(X) ((Pegasus::Uint64)(X##ULL))
#define PEGASUS_SINT64_LITERAL(X) ((Pegasus::Sint64)(X##LL))
#define PEGASUS_64BIT_CONVERSION_WIDTH "ll"

#define PEGASUS_ARRAY_SIZE(X) (sizeof(X) / sizeof((X)[0]))

PEGASUS_NAMESPACE_BEGIN

typedef bool Boolean;
typedef unsigned char Uint8;
typedef signed char Sint8;
typedef unsigned short Uint16;
typedef short Sint16;
typedef unsigned int Uint32;
typedef int Sint32;
typedef unsigned long long Uint64;
typedef long long Sint64;
typedef float Real32;
typedef double Real64;

// Returned by every find() of the library when nothing matches.
#define PEG_NOT_FOUND Uint32(-1)

PEGASUS_NAMESPACE_END

#endif /* Pegasus_Config_h */
