#ifndef Pegasus_Client_Codec_ValueParser_h
#define Pegasus_Client_Codec_ValueParser_h

#include <Pegasus/Common/CIMType.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/String.h>

#include <string>
#include <string_view>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

// A value whose text does not fit its declared type; `reason` says why.
// `outOfRange`: well-formed, but a field is out of range (a datetime's
// month 13), which OpenPegasus reports as a bad response rather than bad
// XML.
struct ValueSyntaxError
{
    std::string reason;
    bool outOfRange = false;
};

// Maps a CIM-XML TYPE/PARAMTYPE name ("uint16", "reference", ...).
bool parseCimTypeName(std::string_view name, CIMType& type);

// An empty view may carry no pointer at all, which String refuses.
inline String makeString(std::string_view utf8)
{
    return utf8.empty() ? String() : String(utf8.data(), static_cast<Uint32>(utf8.size()));
}

// Text of one VALUE element turned into a value of `type` (not reference).
CIMValue parseScalarValue(CIMType type, std::string_view text);

// Texts of the VALUE elements of a VALUE.ARRAY.
CIMValue parseArrayValue(CIMType type, const std::vector<std::string_view>& items);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
