#include "host_list.h"

#include <cerrno>
#include <fstream>

#include "tool_error.h"

namespace Quillet::Cli {
namespace {

std::string Trimmed(const std::string& text)
{
    const char* blanks = " \t\r";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool ParsePort(const std::string& text, uint16_t& port)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long value = std::stoul(text);
    if (value == 0 || value > 65535) {
        return false;
    }
    port = static_cast<uint16_t>(value);
    return true;
}

// Splits "host", "host:port", "[v6]" or "[v6]:port"; false when malformed.
bool ParseEntry(const std::string& text, uint16_t defaultPort, HostEntry& entry)
{
    std::string portText;
    if (text.front() == '[') {
        const size_t close = text.find(']');
        if (close == std::string::npos || close == 1) {
            return false;
        }
        entry.host = text.substr(1, close - 1);
        const std::string rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return false;
            }
            portText = rest.substr(1);
        }
    } else if (text.find(':') != text.rfind(':')) {
        entry.host = text;  // a bare IPv6 address: no port possible
    } else {
        const size_t colon = text.find(':');
        entry.host = text.substr(0, colon);
        if (colon != std::string::npos) {
            portText = text.substr(colon + 1);
        }
    }
    if (entry.host.empty() || entry.host.find_first_of(" \t") != std::string::npos) {
        return false;
    }
    entry.port = defaultPort;
    return portText.empty() ? text.back() != ':' : ParsePort(portText, entry.port);
}

}  // namespace

std::vector<HostEntry> ParseHostList(std::istream& in, const std::string& sourceName, uint16_t defaultPort)
{
    std::vector<HostEntry> hosts;
    std::string line;
    for (size_t number = 1; std::getline(in, line); ++number) {
        const std::string text = Trimmed(line.substr(0, line.find('#')));
        if (text.empty()) {
            continue;
        }
        HostEntry entry;
        if (!ParseEntry(text, defaultPort, entry)) {
            throw ToolError(ToolExit::Usage, "hosts file '" + sourceName + "' line " + std::to_string(number) +
                                                 ": expected host[:port] with a port from 1 to 65535, found '" +
                                                 text + "'");
        }
        hosts.push_back(entry);
    }
    if (hosts.empty()) {
        throw ToolError(ToolExit::Usage, "hosts file '" + sourceName + "' lists no server");
    }
    return hosts;
}

std::vector<HostEntry> ReadHostList(const std::string& path, uint16_t defaultPort)
{
    std::ifstream file(path);
    if (!file) {
        throw ToolError(ToolExit::NoInput, SystemErrorText("cannot read the hosts file '" + path + "'", errno));
    }
    return ParseHostList(file, path, defaultPort);
}

}  // namespace Quillet::Cli
