// A host as the framework is one: it knows the module only by its public
// header and links only quillet_mellanox.lib (nothing of the module or of the
// tests is linked in), and drives all five operations out-of-band and
// in-band against the simulated CIM servers that CTest started. Built with
// the same compiler as the DLL, it proves that the exported class and the
// records cross the boundary intact; a DLL of another C++ ABI does not link.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "mellanox.h"

using Quillet::Mellanox::Mellanox;
using Quillet::Mellanox::StructuredInfo_;

#if defined(_MSC_VER) && defined(_WIN64)
// The records' layout as Microsoft's x64 compiler gives it (std::string 32
// bytes, std::vector 24): a framework built with it reads them at these sizes.
static_assert(sizeof(std::string) == 32 && sizeof(std::vector<int>) == 24, "Microsoft's x64 STL");
static_assert(sizeof(Quillet::Mellanox::PCIDevice_) == 680, "int32 type, padding, 21 texts");
static_assert(sizeof(Quillet::Mellanox::Port_) == 864, "27 texts");
static_assert(sizeof(Quillet::Mellanox::StructuredInfo_) == 72, "3 vectors");
static_assert(sizeof(Quillet::QLOptions::SoftwareIdentity_) == 712, "22 texts, int32, padding");
static_assert(sizeof(Quillet::QuilletIHV::RawData_) == 192, "6 texts");
static_assert(sizeof(Quillet::QuilletIHV::DiagnosticRecord_) == 264, "int32, padding, 8 texts");
static_assert(sizeof(Quillet::QuilletConnection::ConnectionInfo) == 120, "texts, shorts and ints");
static_assert(offsetof(Quillet::QuilletConnection::ConnectionInfo, connection_type) == 108, "after two shorts");
static_assert(offsetof(Quillet::QLOptions::SoftwareIdentity_, reserved_value) == 704, "after 22 texts");
#endif

namespace {

int failures = 0;

void Check(bool passed, const std::string& what)
{
    std::printf("%s: %s\n", passed ? "ok" : "FAIL", what.c_str());
    if (!passed) {
        ++failures;
    }
}

// "http://127.0.0.1:PORT", as the simulator fixture wrote it for `name`.
std::string SimulatorUrl(const char* name)
{
    const char* state = std::getenv("QUILLET_CIMSIM_STATE");
    if (state == nullptr) {
        throw std::runtime_error("QUILLET_CIMSIM_STATE is not set");
    }
    const std::string file = std::string(state) + "/" + name + ".url";
    std::ifstream in(file);
    std::string url;
    if (!std::getline(in, url) || url.empty()) {
        throw std::runtime_error("no simulator URL in " + file);
    }
    return url;
}

Quillet::QuilletConnection::ConnectionInfo OutOfBand(const std::string& url)
{
    const std::string::size_type colon = url.rfind(':');
    Quillet::QuilletConnection::ConnectionInfo info;
    info.host = url.substr(url.find("//") + 2, colon - url.find("//") - 2);
    info.port = static_cast<uint16_t>(std::stoi(url.substr(colon + 1)));
    return info;
}

void OutOfBandOperations(const std::string& url)
{
    Mellanox module(OutOfBand(url));
    StructuredInfo_ info;
    Check(module.GetStructuredInfo(info) == 0, "out-of-band GetStructuredInfo answers 0");
    Check(info.pci_devices.size() == 4 && info.pci_devices[0].device_ID == "0000:03:00.0" &&
              info.pci_devices[0].type == 1,
          "out-of-band: 4 PCI functions, the first InfiniBand at 0000:03:00.0");
    Check(info.ports.size() == 4 && info.software_identities.size() == 13, "out-of-band: 4 ports, 13 identities");

    std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
    Check(module.GetSoftwareIdentities(identities) == 0 && !identities.empty() &&
              !identities[0].version_string.empty() && identities[0].reserved_value == 3 &&
              identities[0].is_PLDM_update_supported == "0",
          "out-of-band GetSoftwareIdentities: versions, and the defaults of the fields it leaves");

    std::vector<std::string> names;
    Quillet::QuilletIHV::DiagnosticRecord_ record;
    std::vector<Quillet::QuilletIHV::RawData_> raw;
    Check(module.GetDiagItems(names) == 4 && module.RunDiagnostic("any", record) == 4 &&
              module.GetRawData(raw, "") == 4,
          "out-of-band GetDiagItems, RunDiagnostic and GetRawData answer 4");
}

void InBandOperations(const std::string& url)
{
    // The module's CIM client reads the local server's address from here.
    _putenv_s("QUILLET_CIMSERVER_LOCAL", url.c_str());
    Mellanox module;
    StructuredInfo_ info;
    Check(module.GetStructuredInfo(info) == 0 && info.pci_devices.size() == 4, "in-band GetStructuredInfo");
    std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
    Check(module.GetSoftwareIdentities(identities) == 0 && !identities.empty(), "in-band GetSoftwareIdentities");

    std::vector<std::string> names;
    Check(module.GetDiagItems(names) == 0 && !names.empty() && names[0].find('|') != std::string::npos,
          "in-band GetDiagItems names service|device");
    Quillet::QuilletIHV::DiagnosticRecord_ record;
    Check(!names.empty() && module.RunDiagnostic(names[0], record) == 0 && !record.completion_state.empty(),
          "in-band RunDiagnostic fills the completion state");

    std::vector<Quillet::QuilletIHV::RawData_> raw;
    Check(module.GetRawData(raw, "") == 0 && raw.size() == 3 && raw[2].name == "Mellanox_02_device_info" &&
              !raw[0].content.empty(),
          "in-band GetRawData with the tools beside the DLL");
}

}  // namespace

int main()
{
    try {
        OutOfBandOperations(SimulatorUrl("http"));
        InBandOperations(SimulatorUrl("inband"));
    } catch (const std::exception& error) {
        Check(false, std::string("exception: ") + error.what());
    }
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
