// A stand-in for the vendor's device lister: "mdevices.exe status" lists the
// fixture's adapters the way the real tool does on Windows.
#include <exception>
#include <string>

#include "device_texts.h"
#include "fake_adapters.h"
#include "fake_output.h"
#include "fake_settings.h"

namespace {

using namespace FakeMft;

int Run(int argc, char** argv)
{
    const FakeSettings settings = FakeSettings::FromEnvironment();
    AppendArgumentsLog(settings.argumentsLog, argc, argv);
    if (argc != 2 || std::string(argv[1]) != "status") {
        WriteTo(2, "-E- Usage: mdevices status\n");
        return 1;
    }
    if (!settings.statusOutputFile.empty()) {
        WriteTo(1, ReadWholeFile(settings.statusOutputFile));
        return settings.statusExitCode;
    }
    LineWriter output(settings.crlf);
    const std::vector<std::string> lines =
        settings.noDevices ? NoDevicesLines() : StatusLines(LoadAdapters(settings.fixturePath));
    for (const std::string& line : lines) {
        output.Line(line);
    }
    WriteTo(1, output.Text());
    return settings.statusExitCode;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        WriteTo(2, std::string("-E- fake mdevices: ") + error.what() + "\n");
        return 2;
    }
}
