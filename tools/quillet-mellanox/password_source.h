#pragma once
#include <string>

namespace Quillet::Cli {

// The first line of `path` ("-": standard input), without its line end.
// Throws ToolError(NoInput) naming the file when it cannot be read or is
// refused (see ReadSecretFile), ToolError(DataError) when its first line is
// empty.
std::string ReadPasswordFile(const std::string& path);

// Asks on the terminal without echo. Throws ToolError(Usage) when standard
// input is not a terminal, ToolError(Interrupted) on Ctrl-C or Ctrl-D.
std::string PromptPassword(const std::string& prompt);

}  // namespace Quillet::Cli
