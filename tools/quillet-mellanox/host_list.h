#pragma once
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace Quillet::Cli {

struct HostEntry {
    std::string host;
    uint16_t port = 0;
    size_t line = 0;
    // Credentials of this server alone; empty: the command line's.
    std::string user;
    std::string passwordFile;
};

struct HostList {
    std::vector<HostEntry> hosts;     // each server once, in file order
    std::vector<std::string> repeated; // "host:port (lines 2, 7)" for servers listed more than once
};

// Servers of a hosts file: one "host[:port]" per line ("[v6-address]:port"
// for IPv6), optionally followed by "user=NAME password-file=FILE" (a
// relative FILE is found next to the hosts file); '#' starts a comment,
// blank lines are skipped; a line without a port gets `defaultPort`. A server
// listed twice (same name and port) is kept once. Throws ToolError naming the
// file, line and text of the first bad line, or when the file is unreadable
// or lists nobody.
HostList ReadHostList(const std::string& path, uint16_t defaultPort);
HostList ParseHostList(std::istream& in, const std::string& sourceName, uint16_t defaultPort);

}  // namespace Quillet::Cli
