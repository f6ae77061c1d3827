#pragma once
#include <string>

namespace Quillet::Cli {

// Directory of the running executable, with a trailing '/'. The simulator
// and the build's fake firmware tools are found relative to it.
std::string ExecutableDirectory();

}  // namespace Quillet::Cli
