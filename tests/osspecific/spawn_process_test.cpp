// SpawnProcess with real children (test_child): output, exit codes, arguments,
// start failures, time-outs, and the descriptors left behind.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "log.h"
#include "osspecific.h"
#include "scoped_temp_directory.h"

namespace {

using Quillet::LogCapture;
using Quillet::OsSpecific::SpawnProcess;

const std::string kChild = OSSPECIFIC_TEST_CHILD;
const int kGenerousTimeoutSeconds = 100;

std::vector<int> OpenDescriptors()
{
    std::vector<int> descriptors;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        descriptors.push_back(std::stoi(entry.path().filename().string()));
    }
    return descriptors;
}

// Descriptors a child inherits from this process no matter what the layer
// does: those above the standard three without close-on-exec (a test runner
// may hand some down).
int InheritableExtraDescriptors()
{
    int count = 0;
    for (int fd : OpenDescriptors()) {
        const int flags = ::fcntl(fd, F_GETFD);
        if (fd > STDERR_FILENO && flags >= 0 && !(flags & FD_CLOEXEC)) {
            ++count;
        }
    }
    return count;
}

std::string ExpectedInterleaving(int count, int size)
{
    std::string text;
    for (int block = 0; block < count; ++block) {
        std::string part = (block % 2 == 0 ? "out " : "err ") + std::to_string(block) + " ";
        part.resize(static_cast<size_t>(size) - 1, static_cast<char>('a' + block % 26));
        text += part + '\n';
    }
    return text;
}

TEST(SpawnProcess, ChildWithoutOutputGivesEmptyTextAndBothProgressLines)
{
    LogCapture capture(3);
    std::string output = "stale";
    EXPECT_EQ(SpawnProcess(kChild, {"exit", "0"}, kGenerousTimeoutSeconds, &output), 0);
    EXPECT_EQ(output, "");
    const std::string commandLine = kChild + " \"exit\" \"0\"";
    EXPECT_EQ(capture.Messages(3), (std::vector<std::string>{"SpawnProcess() " + commandLine + " Returned:",
                                                             "SpawnProcess() " + commandLine + " exit code = 0"}));
    EXPECT_TRUE(capture.Messages(1).empty());
}

TEST(SpawnProcess, MergesStandardErrorIntoOneStreamInTheOrderWritten)
{
    std::string output;
    ASSERT_EQ(SpawnProcess(kChild, {"interleave", "12", "1000"}, kGenerousTimeoutSeconds, &output), 0);
    EXPECT_EQ(output, ExpectedInterleaving(12, 1000));
}

TEST(SpawnProcess, ReadsOutputFarBeyondThePipeBufferWithoutStallingTheChild)
{
    LogCapture capture(3);
    std::string output;
    ASSERT_EQ(SpawnProcess(kChild, {"interleave", "301", "4001"}, kGenerousTimeoutSeconds, &output), 0);
    EXPECT_EQ(output.size(), 301u * 4001u);
    EXPECT_EQ(output, ExpectedInterleaving(301, 4001));
    EXPECT_TRUE(capture.AnyContains(" Returned:" + output));
}

TEST(SpawnProcess, GivesTheChildsExitCode)
{
    LogCapture capture(3);
    std::string output;
    EXPECT_EQ(SpawnProcess(kChild, {"exit", "3"}, kGenerousTimeoutSeconds, &output), 3);
    EXPECT_EQ(capture.Count(3, "SpawnProcess() " + kChild + " \"exit\" \"3\" exit code = 3"), 1u);

    // A child ended by a signal reads as a shell would report it.
    EXPECT_EQ(SpawnProcess(kChild, {"signal", std::to_string(SIGKILL)}, kGenerousTimeoutSeconds, &output),
              128 + SIGKILL);
}

TEST(SpawnProcess, ArgumentsReachTheChildIntactAndAreQuotedInTheLog)
{
    const std::vector<std::string> arguments{
        "args", "two words", "", "$(touch pwned); `id` | cat > x < y & * ? ~ # ; 'single' \"double\" \\ back", "\ttab"};
    LogCapture capture(3);
    std::string output;
    ASSERT_EQ(SpawnProcess(kChild, arguments, kGenerousTimeoutSeconds, &output), 0);
    EXPECT_EQ(output,
              "[two words]\n[]\n[$(touch pwned); `id` | cat > x < y & * ? ~ # ; 'single' \"double\" \\ back]\n"
              "[\ttab]\n");
    const std::string commandLine = kChild +
                                    " \"args\" \"two words\" \"\" \"$(touch pwned); `id` | cat > x < y & * ? ~ # ; "
                                    "'single' \"double\" \\ back\" \"\ttab\"";
    EXPECT_EQ(capture.Count(3, "SpawnProcess() " + commandLine + " Returned:" + output), 1u);
    EXPECT_EQ(capture.Count(3, "SpawnProcess() " + commandLine + " exit code = 0"), 1u);
}

TEST(SpawnProcess, ChildSeesTheEndOfItsInputAndNoneOfOurDescriptors)
{
    std::string output;
    ASSERT_EQ(SpawnProcess(kChild, {"stdin"}, kGenerousTimeoutSeconds, &output), 0);
    EXPECT_EQ(output, "stdin bytes: 0\n");

    const int inherited = InheritableExtraDescriptors();
    ASSERT_EQ(SpawnProcess(kChild, {"fds"}, kGenerousTimeoutSeconds, &output), 0);
    EXPECT_EQ(output, "extra descriptors: " + std::to_string(inherited) + "\n");
}

TEST(SpawnProcess, ProgramThatCannotBeStartedGivesMinusOneAndLeavesNothingOpen)
{
    QuilletTest::ScopedTempDirectory directory;
    const std::string notExecutable = directory.WriteFile("data.txt", "#!/bin/sh\necho hi\n").string();
    ::chmod(notExecutable.c_str(), 0644);
    const std::vector<std::string> programs{"/nonexistent/quillet/program", "quillet-no-such-program-on-path",
                                            notExecutable, directory.Path().string()};
    for (const std::string& program : programs) {
        SCOPED_TRACE(program);
        const std::vector<int> before = OpenDescriptors();
        LogCapture capture(4);
        std::string output = "kept";
        EXPECT_EQ(SpawnProcess(program, {"status"}, kGenerousTimeoutSeconds, &output), -1);
        EXPECT_EQ(capture.Messages(1), std::vector<std::string>{"CreateProcess Failed"});
        EXPECT_TRUE(capture.Messages(3).empty());
        EXPECT_EQ(output, "kept");
        EXPECT_EQ(OpenDescriptors(), before);
    }
}

TEST(SpawnProcess, RunsAfterwardsLeaveNoDescriptorOpen)
{
    const std::vector<int> before = OpenDescriptors();
    std::string output;
    for (int run = 0; run < 5; ++run) {
        ASSERT_EQ(SpawnProcess(kChild, {"interleave", "4", "100"}, kGenerousTimeoutSeconds, &output), 0);
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(SpawnProcess, GivesStillActiveWhenTheChildOutlivesTheTimeoutAndLeavesItRunning)
{
    QuilletTest::ScopedTempDirectory directory;
    const std::string pidFile = (directory.Path() / "child.pid").string();
    int pauses = 0;
    // The bounded wait is a real one: the module's pause hook is not involved.
    Quillet::OsSpecific::ScopedSleepObserver observer([&pauses](unsigned int) { ++pauses; });
    const std::vector<int> before = OpenDescriptors();
    LogCapture capture(3);

    std::string output;
    EXPECT_EQ(SpawnProcess(kChild, {"detach", pidFile, "60"}, 1, &output), Quillet::OsSpecific::kStillActive);
    EXPECT_EQ(output, "detaching\n");
    EXPECT_EQ(capture.Count(3, "SpawnProcess() " + kChild + " \"detach\" \"" + pidFile + "\" \"60\" exit code = 259"),
              1u);
    EXPECT_EQ(pauses, 0);
    EXPECT_EQ(OpenDescriptors(), before);

    pid_t child = 0;
    std::ifstream(pidFile) >> child;
    ASSERT_GT(child, 0);
    EXPECT_EQ(::kill(child, 0), 0) << "the child should still be running";
    ::kill(child, SIGKILL);
}

TEST(SpawnProcess, TimedOutChildrenAreCollectedOnceEndedAndEndedWithTheirList)
{
    QuilletTest::ScopedTempDirectory directory;
    const std::string pidFile = (directory.Path() / "child.pid").string();
    std::string output;
    auto timedOut = std::make_unique<Quillet::OsSpecific::TimedOutChildren>();
    // Ends a second after its output, which the shortened wait does not see.
    {
        Quillet::OsSpecific::ScopedChildWaitObserver shortWait([](int64_t) { return int64_t{100}; });
        EXPECT_EQ(SpawnProcess(kChild, {"detach", pidFile, "1"}, 100, &output, timedOut.get()),
                  Quillet::OsSpecific::kStillActive);
        EXPECT_EQ(SpawnProcess(kChild, {"detach", pidFile, "3600"}, 100, &output, timedOut.get()),
                  Quillet::OsSpecific::kStillActive);
    }
    EXPECT_EQ(timedOut->Size(), 2u);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    LogCapture capture(3);
    EXPECT_EQ(SpawnProcess(kChild, {"exit", "0"}, 100, &output, timedOut.get()), 0);
    EXPECT_EQ(timedOut->Size(), 1u) << "the ended one was collected by the next spawn";
    pid_t running = 0;
    std::ifstream(pidFile) >> running;
    ASSERT_GT(running, 0);
    timedOut.reset();
    EXPECT_EQ(capture.Count(3, "SpawnProcess() " + kChild + " \"detach\" \"" + pidFile + "\" \"3600\" ended after its time-out"),
              1u);
    // The program goes with its helper; give the kernel a moment to deliver.
    for (int tries = 0; tries < 100 && ::kill(running, 0) == 0; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_NE(::kill(running, 0), 0) << "the program that outlived its time ended with its list";
}

TEST(SpawnProcess, ExitCodeIsKeptWhenTheHostIgnoresSigchld)
{
    struct sigaction ignored {};
    ignored.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGCHLD, &ignored, &previous), 0);
    std::string output;
    const int failed = SpawnProcess(kChild, {"exit", "3"}, kGenerousTimeoutSeconds, &output);
    const int succeeded = SpawnProcess(kChild, {"exit", "0"}, kGenerousTimeoutSeconds, &output);
    struct sigaction after {};
    ::sigaction(SIGCHLD, &previous, &after);
    EXPECT_EQ(failed, 3);
    EXPECT_EQ(succeeded, 0);
    EXPECT_EQ(after.sa_handler, SIG_IGN);
}

}  // namespace
