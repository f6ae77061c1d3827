// A stand-in for the vendor's firmware tool: "flint.bat -d DEVICE query"
// prints the fixture adapter's firmware query the way the real tool does.
#include <exception>
#include <string>

#include "device_texts.h"
#include "fake_adapters.h"
#include "fake_output.h"
#include "fake_settings.h"

namespace {

using namespace FakeMft;

// The Windows device lister ends its lines with CR LF and the module passes
// the CR on with the name; the real tool ignores it, and so do we.
std::string WithoutTrailingBlanks(std::string device)
{
    while (!device.empty() && (device.back() == '\r' || device.back() == '\n' || device.back() == ' ' ||
                               device.back() == '\t')) {
        device.pop_back();
    }
    return device;
}

bool IsQuery(int argc, char** argv)
{
    if (argc != 4 || std::string(argv[1]) != "-d") {
        return false;
    }
    const std::string command = argv[3];
    return command == "query" || command == "q";
}

int Run(int argc, char** argv)
{
    const FakeSettings settings = FakeSettings::FromEnvironment();
    AppendArgumentsLog(settings.argumentsLog, argc, argv);
    if (!IsQuery(argc, argv)) {
        WriteTo(2, "-E- Usage: flint -d <device> query\n");
        return 1;
    }
    const std::string device = WithoutTrailingBlanks(argv[2]);
    if (settings.Fails(device)) {
        WriteTo(2, "-E- Cannot open Device: " + device + ". MFE_CR_ERROR\n");
        return 1;
    }
    const std::vector<FakeAdapter> adapters = LoadAdapters(settings.fixturePath);
    const FakeAdapter* adapter = FindAdapter(adapters, device);
    if (adapter == nullptr) {
        WriteTo(2, "-E- Cannot open Device: " + device + ". No such file or directory\n");
        return 1;
    }

    LineWriter output(settings.crlf);
    for (const std::string& line : QueryLines(*adapter)) {
        output.Line(line);
    }
    WriteTo(1, output.Text());
    if (settings.hugeMegabytes > 0) {
        WriteTo(1, FillerText(settings.hugeMegabytes, settings.crlf));
    }
    if (!settings.hangingDevice.empty() && settings.hangingDevice == device) {
        if (settings.hangInGrandchild) {
            HoldOutputInChild(settings.hangSeconds);
            return 0;
        }
        if (!settings.hangKeepsOutputOpen) {
            CloseOutput();
        }
        SleepSeconds(settings.hangSeconds);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        WriteTo(2, std::string("-E- fake flint: ") + error.what() + "\n");
        return 2;
    }
}
