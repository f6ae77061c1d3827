#pragma once
#include <string>
#include <vector>

namespace FakeMft {

// How the fake tools behave, from FAKE_MFT_* environment variables
// (README.md lists them).
struct FakeSettings {
    std::string fixturePath;
    bool crlf = false;
    int statusExitCode = 0;
    bool noDevices = false;
    std::string statusOutputFile;
    std::vector<std::string> failingDevices;
    std::string hangingDevice;
    int hangSeconds = 3600;
    bool hangKeepsOutputOpen = false;
    // The query ends at once and leaves the hang to a child of its own that
    // keeps the output open.
    bool hangInGrandchild = false;
    int hugeMegabytes = 0;
    std::string argumentsLog;

    // Throws std::runtime_error naming the variable whose value is unusable.
    static FakeSettings FromEnvironment();

    bool Fails(const std::string& device) const;
};

}  // namespace FakeMft
