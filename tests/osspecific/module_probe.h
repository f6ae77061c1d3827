#pragma once
#include <string>

// The directory of the shared library this function is linked into.
__attribute__((visibility("default"))) std::string ProbeModuleDirectory();
