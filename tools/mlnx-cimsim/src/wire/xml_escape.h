#pragma once
// Escaping of text and attribute values the way OpenPegasus writes them: the five
// predefined entities, control characters as numeric references, and blanks that
// XML would collapse (leading, trailing, after another blank) as &#32;.

#include <string>

namespace mlnx_cimsim {

void appendEscaped(std::string& out, const std::string& text);
std::string escaped(const std::string& text);

}  // namespace mlnx_cimsim
