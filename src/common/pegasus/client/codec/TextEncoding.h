#ifndef Pegasus_Client_Codec_TextEncoding_h
#define Pegasus_Client_Codec_TextEncoding_h

#include <string>
#include <string_view>

namespace Pegasus {
namespace ClientDetail {

// Appends `text` (UTF-8) as XML character data the way OpenPegasus writes
// it: the five predefined entities, control characters as numeric
// references, and a blank at the start, at the end or after another blank
// as &#32; (its parser would otherwise drop it).
void appendXmlEscaped(std::string& out, std::string_view text);

// Percent-encodes a value for the CIMObject and CIMMethod header fields,
// with the character set OpenPegasus encodes.
std::string encodeUriCharacters(std::string_view text);

// Reverses %XX encoding (trailer and PGErrorDetail values); malformed
// sequences are kept as they are.
std::string decodeUriCharacters(std::string_view text);

std::string encodeBase64(std::string_view bytes);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
