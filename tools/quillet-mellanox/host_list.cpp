#include "host_list.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "host_name_check.h"
#include "tool_error.h"
#include "trusted_files.h"

namespace Quillet::Cli {
namespace {

const char kUserField[] = "user=";
const char kPasswordFileField[] = "password-file=";

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

// Host names are not case-sensitive.
std::string ServerKey(const HostEntry& entry)
{
    std::string key = entry.host;
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
    return key + "/" + std::to_string(entry.port);
}

}  // namespace

HostList ParseHostList(std::istream& in, const std::string& sourceName, uint16_t defaultPort)
{
    HostList list;
    std::map<std::string, std::vector<size_t>> linesOf;
    const std::filesystem::path directory = std::filesystem::path(sourceName).parent_path();
    std::string line;
    for (size_t number = 1; std::getline(in, line); ++number) {
        const std::string text = Trimmed(line.substr(0, line.find('#')));
        if (text.empty()) {
            continue;
        }
        auto refuse = [&](const std::string& what) {
            throw ToolError(ToolExit::Usage, "hosts file '" + sourceName + "' line " + std::to_string(number) + ": " +
                                                 what + ", found '" + text + "'");
        };
        std::istringstream words(text);
        std::string server;
        words >> server;
        HostEntry entry;
        if (!ParseEntry(server, defaultPort, entry)) {
            refuse("expected host[:port] with a port from 1 to 65535");
        }
        const std::string problem = HostNameProblem(entry.host);
        if (!problem.empty()) {
            refuse("the server name '" + entry.host + "' " + problem);
        }
        for (std::string word; words >> word;) {
            if (word.rfind(kUserField, 0) == 0 && word.size() > sizeof kUserField - 1) {
                entry.user = word.substr(sizeof kUserField - 1);
            } else if (word.rfind(kPasswordFileField, 0) == 0 && word.size() > sizeof kPasswordFileField - 1) {
                const std::filesystem::path file(word.substr(sizeof kPasswordFileField - 1));
                entry.passwordFile = (file.is_absolute() ? file : directory / file).string();
            } else {
                refuse("after the server only user=NAME and password-file=FILE may follow, not '" + word + "'");
            }
        }
        if (!entry.user.empty() != !entry.passwordFile.empty()) {
            refuse("user=NAME and password-file=FILE go together");
        }
        entry.line = number;
        std::vector<size_t>& lines = linesOf[ServerKey(entry)];
        lines.push_back(number);
        if (lines.size() == 1) {
            list.hosts.push_back(entry);
        }
    }
    if (list.hosts.empty()) {
        throw ToolError(ToolExit::Usage, "hosts file '" + sourceName + "' lists no server");
    }
    for (const HostEntry& entry : list.hosts) {
        const std::vector<size_t>& lines = linesOf[ServerKey(entry)];
        if (lines.size() > 1) {
            std::string numbers;
            for (size_t number : lines) {
                numbers += (numbers.empty() ? "" : ", ") + std::to_string(number);
            }
            const bool ipv6 = entry.host.find(':') != std::string::npos;
            list.repeated.push_back((ipv6 ? "[" + entry.host + "]" : entry.host) + ":" + std::to_string(entry.port) +
                                    " (lines " + numbers + ")");
        }
    }
    return list;
}

HostList ReadHostList(const std::string& path, uint16_t defaultPort)
{
    // Its lines name the servers and the password files sent to them.
    std::istringstream file(ReadSettingsFile(path, "the hosts file"));
    return ParseHostList(file, path, defaultPort);
}

}  // namespace Quillet::Cli
