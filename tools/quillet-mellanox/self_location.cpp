#include "self_location.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "tool_error.h"

namespace Quillet::Cli {

std::string ExecutableDirectory()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        throw ToolError(ToolExit::Software, "cannot locate the running executable through /proc/self/exe: " +
                                                error.message());
    }
    return self.parent_path().string() + "/";
}

}  // namespace Quillet::Cli
