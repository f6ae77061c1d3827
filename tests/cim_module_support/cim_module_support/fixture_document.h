#pragma once
// A simulator fixture read as the expectations of an end-to-end test: the instances
// of one class in the order the simulator serves them, and the text the module is
// to show for one of their properties.

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace cim_module_support {

class FixtureDocument {
public:
    // Reads the fixture and the simulator's built-in class schema; throws
    // std::runtime_error naming the file that cannot be read or parsed.
    explicit FixtureDocument(const std::string& fixturePath);

    // The "properties" objects of the instances of exactly this class, in fixture order.
    std::vector<nlohmann::json> InstancesOf(const std::string& className) const;

    // The property as the CIM client renders it (scalars as such, arrays element by
    // element each followed by a blank, booleans TRUE/FALSE, the class default when the
    // instance leaves it out), trimmed. With `translate`, the Values text whose ValueMap
    // entry equals that text exactly, or empty text when none does.
    std::string DisplayText(const std::string& className, const nlohmann::json& properties,
                            const std::string& property, bool translate) const;

private:
    // The declaration of `property` nearest to `className` that has `field`; null when none.
    const nlohmann::json* FindDeclaration(const std::string& className, const std::string& property,
                                          const char* field) const;
    const nlohmann::json* FindClass(const std::string& className) const;

    nlohmann::json m_fixture_;
    nlohmann::json m_schema_;
};

}  // namespace cim_module_support
