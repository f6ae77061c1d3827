// Decimal text of CIM numbers in both directions, with the rules of the
// CIM-XML and MOF specifications: integers are [+|-](0 | [1-9][0-9]*) or
// [+|-]0x<hex digits>; reals are rendered like printf("%.16e").
#ifndef Pegasus_Common_Internal_NumberText_h
#define Pegasus_Common_Internal_NumberText_h

#include <string>

#include <Pegasus/Common/Config.h>

namespace Pegasus {
namespace Internal {

bool parseUnsignedInteger(const char* text, Uint64& value);
bool parseSignedInteger(const char* text, Sint64& value);
bool parseReal(const char* text, Real64& value);

void appendUnsigned(std::string& out, Uint64 value);
void appendSigned(std::string& out, Sint64 value);
// "%.16e" with a two-digit exponent on every platform.
void appendReal(std::string& out, Real64 value);

}  // namespace Internal
}  // namespace Pegasus

#endif
