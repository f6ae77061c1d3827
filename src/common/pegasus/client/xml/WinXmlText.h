#ifndef Pegasus_Client_Xml_WinXmlText_h
#define Pegasus_Client_Xml_WinXmlText_h

// Text handling around XmlLite, which reports UTF-16. CIM servers send
// control characters that XML 1.0 forbids (as &#11;, &#12; and the like),
// which the reference client decodes; XmlLite rejects them. Wine's XmlLite
// also turns &#9; and &#10; in text into blanks and cuts references beyond
// U+FFFF to 16 bits. The document is therefore rewritten first where needed.

#include <cstddef>
#include <string>

namespace Pegasus {
namespace ClientDetail {

// Replaces every control character of `document` (U+0000..U+001F) given
// as a character reference, and every raw one that XML 1.0 forbids, by a
// private-use stand-in character, and every reference beyond U+FFFF by the
// character itself. CDATA sections and comments keep their references.
// Returns false, leaving `rewritten` untouched, when nothing needs rewriting.
bool rewriteForXmlLite(const std::string& document, std::string& rewritten);

// Appends UTF-16 `text` to `out` as UTF-8, turning the stand-ins back into
// the control characters they replaced. A lone surrogate becomes U+FFFD.
void appendUtf8(const wchar_t* text, std::size_t length, std::string& out);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
