#include "wire/http_message.h"

#include <cctype>

namespace mlnx_cimsim {

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string trimBlanks(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) {
        return "";
    }
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

bool headerHasToken(const std::string& value, const std::string& token) {
    size_t start = 0;
    while (start <= value.size()) {
        size_t comma = value.find(',', start);
        std::string item = trimBlanks(value.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        // Parameters such as ";q=1" do not change the token.
        item = trimBlanks(item.substr(0, item.find(';')));
        if (equalsIgnoreCase(item, token)) {
            return true;
        }
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    return false;
}

std::optional<std::string> HeaderList::find(const std::string& name) const {
    for (const auto& field : fields_) {
        if (equalsIgnoreCase(field.first, name)) {
            return field.second;
        }
    }
    return std::nullopt;
}

}  // namespace mlnx_cimsim
