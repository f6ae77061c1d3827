#pragma once
#include <cstddef>

namespace Quillet::Cli {

// True when the descriptor is an interactive terminal.
bool IsTerminal(int fd);

// Columns of the terminal behind `fd`; `fallback` when it is none.
size_t TerminalColumns(int fd, size_t fallback);

}  // namespace Quillet::Cli
