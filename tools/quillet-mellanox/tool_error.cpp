#include "tool_error.h"

#include <cstring>

namespace Quillet::Cli {

ToolError::ToolError(ToolExit exitCode, const std::string& message)
    : std::runtime_error(message), m_exit_code_(exitCode)
{
}

std::string SystemErrorText(const std::string& what, int errorNumber)
{
    return what + ": " + std::strerror(errorNumber);
}

}  // namespace Quillet::Cli
