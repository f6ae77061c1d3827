#pragma once
// Text rules that every platform's layer follows the same way.
#include <string>
#include <vector>

namespace Quillet {
namespace OsSpecific {

// The program as given, then each argument in double quotes; quotes inside an
// argument are passed on as they are.
inline std::string BuildCommandLine(const std::string& command, const std::vector<std::string>& arguments)
{
    std::string commandLine = command;
    for (const std::string& argument : arguments) {
        commandLine += " \"";
        commandLine += argument;
        commandLine += '"';
    }
    return commandLine;
}

// The directory part of a file path, up to and including its last
// `separator`; a path without any separator comes back unchanged.
inline std::string DirectoryOfPath(const std::string& path, char separator)
{
    const std::string::size_type lastSeparator = path.rfind(separator);
    if (lastSeparator == std::string::npos) {
        return path;
    }
    return path.substr(0, lastSeparator + 1);
}

}  // namespace OsSpecific
}  // namespace Quillet
