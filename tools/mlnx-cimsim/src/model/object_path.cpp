#include "model/object_path.h"

#include "wire/http_message.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace mlnx_cimsim {

namespace {

std::string lowered(const std::string& text) {
    std::string result = text;
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

}  // namespace

void ObjectPath::sortKeys() {
    std::stable_sort(keys.begin(), keys.end(),
                     [](const KeyBinding& a, const KeyBinding& b) { return lowered(a.name) < lowered(b.name); });
}

const KeyBinding* ObjectPath::findKey(const std::string& name) const {
    for (const auto& key : keys) {
        if (equalsIgnoreCase(key.name, name)) {
            return &key;
        }
    }
    return nullptr;
}

std::string ObjectPath::toString() const {
    std::string text = className;
    char separator = '.';
    for (const auto& key : keys) {
        text += separator;
        separator = ',';
        text += key.name + "=";
        if (key.reference) {
            std::string inner = key.reference->toString();
            text += "\"";
            for (char c : inner) {
                if (c == '"' || c == '\\') {
                    text += '\\';
                }
                text += c;
            }
            text += "\"";
        } else if (key.valueType == "string") {
            text += "\"";
            for (char c : key.text) {
                if (c == '"' || c == '\\') {
                    text += '\\';
                }
                text += c;
            }
            text += "\"";
        } else {
            text += key.text;
        }
    }
    return text;
}

bool ObjectPath::sameInstance(const ObjectPath& other) const {
    if (!equalsIgnoreCase(className, other.className) || keys.size() != other.keys.size()) {
        return false;
    }
    for (const auto& key : keys) {
        const KeyBinding* match = other.findKey(key.name);
        if (match == nullptr) {
            return false;
        }
        if (key.reference || match->reference) {
            if (!key.reference || !match->reference) {
                // A reference may arrive as its text form.
                const std::string left = key.reference ? key.reference->toString() : key.text;
                const std::string right = match->reference ? match->reference->toString() : match->text;
                try {
                    if (!parseObjectPath(left).sameInstance(parseObjectPath(right))) {
                        return false;
                    }
                } catch (const std::invalid_argument&) {
                    return false;
                }
                continue;
            }
            if (!key.reference->sameInstance(*match->reference)) {
                return false;
            }
            continue;
        }
        if (key.valueType == "boolean" ? !equalsIgnoreCase(key.text, match->text) : key.text != match->text) {
            return false;
        }
    }
    return true;
}

ObjectPath parseObjectPath(const std::string& text) {
    ObjectPath path;
    size_t dot = std::string::npos;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            quoted = !quoted;
        } else if (text[i] == '.' && !quoted) {
            dot = i;
            break;
        }
    }
    std::string head = text.substr(0, dot);
    size_t colon = head.rfind(':');
    if (colon != std::string::npos) {
        path.nameSpace = head.substr(0, colon);
        head = head.substr(colon + 1);
    }
    path.className = trimBlanks(head);
    if (path.className.empty()) {
        throw std::invalid_argument("object path without class name: \"" + text + "\"");
    }
    if (dot == std::string::npos) {
        return path;
    }
    size_t i = dot + 1;
    while (i < text.size()) {
        size_t equals = text.find('=', i);
        if (equals == std::string::npos) {
            throw std::invalid_argument("key binding without '=' in object path \"" + text + "\"");
        }
        KeyBinding key;
        key.name = trimBlanks(text.substr(i, equals - i));
        i = equals + 1;
        if (i < text.size() && text[i] == '"') {
            ++i;
            while (i < text.size() && text[i] != '"') {
                if (text[i] == '\\' && i + 1 < text.size()) {
                    ++i;
                }
                key.text += text[i++];
            }
            if (i >= text.size()) {
                throw std::invalid_argument("unterminated quoted key value in object path \"" + text + "\"");
            }
            ++i;
            key.valueType = "string";
        } else {
            size_t comma = text.find(',', i);
            key.text = trimBlanks(text.substr(i, comma == std::string::npos ? std::string::npos : comma - i));
            i = comma == std::string::npos ? text.size() : comma;
            key.valueType = (equalsIgnoreCase(key.text, "true") || equalsIgnoreCase(key.text, "false")) ? "boolean"
                                                                                                      : "numeric";
        }
        path.keys.push_back(std::move(key));
        if (i < text.size()) {
            if (text[i] != ',') {
                throw std::invalid_argument("expected ',' at offset " + std::to_string(i) + " of object path \"" +
                                            text + "\"");
            }
            ++i;
        }
    }
    path.sortKeys();
    return path;
}

}  // namespace mlnx_cimsim
