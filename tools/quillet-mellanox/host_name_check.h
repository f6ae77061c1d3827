#pragma once
#include <string>

namespace Quillet::Cli {

// What is wrong with `host` as the name or address of a CIM server (a DNS
// name, an IPv4 address, or an IPv6 address with or without brackets),
// saying what would work; empty when nothing is.
std::string HostNameProblem(const std::string& host);

// `host` without the brackets of "[v6-address]".
std::string WithoutBrackets(const std::string& host);

}  // namespace Quillet::Cli
