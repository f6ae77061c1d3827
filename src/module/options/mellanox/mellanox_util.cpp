#include "mellanox_util.h"

#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

#include "opn_logging.h"
#include "osspecific.h"

namespace Quillet {
namespace Mellanox {
namespace {

// Where the vendor's tools lie below a root directory. Joined to the root as
// they stand: no separator is added or removed.
#ifdef _WIN32
const char kMdevicesRelativePath[] = "\\utilities\\mellanox\\WinMFT\\mdevices.exe";
const char kFlintRelativePath[] = "\\utilities\\mellanox\\WinMFT\\flint.bat";
#else
const char kMdevicesRelativePath[] = "/utilities/mellanox/WinMFT/mdevices.exe";
const char kFlintRelativePath[] = "/utilities/mellanox/WinMFT/flint.bat";
#endif

// A child gets this long to end its output, and as long again to exit after it.
const int kCommandTimeoutSeconds = 100;

// The line of the device lister's output after which device names follow.
const char kDeviceListSeparator[] = "------------";

// The command table: for each tool key, the rows that describe its commands.
const CmdDesc kFlintCommands[] = {
    {"-d", "This command shows all the information of one mellanox device.", "device_info"},
};
const CmdDesc kMdevicesCommands[] = {
    {"status", "This command shows all devices of mellanox.", "all_devices_info"},
};
// The empty key matches every command line that names the tool.
const CmdDesc kLspciCommands[] = {
    {"", "This command shows all devices of mellanox.", "all_devices_info"},
};

struct ToolCommands {
    const char* toolKey;
    const CmdDesc* rows;
    size_t rowCount;
};

template <size_t N>
constexpr ToolCommands Tool(const char* toolKey, const CmdDesc (&rows)[N])
{
    return ToolCommands{toolKey, rows, N};
}

// Tried in this order: the first tool key found in a command line decides.
const ToolCommands kCommandTable[] = {
    Tool("flint.bat", kFlintCommands),
    Tool("mdevices.exe", kMdevicesCommands),
    Tool("lspci", kLspciCommands),
};

// Appended to every per-device query of flint.bat.
const char* const kQueryArguments[] = {"query"};

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

// The tool, then each argument after one space, without quotes.
std::string CommandText(const std::string& tool, const std::vector<std::string>& arguments)
{
    std::string text = tool;
    for (const std::string& argument : arguments) {
        text += ' ';
        text += argument;
    }
    return text;
}

// Lines split at each line feed, which is dropped; a carriage return stays.
// Text after the last line feed is a line only when it is not empty.
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start < text.size()) {
        const std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string WithoutSpaces(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c != ' ') {
            result += c;
        }
    }
    return result;
}

// Handles one line after the separator: its name, when it holds one, is
// appended to `devices`.
void TakeDeviceLine(const std::string& line, std::vector<std::string>& devices)
{
    OPN_LOG(4) << "MellanoxUtil::GetDevices, the line2 is :" << line;
    OPN_LOG(4) << "MellanoxUtil::GetDevices, the line2's length is :" << line.size();
    const std::string name = WithoutSpaces(line);
    if (name.size() < 2 || Contains(name, "No")) {
        return;
    }
    OPN_LOG(4) << "MellanoxUtil::GetDevices, the line3 is :" << name;
    devices.push_back(name);
}

// "Mellanox_", the index with at least two digits, "_".
std::string RecordPrefix(size_t index)
{
    const std::string digits = std::to_string(index);
    return std::string("Mellanox_") + (digits.size() < 2 ? "0" : "") + digits + "_";
}

}  // namespace

MellanoxUtil::MellanoxUtil()
{
    OPN_LOG(4) << "Calling constructor of MellanoxUtil";
}

MellanoxUtil::~MellanoxUtil()
{
    OPN_LOG(4) << "Calling destructor of MellanoxUtil";
}

int MellanoxUtil::GetRawData(std::vector<Quillet::QuilletIHV::RawData_>& records, const std::string& rootDirectory)
{
    OPN_LOG(4) << "Entering MellanoxUtil::GetRawData";
    if (LookForUtilityDir(rootDirectory) == 2) {
        return 2;
    }

    std::vector<std::string> devices;
    GetDevices(records, devices);
    OPN_LOG(4) << "==========devices.size()==========" << devices.size();

    int lastFailure = 0;
    for (const std::string& device : devices) {
        Quillet::QuilletIHV::RawData_ record;
        std::string output;
        std::vector<std::string> arguments{"-d", device};
        arguments.insert(arguments.end(), std::begin(kQueryArguments), std::end(kQueryArguments));
        OPN_LOG(4) << "==========devices[i]==========" << device;
        const int result = ExcuteCommand(m_utility_, arguments, record, &output);
        if (result == 0) {
            records.push_back(std::move(record));
        } else {
            lastFailure = result;
        }
    }

    // The whole list is numbered, records the caller brought included.
    for (size_t k = 0; k < records.size(); ++k) {
        records[k].name = RecordPrefix(k) + records[k].name;
    }
    return lastFailure != 0 ? 3 : 0;
}

int MellanoxUtil::LookForUtilityDir(std::string rootDirectory)
{
    const std::string directory =
        rootDirectory.empty()
            ? Quillet::OsSpecific::GetModuleDirectory(Quillet::OsSpecific::GetSelfModuleHandle())
            : rootDirectory;
    // Both paths are set before either is tested and stay set on failure.
    m_utility_ = directory + kFlintRelativePath;
    m_mdevices_ = directory + kMdevicesRelativePath;

    if (!Quillet::OsSpecific::FileExists(m_mdevices_)) {
        OPN_LOG(1) << "Can not find " << m_mdevices_;
        return 2;
    }
    OPN_LOG(4) << "MellanoxUtil::LookForUtilityDir, the m_utility_ is :" << m_utility_;
    if (!Quillet::OsSpecific::FileExists(m_utility_)) {
        OPN_LOG(1) << "Can not find " << m_utility_;
        return 2;
    }
    return 0;
}

int MellanoxUtil::GetCmdDesc(const std::string& commandLine, std::string& description, std::string& name)
{
    OPN_LOG(3) << "Enter MellanoxUtil::GetCmdDesc";
    for (const ToolCommands& tool : kCommandTable) {
        if (!Contains(commandLine, tool.toolKey)) {
            continue;
        }
        for (size_t row = 0; row < tool.rowCount; ++row) {
            if (Contains(commandLine, tool.rows[row].argumentKey)) {
                description = tool.rows[row].description;
                name = tool.rows[row].rawDataName;
                break;
            }
        }
        break;
    }
    OPN_LOG(3) << "Exit MellanoxUtil::GetCmdDesc";
    return 0;
}

int MellanoxUtil::ExcuteCommand(std::string tool, std::vector<std::string> arguments,
                                Quillet::QuilletIHV::RawData_& record, std::string* output)
{
    std::string discarded;
    std::string* printed = output != nullptr ? output : &discarded;
    const int result = Quillet::OsSpecific::SpawnProcess(tool, arguments, kCommandTimeoutSeconds, printed, &m_timed_out_);

    const std::string commandText = CommandText(tool, arguments);
    record.command = commandText;
    record.content = *printed;
    GetCmdDesc(commandText, record.description, record.name);

    OPN_LOG(4) << "ExcuteCommand:" << commandText;
    OPN_LOG(4) << "ExcuteCommand result:" << result;
    return result;
}

std::vector<std::string> MellanoxUtil::ParseDeviceList(const std::string& output)
{
    const std::vector<std::string> lines = SplitLines(output);
    std::vector<std::string> devices;
    bool separatorFound = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        OPN_LOG(4) << "MellanoxUtil::GetDevices, the line1 is :" << lines[i];
        if (!separatorFound) {
            if (!Contains(lines[i], kDeviceListSeparator)) {
                continue;
            }
            separatorFound = true;
            // The separator itself is dropped; the line after it is the first
            // device line and is not traced as a line1.
            if (++i == lines.size()) {
                break;
            }
        }
        TakeDeviceLine(lines[i], devices);
    }
    return devices;
}

void MellanoxUtil::GetDevices(std::vector<Quillet::QuilletIHV::RawData_>& records, std::vector<std::string>& devices)
{
    OPN_LOG(4) << "Entering MellanoxUtil::GetDevices";
    Quillet::QuilletIHV::RawData_ record;
    std::string output;
    const int result = ExcuteCommand(m_mdevices_, {"status"}, record, &output);

    devices = ParseDeviceList(output);
    // The listing is kept only when it succeeded and listed something.
    if (!devices.empty() && result == 0) {
        records.push_back(std::move(record));
    }
    OPN_LOG(4) << "Exiting MellanoxUtil::GetDevices";
}

}  // namespace Mellanox
}  // namespace Quillet
