#pragma once
#include <map>
#include <sstream>
#include <string>

namespace metrics_test {

// The samples of an exposition text: "name{labels}" -> value text.
inline std::map<std::string, std::string> Samples(const std::string& text)
{
    std::map<std::string, std::string> samples;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line[0] != '#') {
            const size_t blank = line.rfind(' ');
            samples[line.substr(0, blank)] = line.substr(blank + 1);
        }
    }
    return samples;
}

// How many samples of `family` the text holds.
inline size_t CountOf(const std::map<std::string, std::string>& samples, const std::string& family)
{
    size_t count = 0;
    for (const auto& [series, value] : samples) {
        count += series.compare(0, family.size() + 1, family + "{") == 0 || series == family;
    }
    return count;
}

}  // namespace metrics_test
