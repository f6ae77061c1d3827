#include "terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace Quillet::Cli {

bool IsTerminal(int fd)
{
    return isatty(fd) == 1;
}

size_t TerminalColumns(int fd, size_t fallback)
{
    winsize size{};
    if (ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return fallback;
}

}  // namespace Quillet::Cli
