#pragma once
#include <nlohmann/json.hpp>

#include <map>
#include <string>
#include <vector>

namespace cli_test {

// The outcome of one run of build/bin/quillet-mellanox as a child process.
struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;

    // stdout parsed as one JSON document; fails the test (and returns null) when it is not one.
    nlohmann::json Json() const;
    // stdout parsed as one JSON document per line.
    std::vector<nlohmann::json> JsonLines() const;
    // For failure messages.
    std::string Describe() const;
};

struct RunSettings {
    std::map<std::string, std::string> environment;  // added to ours
    std::string input;                                // written to the child's stdin
    bool stderrOnTerminal = false;                    // stderr is a pseudo-terminal, not a pipe
};

// Runs the tool with `arguments` (argv[1..]) and waits for it to end.
ToolRun RunTool(const std::vector<std::string>& arguments, const RunSettings& settings = RunSettings());

// The tool started as a child process that runs while the test acts on it
// (signals); Finish() collects its output and exit code.
class ToolProcess {
public:
    ToolProcess(const std::vector<std::string>& arguments, const RunSettings& settings = RunSettings());
    ~ToolProcess();
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    void Signal(int signalNumber) const;
    // Reads stdout and stderr to their end and waits for the exit.
    ToolRun Finish();

private:
    int m_pid_ = -1;
    int m_out_ = -1;
    int m_err_ = -1;
};

// A fresh directory below the system's temporary directory, removed with
// everything in it when the object goes.
class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::string& Path() const { return m_path_; }
    // Writes `content` to Path()/name and returns the file's path.
    std::string WriteFile(const std::string& name, const std::string& content) const;

private:
    std::string m_path_;
};

}  // namespace cli_test
