// A DLL that asks the platform layer, from inside itself, which module it is.
#include <cstring>
#include <string>

#include "osspecific.h"

extern "C" __declspec(dllexport) void* ProbeSelfModuleHandle()
{
    return Quillet::OsSpecific::GetSelfModuleHandle();
}

// Copies the module's directory into `buffer`; returns its length, or -1 when it does not fit.
extern "C" __declspec(dllexport) int ProbeSelfModuleDirectory(char* buffer, int capacity)
{
    const std::string directory =
        Quillet::OsSpecific::GetModuleDirectory(Quillet::OsSpecific::GetSelfModuleHandle());
    if (static_cast<int>(directory.size()) >= capacity) {
        return -1;
    }
    std::memcpy(buffer, directory.c_str(), directory.size() + 1);
    return static_cast<int>(directory.size());
}
