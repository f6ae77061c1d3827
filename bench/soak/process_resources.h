#pragma once
// What a process holds at one moment, read from /proc/self.
#include <cstddef>
#include <string>

namespace QuilletSoak {

struct ProcessResources {
    size_t openDescriptors = 0;
    size_t threads = 0;
    size_t childProcesses = 0;  // running or not yet collected
    size_t zombieChildren = 0;  // ended, not yet collected
    size_t residentKilobytes = 0;
};

ProcessResources MeasureProcessResources();

}  // namespace QuilletSoak
