#include "wire/xml_escape.h"

namespace mlnx_cimsim {

void appendEscaped(std::string& out, const std::string& text) {
    bool previousWasBlank = false;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            case ' ':
                if (i == 0 || i + 1 == text.size() || previousWasBlank) {
                    out += "&#32;";
                    // A reference is not collapsed, so the blank after it may stay raw.
                    previousWasBlank = false;
                } else {
                    out += ' ';
                    previousWasBlank = true;
                }
                continue;
            default:
                if (c < 0x20 || c == 0x7f) {
                    out += "&#" + std::to_string(c) + ";";
                } else {
                    out += static_cast<char>(c);
                }
        }
        previousWasBlank = false;
    }
}

std::string escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    appendEscaped(out, text);
    return out;
}

}  // namespace mlnx_cimsim
