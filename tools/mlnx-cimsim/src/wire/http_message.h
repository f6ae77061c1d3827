#pragma once
// HTTP message heads as they travel: header names keep their spelling, lookups ignore case.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mlnx_cimsim {

class HeaderList {
public:
    void add(std::string name, std::string value) { fields_.emplace_back(std::move(name), std::move(value)); }
    std::optional<std::string> find(const std::string& name) const;
    bool has(const std::string& name) const { return find(name).has_value(); }
    const std::vector<std::pair<std::string, std::string>>& fields() const { return fields_; }

private:
    std::vector<std::pair<std::string, std::string>> fields_;
};

struct HttpHead {
    std::string startLine;
    HeaderList headers;
};

struct HttpRequest {
    std::string method;
    std::string target;
    std::string version;
    HeaderList headers;
    std::string body;
};

bool equalsIgnoreCase(const std::string& a, const std::string& b);
// True when the comma-separated header value holds token (case-insensitive).
bool headerHasToken(const std::string& value, const std::string& token);
std::string trimBlanks(const std::string& text);

}  // namespace mlnx_cimsim
