#pragma once
// The children of this process as the kernel lists them, zombies included.
#include <sys/types.h>
#include <unistd.h>

#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace QuilletTest {

struct ChildProcess {
    pid_t pid;
    std::string name;  // the kernel's short name of the program
    char state;        // 'Z' for a zombie: ended, not yet collected
};

// Every process whose parent is this one, read from /proc/PID/stat.
inline std::vector<ChildProcess> ChildProcesses()
{
    std::vector<ChildProcess> children;
    DIR* processes = ::opendir("/proc");
    if (processes == nullptr) {
        return children;
    }
    while (const dirent* entry = ::readdir(processes)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string fields;
        if (pid <= 0 || !std::getline(stat, fields)) {
            continue;
        }
        // pid (name) state ppid ...; the name may itself hold ") ".
        const size_t open = fields.find('(');
        const size_t close = fields.rfind(") ");
        if (open == std::string::npos || close == std::string::npos || close + 4 >= fields.size()) {
            continue;
        }
        if (std::atoi(fields.c_str() + close + 4) == ::getpid()) {
            children.push_back(ChildProcess{pid, fields.substr(open + 1, close - open - 1), fields[close + 2]});
        }
    }
    ::closedir(processes);
    return children;
}

// The children running, or left as zombies by, the program of that short name.
inline std::vector<ChildProcess> ChildProcessesNamed(const std::string& name)
{
    std::vector<ChildProcess> named;
    for (const ChildProcess& child : ChildProcesses()) {
        if (child.name == name) {
            named.push_back(child);
        }
    }
    return named;
}

}  // namespace QuilletTest
