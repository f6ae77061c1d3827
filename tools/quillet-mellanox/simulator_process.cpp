#include "simulator_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "tool_error.h"

namespace Quillet::Cli {
namespace {

using Clock = std::chrono::steady_clock;

const char kListeningMarker[] = "listening on ";
const std::chrono::seconds kStartupLimit(20);
const std::chrono::seconds kShutdownLimit(5);
const int kDrainPollMilliseconds = 200;

std::vector<std::string> SimulatorArguments(const SimulatorSettings& settings)
{
    std::vector<std::string> arguments{settings.executable, "--port", "0"};
    if (!settings.echoOutput) {
        arguments.push_back("--quiet");
    }
    if (!settings.fixture.empty()) {
        arguments.insert(arguments.end(), {"--fixture", settings.fixture});
    }
    if (settings.providerStopped) {
        arguments.push_back("--provider-stopped");
    }
    if (settings.https) {
        arguments.push_back("--https");
    }
    if (!settings.user.empty()) {
        arguments.insert(arguments.end(), {"--user", settings.user, "--password-file", settings.passwordFile});
    }
    return arguments;
}

std::string ExitText(int waitStatus)
{
    if (WIFEXITED(waitStatus)) {
        return "exit status " + std::to_string(WEXITSTATUS(waitStatus));
    }
    if (WIFSIGNALED(waitStatus)) {
        return "killed by signal " + std::to_string(WTERMSIG(waitStatus));
    }
    return "wait status " + std::to_string(waitStatus);
}

// "http://127.0.0.1:40123" -> 40123; 0 when the text ends in no port.
uint16_t PortOfUrl(const std::string& url)
{
    const size_t colon = url.rfind(':');
    if (colon == std::string::npos) {
        return 0;
    }
    unsigned long port = 0;
    for (size_t i = colon + 1; i < url.size() && url[i] >= '0' && url[i] <= '9'; ++i) {
        port = port * 10 + static_cast<unsigned long>(url[i] - '0');
        if (port > 65535) {
            return 0;
        }
    }
    return static_cast<uint16_t>(port);
}

}  // namespace

SimulatorProcess::SimulatorProcess(const SimulatorSettings& settings)
{
    if (access(settings.executable.c_str(), X_OK) != 0) {
        throw ToolError(ToolExit::Unavailable,
                        SystemErrorText("cannot run the simulated CIM server '" + settings.executable + "'", errno) +
                            " (it is built by the target mlnx-cimsim)");
    }
    Start(SimulatorArguments(settings));
    try {
        AwaitListening(settings.executable);
    } catch (...) {
        Stop();
        throw;
    }
    m_drain_ = std::thread(&SimulatorProcess::DrainOutput, this, settings.echoOutput);
}

SimulatorProcess::~SimulatorProcess()
{
    Stop();
}

void SimulatorProcess::Start(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        throw ToolError(ToolExit::Unavailable, SystemErrorText("cannot create a pipe for the simulator", errno));
    }
    const pid_t parent = getpid();
    m_pid_ = fork();
    if (m_pid_ < 0) {
        const int error = errno;
        close(pipeFds[0]);
        close(pipeFds[1]);
        throw ToolError(ToolExit::Unavailable, SystemErrorText("cannot start the simulator", error));
    }
    if (m_pid_ == 0) {
        // Child: only async-signal-safe calls until exec. Its own process
        // group keeps a terminal's Ctrl-C for us; the death signal stops it
        // when we go, however we go.
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(127);
        }
        dup2(pipeFds[1], STDOUT_FILENO);
        dup2(pipeFds[1], STDERR_FILENO);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    m_output_fd_ = pipeFds[0];
}

void SimulatorProcess::AwaitListening(const std::string& executable)
{
    const Clock::time_point deadline = Clock::now() + kStartupLimit;
    std::string output;
    for (;;) {
        const size_t marker = output.find(kListeningMarker);
        const size_t lineEnd = marker == std::string::npos ? marker : output.find('\n', marker);
        if (lineEnd != std::string::npos) {
            const size_t urlStart = marker + sizeof kListeningMarker - 1;
            m_url_ = output.substr(urlStart, output.find_first_of(" \r\n", urlStart) - urlStart);
            m_port_ = PortOfUrl(m_url_);
            if (m_port_ == 0) {
                throw ToolError(ToolExit::Unavailable,
                                "the simulator '" + executable + "' announced no port: '" + m_url_ + "'");
            }
            return;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd ready{m_output_fd_, POLLIN, 0};
        if (left <= 0 || poll(&ready, 1, static_cast<int>(left)) == 0) {
            throw ToolError(ToolExit::Unavailable, "the simulator '" + executable + "' did not report 'listening on' within " +
                                                       std::to_string(kStartupLimit.count()) + " s; it printed: " + output);
        }
        char buffer[4096];
        const ssize_t got = read(m_output_fd_, buffer, sizeof buffer);
        if (got > 0) {
            output.append(buffer, static_cast<size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            int status = 0;
            waitpid(m_pid_, &status, 0);
            m_pid_ = -1;
            throw ToolError(ToolExit::Unavailable, "the simulator '" + executable + "' stopped before it listened (" +
                                                       ExitText(status) + "); it printed: " + output);
        }
    }
}

void SimulatorProcess::Stop()
{
    if (m_pid_ > 0) {
        kill(m_pid_, SIGTERM);
        const Clock::time_point deadline = Clock::now() + kShutdownLimit;
        int status = 0;
        while (waitpid(m_pid_, &status, WNOHANG) == 0) {
            if (Clock::now() >= deadline) {
                kill(m_pid_, SIGKILL);
                waitpid(m_pid_, &status, 0);
                break;
            }
            poll(nullptr, 0, 20);
        }
        m_pid_ = -1;
    }
    m_stopping_ = true;
    if (m_drain_.joinable()) {
        m_drain_.join();
    }
    if (m_output_fd_ >= 0) {
        close(m_output_fd_);
        m_output_fd_ = -1;
    }
}

// Keeps the pipe from filling up (which would stall the simulator) until it
// ends or we stop.
void SimulatorProcess::DrainOutput(bool echo)
{
    char buffer[4096];
    while (!m_stopping_) {
        pollfd ready{m_output_fd_, POLLIN, 0};
        if (poll(&ready, 1, kDrainPollMilliseconds) <= 0) {
            continue;
        }
        const ssize_t got = read(m_output_fd_, buffer, sizeof buffer);
        if (got <= 0) {
            return;
        }
        if (echo) {
            std::fwrite(buffer, 1, static_cast<size_t>(got), stderr);
        }
    }
}

}  // namespace Quillet::Cli
