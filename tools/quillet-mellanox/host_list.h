#pragma once
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace Quillet::Cli {

struct HostEntry {
    std::string host;
    uint16_t port = 0;
};

// Servers of a hosts file: one "host[:port]" per line ("[v6-address]:port"
// for IPv6), '#' starts a comment, blank lines are skipped; a line without a
// port gets `defaultPort`. Throws ToolError naming the file, line and text
// of the first bad line, or when the file is unreadable or lists nobody.
std::vector<HostEntry> ReadHostList(const std::string& path, uint16_t defaultPort);
std::vector<HostEntry> ParseHostList(std::istream& in, const std::string& sourceName, uint16_t defaultPort);

}  // namespace Quillet::Cli
