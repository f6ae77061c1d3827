#include "tool_run.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace cli_test {
namespace {

void ReadBoth(int outFd, int errFd, std::string& out, std::string& err)
{
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&out, &err};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[65536];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

}  // namespace

nlohmann::json ToolRun::Json() const
{
    nlohmann::json document = nlohmann::json::parse(out, nullptr, false);
    EXPECT_FALSE(document.is_discarded()) << "stdout is not one JSON document\n" << Describe();
    return document.is_discarded() ? nlohmann::json() : document;
}

std::vector<nlohmann::json> ToolRun::JsonLines() const
{
    std::vector<nlohmann::json> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        nlohmann::json document = nlohmann::json::parse(line, nullptr, false);
        EXPECT_FALSE(document.is_discarded()) << "not a JSON line: " << line;
        lines.push_back(document);
    }
    return lines;
}

std::string ToolRun::Describe() const
{
    return "exit code " + std::to_string(exitCode) + "\n--- stdout\n" + out.substr(0, 4000) + "\n--- stderr\n" +
           err.substr(0, 4000);
}

ToolProcess::ToolProcess(const std::vector<std::string>& arguments, const RunSettings& settings)
{
    std::vector<std::string> argvText{QUILLET_MELLANOX_TOOL};
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : argvText) argv.push_back(text.data());
    argv.push_back(nullptr);

    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0) {
        ADD_FAILURE() << "pipe: " << std::strerror(errno);
        return;
    }
    // err[0] is what we read, err[1] what the child writes to.
    if (settings.stderrOnTerminal ? openpty(&err[0], &err[1], nullptr, nullptr, nullptr) != 0 : pipe(err) != 0) {
        ADD_FAILURE() << "stderr channel: " << std::strerror(errno);
        return;
    }
    m_pid_ = fork();
    if (m_pid_ == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        for (const auto& [name, value] : settings.environment) setenv(name.c_str(), value.c_str(), 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // The input is small: the pipe holds it without the child reading.
    signal(SIGPIPE, SIG_IGN);
    if (!settings.input.empty() && write(in[1], settings.input.data(), settings.input.size()) < 0) {
        ADD_FAILURE() << "writing the child's stdin: " << std::strerror(errno);
    }
    close(in[1]);
    m_out_ = out[0];
    m_err_ = err[0];
}

ToolProcess::~ToolProcess()
{
    if (m_pid_ > 0) {
        kill(m_pid_, SIGKILL);
        Finish();
    }
}

void ToolProcess::Signal(int signalNumber) const
{
    if (m_pid_ > 0) kill(m_pid_, signalNumber);
}

ToolRun ToolProcess::Finish()
{
    ToolRun run;
    if (m_pid_ <= 0) return run;
    ReadBoth(m_out_, m_err_, run.out, run.err);
    int status = 0;
    waitpid(m_pid_, &status, 0);
    m_pid_ = -1;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

ToolRun RunTool(const std::vector<std::string>& arguments, const RunSettings& settings)
{
    return ToolProcess(arguments, settings).Finish();
}

TempDirectory::TempDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-cli-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "mkdtemp: " << std::strerror(errno);
    }
    m_path_ = pattern;
}

TempDirectory::~TempDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path_, ignored);
}

std::string TempDirectory::WriteFile(const std::string& name, const std::string& content) const
{
    const std::string path = m_path_ + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    // Private, as the tool wants password files; hosts files do not mind.
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    return path;
}

}  // namespace cli_test
