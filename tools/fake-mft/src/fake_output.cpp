#include "fake_output.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace FakeMft {

void WriteTo(int fd, const std::string& text)
{
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(fd, text.data() + written, text.size() - written);
        if (count <= 0) {
            return;  // the reader has gone: nothing more to tell it
        }
        written += static_cast<size_t>(count);
    }
}

void CloseOutput()
{
    ::close(STDOUT_FILENO);
    ::close(STDERR_FILENO);
}

void SleepSeconds(int seconds)
{
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
}

void HoldOutputInChild(int seconds)
{
    if (::fork() != 0) {
        return;
    }
    // A pipe's write end reports an error once the reader has closed its end:
    // the holder goes then, and leaves nothing behind a reader that gave up.
    pollfd output{STDOUT_FILENO, 0, 0};
    ::poll(&output, 1, seconds * 1000);
    ::_exit(0);
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot open " + path);
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

void AppendArgumentsLog(const std::string& logPath, int argc, char** argv)
{
    if (logPath.empty()) {
        return;
    }
    std::string program = argc > 0 ? argv[0] : "";
    program = program.substr(program.find_last_of('/') + 1);
    std::string line = program;
    for (int i = 1; i < argc; ++i) {
        line += " [" + std::string(argv[i]) + "]";
    }
    std::ofstream(logPath, std::ios::app) << line << "\n";
}

std::string FillerText(int megabytes, bool crlf)
{
    const size_t wanted = static_cast<size_t>(megabytes) * 1024 * 1024;
    LineWriter writer(crlf);
    char line[80];
    for (unsigned long number = 0; writer.Text().size() < wanted; ++number) {
        std::snprintf(line, sizeof line, "-I- Trace %08lu: register dump 0x%016lx", number, number * 0x9e3779b9ul);
        writer.Line(line);
    }
    return writer.Text();
}

}  // namespace FakeMft
