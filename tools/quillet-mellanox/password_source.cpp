#include "password_source.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <sstream>

#include "tool_error.h"
#include "trusted_files.h"

namespace Quillet::Cli {
namespace {

const char kCtrlC = 3;
const char kCtrlD = 4;
const char kBackspace = 8;
const char kDelete = 127;

std::string FirstLine(std::istream& in)
{
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

// Turns echo, line editing and signal keys off for as long as it lives, so
// that the prompt itself sees Ctrl-C and can put the terminal back.
class RawTerminal {
public:
    explicit RawTerminal(int fd) : m_fd_(fd)
    {
        if (tcgetattr(m_fd_, &m_saved_) != 0) {
            throw ToolError(ToolExit::Software, SystemErrorText("cannot read the terminal settings", errno));
        }
        termios raw = m_saved_;
        raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | ISIG);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        tcsetattr(m_fd_, TCSAFLUSH, &raw);
    }
    ~RawTerminal() { tcsetattr(m_fd_, TCSAFLUSH, &m_saved_); }
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

private:
    int m_fd_;
    termios m_saved_{};
};

// Removes the last UTF-8 character, all of its bytes.
void EraseLastCharacter(std::string& text)
{
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) {
        text.pop_back();
    }
    if (!text.empty()) {
        text.pop_back();
    }
}

}  // namespace

std::string ReadPasswordFile(const std::string& path)
{
    std::string password;
    if (path == "-") {
        password = FirstLine(std::cin);
    } else {
        std::istringstream content(ReadSecretFile(path));
        password = FirstLine(content);
    }
    if (password.empty()) {
        throw ToolError(ToolExit::DataError, "the password file '" + (path == "-" ? std::string("standard input") : path) +
                                                 "' holds no password: its first line is empty");
    }
    return password;
}

std::string PromptPassword(const std::string& prompt)
{
    if (!isatty(STDIN_FILENO)) {
        throw ToolError(ToolExit::Usage,
                        "no password: give --password-file FILE (standard input is not a terminal to prompt on)");
    }
    std::cerr << prompt << std::flush;
    std::string password;
    {
        RawTerminal terminal(STDIN_FILENO);
        char c = 0;
        while (read(STDIN_FILENO, &c, 1) == 1 && c != '\n' && c != '\r') {
            if (c == kCtrlC || (c == kCtrlD && password.empty())) {
                std::cerr << "\n";
                throw ToolError(ToolExit::Interrupted, "password prompt cancelled");
            }
            if (c == kBackspace || c == kDelete) {
                EraseLastCharacter(password);
            } else {
                password += c;
            }
        }
    }
    std::cerr << "\n";
    return password;
}

}  // namespace Quillet::Cli
