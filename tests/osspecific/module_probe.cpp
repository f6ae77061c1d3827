// A shared library whose only job is to ask the platform layer where it lives.
#include "module_probe.h"

#include "osspecific.h"

std::string ProbeModuleDirectory()
{
    return Quillet::OsSpecific::GetModuleDirectory(Quillet::OsSpecific::GetSelfModuleHandle());
}
