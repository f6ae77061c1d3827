#pragma once
#include <stdexcept>
#include <string>

namespace Quillet::Cli {

// Exit codes of the tool's own failures; an operation's status (0 to 4) is
// the exit code otherwise. Values from 64 follow sysexits.h.
enum class ToolExit : int {
    DiagnosticNotOk = 5,    // diag run: the diagnostic ran; its result is not OK
    NoSuchDiagnostic = 6,   // diag run: no diagnostic the server offers matches the name
    Usage = 64,        // bad arguments or hosts file
    DataError = 65,    // a password file that is empty
    NoInput = 66,      // a file named on the command line cannot be read
    Unavailable = 69,  // the simulator could not be started
    Software = 70,     // an unexpected failure inside the tool
    CannotWrite = 73,  // --out directory or file cannot be written
    Interrupted = 130  // the password prompt was cancelled; SIGINT (SIGTERM: 143, SIGHUP: 129)
};

// A failure of the tool itself (not of the module's operation): carries the
// exit code and a message that names what failed and with which value.
class ToolError : public std::runtime_error {
public:
    ToolError(ToolExit exitCode, const std::string& message);
    int ExitCode() const { return static_cast<int>(m_exit_code_); }

private:
    ToolExit m_exit_code_;
};

// "<what>: <strerror(errno)>" for failures of system calls.
std::string SystemErrorText(const std::string& what, int errorNumber);

}  // namespace Quillet::Cli
