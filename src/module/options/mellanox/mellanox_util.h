#pragma once
#include <string>
#include <vector>

#include "osspecific.h"
#include "quillet_ihv.h"

namespace Quillet {
namespace Mellanox {

// One row of the command table: argument key, description, raw-data name.
struct CmdDesc {
    const char* argumentKey;
    const char* description;
    const char* rawDataName;
};

// Runs the adapter vendor's firmware tools and turns their output into raw data.
class MellanoxUtil {
public:
    MellanoxUtil();
    ~MellanoxUtil();
    MellanoxUtil(const MellanoxUtil&) = delete;
    MellanoxUtil& operator=(const MellanoxUtil&) = delete;

    int GetRawData(std::vector<Quillet::QuilletIHV::RawData_>& records, const std::string& rootDirectory);

    int LookForUtilityDir(std::string rootDirectory);
    int GetCmdDesc(const std::string& commandLine, std::string& description, std::string& name);
    int ExcuteCommand(std::string tool, std::vector<std::string> arguments, Quillet::QuilletIHV::RawData_& record,
                      std::string* output);
    void GetDevices(std::vector<Quillet::QuilletIHV::RawData_>& records, std::vector<std::string>& devices);
    // The device names in the device lister's output: one per line after the
    // first line that holds the separator. Static so that the parse can be
    // exercised without running the lister (fuzzing).
    static std::vector<std::string> ParseDeviceList(const std::string& output);

    const std::string& GetUtilityPath() const { return m_utility_; }
    const std::string& GetMdevicesPath() const { return m_mdevices_; }

private:
    std::string m_utility_;
    std::string m_mdevices_;
    // Queries given up after their time-out; collected once they end, and
    // ended with this object at the latest.
    Quillet::OsSpecific::TimedOutChildren m_timed_out_;
};

}  // namespace Mellanox
}  // namespace Quillet
