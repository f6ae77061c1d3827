#include "cim_module_support/fixture_document.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace cim_module_support {
namespace {

const char* const kTrimmed = " \f\n\t\r\v";

nlohmann::json ReadJson(const std::string& path)
{
    std::ifstream file(path);
    if (!file) {
        throw std::runtime_error("cannot open " + path);
    }
    std::stringstream text;
    text << file.rdbuf();
    try {
        return nlohmann::json::parse(text.str());
    } catch (const nlohmann::json::parse_error& error) {
        throw std::runtime_error(path + " is not valid JSON: " + error.what());
    }
}

std::string Trim(const std::string& text)
{
    const std::string::size_type first = text.find_first_not_of(kTrimmed);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(kTrimmed) - first + 1);
}

std::string ScalarText(const nlohmann::json& value)
{
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (value.is_boolean()) {
        return value.get<bool>() ? "TRUE" : "FALSE";
    }
    return value.dump();
}

std::string RenderedText(const nlohmann::json& value)
{
    if (value.is_null()) {
        return std::string();
    }
    if (!value.is_array()) {
        return ScalarText(value);
    }
    std::string text;
    for (const nlohmann::json& element : value) {
        text += ScalarText(element) + " ";
    }
    return text;
}

// A text member of a JSON object; empty when absent or not a text.
std::string TextOf(const nlohmann::json& object, const char* key)
{
    const nlohmann::json::const_iterator found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// A member array of a JSON object, by reference; an empty array when absent.
const nlohmann::json& ArrayOf(const nlohmann::json& object, const char* key)
{
    static const nlohmann::json kNone = nlohmann::json::array();
    const nlohmann::json::const_iterator found = object.find(key);
    return found != object.end() && found->is_array() ? *found : kNone;
}

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::string::size_type i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

FixtureDocument::FixtureDocument(const std::string& fixturePath)
    : m_fixture_(ReadJson(fixturePath)), m_schema_(ReadJson(CIMSIM_SCHEMA_PATH))
{
}

std::vector<nlohmann::json> FixtureDocument::InstancesOf(const std::string& className) const
{
    std::vector<nlohmann::json> found;
    for (const nlohmann::json& instance : ArrayOf(m_fixture_, "instances")) {
        if (TextOf(instance, "class") == className) {
            found.push_back(instance.value("properties", nlohmann::json::object()));
        }
    }
    return found;
}

const nlohmann::json* FixtureDocument::FindClass(const std::string& className) const
{
    for (const nlohmann::json* document : {&m_fixture_, &m_schema_}) {
        for (const nlohmann::json& cimClass : ArrayOf(*document, "classes")) {
            if (SameName(TextOf(cimClass, "name"), className)) {
                return &cimClass;
            }
        }
    }
    return nullptr;
}

const nlohmann::json* FixtureDocument::FindDeclaration(const std::string& className, const std::string& property,
                                                       const char* field) const
{
    for (const nlohmann::json* cimClass = FindClass(className); cimClass != nullptr;
         cimClass = FindClass(TextOf(*cimClass, "superclass"))) {
        for (const nlohmann::json& declaration : ArrayOf(*cimClass, "properties")) {
            if (SameName(TextOf(declaration, "name"), property) && declaration.contains(field)) {
                return &declaration;
            }
        }
    }
    return nullptr;
}

std::string FixtureDocument::DisplayText(const std::string& className, const nlohmann::json& properties,
                                         const std::string& property, bool translate) const
{
    nlohmann::json value;
    if (properties.contains(property)) {
        value = properties.at(property);
    } else if (const nlohmann::json* declaration = FindDeclaration(className, property, "default")) {
        value = declaration->at("default");
    }
    const std::string text = Trim(RenderedText(value));
    const nlohmann::json* mapped = translate ? FindDeclaration(className, property, "value_map") : nullptr;
    if (mapped == nullptr) {
        return text;
    }
    const nlohmann::json& valueMap = mapped->at("value_map");
    for (size_t i = 0; i < valueMap.size(); ++i) {
        if (valueMap[i].get<std::string>() == text) {
            return mapped->at("values").at(i).get<std::string>();
        }
    }
    return std::string();
}

}  // namespace cim_module_support
