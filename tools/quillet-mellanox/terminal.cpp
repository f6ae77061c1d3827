#include "terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>

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

size_t OutputColumns(int fd)
{
    const size_t kUnlimited = 100000;
    const size_t kFallback = 80;
    if (const char* columns = std::getenv("COLUMNS")) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(columns, &end, 10);
        if (end != columns && *end == '\0' && value > 0 && value < kUnlimited) {
            return value;
        }
    }
    return IsTerminal(fd) ? TerminalColumns(fd, kFallback) : kUnlimited;
}

}  // namespace Quillet::Cli
