#include "fake_settings.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace FakeMft {
namespace {

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

int NumberVariable(const char* name, int fallback)
{
    const std::string text = Variable(name);
    if (text.empty()) {
        return fallback;
    }
    size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value < 0) {
        throw std::runtime_error(std::string(name) + " is not a non-negative number: '" + text + "'");
    }
    return value;
}

bool FlagVariable(const char* name)
{
    const std::string text = Variable(name);
    return !text.empty() && text != "0";
}

// A comma-separated list; empty items are skipped.
std::vector<std::string> ListVariable(const char* name)
{
    std::vector<std::string> items;
    std::istringstream text(Variable(name));
    std::string item;
    while (std::getline(text, item, ',')) {
        if (!item.empty()) {
            items.push_back(item);
        }
    }
    return items;
}

}  // namespace

FakeSettings FakeSettings::FromEnvironment()
{
    FakeSettings settings;
    settings.fixturePath = Variable("FAKE_MFT_FIXTURE");
    settings.crlf = FlagVariable("FAKE_MFT_CRLF");
    settings.statusExitCode = NumberVariable("FAKE_MFT_STATUS_EXIT", 0);
    settings.noDevices = FlagVariable("FAKE_MFT_NO_DEVICES");
    settings.statusOutputFile = Variable("FAKE_MFT_STATUS_OUTPUT");
    settings.failingDevices = ListVariable("FAKE_MFT_FAIL_DEVICE");
    settings.hangingDevice = Variable("FAKE_MFT_HANG_DEVICE");
    settings.hangSeconds = NumberVariable("FAKE_MFT_HANG_SECONDS", settings.hangSeconds);
    const std::string hangOutput = Variable("FAKE_MFT_HANG_OUTPUT");
    if (!hangOutput.empty() && hangOutput != "open" && hangOutput != "closed" && hangOutput != "grandchild") {
        throw std::runtime_error("FAKE_MFT_HANG_OUTPUT is not 'open', 'closed' or 'grandchild': '" + hangOutput +
                                 "'");
    }
    settings.hangKeepsOutputOpen = hangOutput == "open";
    settings.hangInGrandchild = hangOutput == "grandchild";
    settings.hugeMegabytes = NumberVariable("FAKE_MFT_HUGE_MB", 0);
    settings.argumentsLog = Variable("FAKE_MFT_ARGS_LOG");
    return settings;
}

bool FakeSettings::Fails(const std::string& device) const
{
    return std::find(failingDevices.begin(), failingDevices.end(), device) != failingDevices.end();
}

}  // namespace FakeMft
