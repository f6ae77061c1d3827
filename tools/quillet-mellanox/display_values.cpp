#include "display_values.h"

#include <cctype>
#include <cstdio>
#include <optional>

namespace Quillet::Cli {
namespace {

bool IsDecimal(const std::string& text)
{
    return !text.empty() && text.size() <= 18 && text.find_first_not_of("0123456789") == std::string::npos;
}

std::string Hex(const std::string& decimal, int digits)
{
    char text[32];
    std::snprintf(text, sizeof text, "%0*llx", digits, std::stoull(decimal));
    return text;
}

struct CodeName {
    unsigned int code;
    const char* name;
};

// Value maps of CIM_ManagedSystemElement.
const CodeName kHealthStates[] = {{0, "Unknown"},          {5, "OK"},
                                  {10, "Degraded/Warning"}, {15, "Minor failure"},
                                  {20, "Major failure"},    {25, "Critical failure"},
                                  {30, "Non-recoverable error"}};
const CodeName kOperationalStatuses[] = {
    {0, "Unknown"},   {1, "Other"},         {2, "OK"},
    {3, "Degraded"},  {4, "Stressed"},      {5, "Predictive Failure"},
    {6, "Error"},     {7, "Non-Recoverable Error"}, {8, "Starting"},
    {9, "Stopping"},  {10, "Stopped"},      {11, "In Service"},
    {12, "No Contact"}, {13, "Lost Communication"}, {14, "Aborted"},
    {15, "Dormant"},  {16, "Supporting Entity in Error"}, {17, "Completed"},
    {18, "Power Mode"}, {19, "Relocating"}};

template <size_t N>
std::string NameOfCode(const CodeName (&names)[N], const std::string& code)
{
    if (IsDecimal(code)) {
        const unsigned long long value = std::stoull(code);
        for (const CodeName& entry : names) {
            if (entry.code == value) {
                return entry.name;
            }
        }
    }
    return code;
}

// The inverse of NameOfCode: a code, or the name of one, to the code.
template <size_t N>
std::optional<unsigned int> CodeOfText(const CodeName (&names)[N], const std::string& text)
{
    for (const CodeName& entry : names) {
        if (text == entry.name || (IsDecimal(text) && std::stoull(text) == entry.code)) {
            return entry.code;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<unsigned int> HealthStateCode(const std::string& text)
{
    return CodeOfText(kHealthStates, text);
}

std::optional<unsigned int> OperationalStatusCode(const std::string& text)
{
    // An array of codes comes blank-separated, the main one first; names may hold blanks.
    const std::string first = text.substr(0, text.find(' '));
    return CodeOfText(kOperationalStatuses, IsDecimal(first) ? first : text);
}

std::string HealthStateText(const std::string& code)
{
    return NameOfCode(kHealthStates, code);
}

std::string OperationalStatusText(const std::string& codes)
{
    // Codes from here on are the vendor's own, with no agreed meaning.
    const unsigned long long firstVendorCode = 32768;
    std::string text;
    size_t start = 0;
    while (start < codes.size()) {
        size_t end = codes.find(' ', start);
        if (end == std::string::npos) {
            end = codes.size();
        }
        const std::string code = codes.substr(start, end - start);
        const bool vendorCode = IsDecimal(code) && std::stoull(code) >= firstVendorCode;
        if (!code.empty() && !vendorCode) {
            text += (text.empty() ? "" : ", ") + NameOfCode(kOperationalStatuses, code);
        }
        start = end + 1;
    }
    return text;
}

std::string HardwareAddress(const std::string& hex)
{
    if (hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos ||
        (hex.size() != 12 && hex.size() != 16)) {
        return hex;
    }
    std::string lower;
    for (char c : hex) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const size_t group = hex.size() == 12 ? 2 : 4;
    std::string text;
    for (size_t i = 0; i < lower.size(); i += group) {
        text += (text.empty() ? "" : ":") + lower.substr(i, group);
    }
    return text;
}

std::string PciAddress(const std::string& bus, const std::string& device, const std::string& function)
{
    if (IsDecimal(bus) && IsDecimal(device) && IsDecimal(function)) {
        return Hex(bus, 2) + ":" + Hex(device, 2) + "." + Hex(function, 1);
    }
    return bus + ":" + device + "." + function;
}

std::string PciIds(const std::string& vendorId, const std::string& deviceId)
{
    if (IsDecimal(vendorId) && IsDecimal(deviceId)) {
        return Hex(vendorId, 4) + ":" + Hex(deviceId, 4);
    }
    return vendorId + ":" + deviceId;
}

std::string PciFunctionKind(int32_t type)
{
    switch (type) {
    case 0:
        return "Ethernet";
    case 1:
        return "InfiniBand";
    default:
        return "unknown";
    }
}

std::string BitRate(const std::string& bitsPerSecond)
{
    if (!IsDecimal(bitsPerSecond)) {
        return bitsPerSecond;
    }
    const unsigned long long bits = std::stoull(bitsPerSecond);
    if (bits == 0) {
        return std::string();
    }
    struct Unit {
        unsigned long long size;
        const char* name;
    };
    const Unit units[] = {{1000000000ULL, "Gb/s"}, {1000000ULL, "Mb/s"}, {1000ULL, "kb/s"}};
    for (const Unit& unit : units) {
        if (bits >= unit.size) {
            char text[48];
            if (bits % unit.size == 0) {
                std::snprintf(text, sizeof text, "%llu %s", bits / unit.size, unit.name);
            } else {
                std::snprintf(text, sizeof text, "%.1f %s", static_cast<double>(bits) / unit.size, unit.name);
            }
            return text;
        }
    }
    return std::to_string(bits) + " b/s";
}

std::string CimDate(const std::string& datetime)
{
    if (datetime.size() >= 8 && IsDecimal(datetime.substr(0, 8))) {
        return datetime.substr(0, 4) + "-" + datetime.substr(4, 2) + "-" + datetime.substr(6, 2);
    }
    return datetime;
}

std::string FirstOf(const std::string& first, const std::string& second)
{
    return first.empty() ? second : first;
}

std::string StatusMeaning(int status)
{
    switch (status) {
    case 0:
        return "success";
    case 1:
        return "a CIM step failed";
    case 2:
        return "a firmware tool was not found";
    case 3:
        return "a per-device tool query failed";
    case 4:
        return "not available out-of-band";
    default:
        return "unknown status";
    }
}

std::string DiagnosticResultMeaning(int32_t result)
{
    switch (result) {
    case 0:
        return "no diagnostic matched the name; nothing ran";
    case 1:
        return "ran, completion state not recognised";
    case 2:
        return "OK";
    case 3:
        return "Warning";
    case 4:
        return "Incomplete";
    case 5:
        return "Failed";
    case 6:
        return "Aborted";
    case 7:
        return "Stopped";
    default:
        return "unknown result";
    }
}

}  // namespace Quillet::Cli
