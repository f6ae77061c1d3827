#include "device_texts.h"

namespace FakeMft {
namespace {

const size_t kValueColumn = 23;  // zero-based: values start in column 24
const size_t kCountColumn = 47;  // GUID and MAC counts line up under "GuidsNumber"
const char kAddressesPerAdapter[] = "8";

std::string PaddedTo(std::string text, size_t width)
{
    if (text.size() < width) {
        text.resize(width, ' ');
    }
    return text;
}

std::string Field(const std::string& label, const std::string& value)
{
    return PaddedTo(label + ":", kValueColumn) + value;
}

std::string AddressField(const std::string& label, const std::string& address)
{
    if (address.empty()) {
        return Field(label, "N/A");
    }
    return PaddedTo(Field(label, address), kCountColumn) + kAddressesPerAdapter;
}

}  // namespace

std::vector<std::string> StatusLines(const std::vector<FakeAdapter>& adapters)
{
    std::vector<std::string> lines{"MST devices:", "------------"};
    for (const FakeAdapter& adapter : adapters) {
        lines.push_back("  " + adapter.mstDevice);
    }
    return lines;
}

std::vector<std::string> NoDevicesLines()
{
    return {"    No MST devices were found or MST modules are not loaded.",
            "    You may need to run 'mst start' to load MST modules."};
}

std::vector<std::string> QueryLines(const FakeAdapter& adapter)
{
    return {
        Field("Image type", adapter.imageType),
        Field("FW Version", adapter.fwVersion),
        Field("FW Release Date", adapter.fwReleaseDate),
        Field("Product Version", adapter.productVersion),
        Field("Description", "UID                GuidsNumber"),
        AddressField("Base GUID", adapter.baseGuid),
        AddressField("Base MAC", adapter.baseMac),
        Field("Image VSD", "N/A"),
        Field("Device VSD", "N/A"),
        Field("PSID", adapter.psid),
        Field("Security Attributes", "N/A"),
    };
}

}  // namespace FakeMft
