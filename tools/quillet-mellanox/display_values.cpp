#include "display_values.h"

#include <cstdio>

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

}  // namespace

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
    case Quillet::Mellanox::PCI_DEVICE_TYPE_ETHERNET:
        return "Ethernet";
    case Quillet::Mellanox::PCI_DEVICE_TYPE_INFINIBAND:
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
