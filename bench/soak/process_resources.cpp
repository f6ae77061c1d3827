#include "process_resources.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "child_processes.h"

namespace QuilletSoak {
namespace {

// The number after `field` in /proc/self/status ("Threads:", "VmRSS:").
size_t StatusNumber(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) {
            return std::stoul(line.substr(field.size()));
        }
    }
    return 0;
}

}  // namespace

ProcessResources MeasureProcessResources()
{
    ProcessResources resources;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++resources.openDescriptors;
    }
    --resources.openDescriptors;  // the listing's own
    resources.threads = StatusNumber("Threads:");
    resources.residentKilobytes = StatusNumber("VmRSS:");
    for (const QuilletTest::ChildProcess& child : QuilletTest::ChildProcesses()) {
        ++resources.childProcesses;
        if (child.state == 'Z') {
            ++resources.zombieChildren;
        }
    }
    return resources;
}

}  // namespace QuilletSoak
