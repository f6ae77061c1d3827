#pragma once
#include <cstddef>

namespace Quillet::Cli {

// True when the descriptor is an interactive terminal.
bool IsTerminal(int fd);

// Columns of the terminal behind `fd`; `fallback` when it is none.
size_t TerminalColumns(int fd, size_t fallback);

// The width output to `fd` is fitted to: COLUMNS when it holds a positive
// number, else the terminal's width; output that goes to no terminal is not
// cut (whoever reads it gets every character).
size_t OutputColumns(int fd);

}  // namespace Quillet::Cli
