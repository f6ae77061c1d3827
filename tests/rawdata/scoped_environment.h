#pragma once
#include <stdlib.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace QuilletTest {

// Sets environment variables for as long as it lives (children started
// meanwhile inherit them) and puts the previous values back afterwards.
class ScopedEnvironment {
public:
    explicit ScopedEnvironment(std::initializer_list<std::pair<std::string, std::string>> variables)
    {
        for (const auto& [name, value] : variables) {
            const char* previous = ::getenv(name.c_str());
            m_previous_.emplace_back(name, previous != nullptr, previous != nullptr ? previous : "");
            ::setenv(name.c_str(), value.c_str(), 1);
        }
    }
    ~ScopedEnvironment()
    {
        for (auto it = m_previous_.rbegin(); it != m_previous_.rend(); ++it) {
            if (it->wasSet) {
                ::setenv(it->name.c_str(), it->value.c_str(), 1);
            } else {
                ::unsetenv(it->name.c_str());
            }
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    struct Previous {
        Previous(std::string n, bool set, std::string v) : name(std::move(n)), wasSet(set), value(std::move(v)) {}
        std::string name;
        bool wasSet;
        std::string value;
    };
    std::vector<Previous> m_previous_;
};

}  // namespace QuilletTest
