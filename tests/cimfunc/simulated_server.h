#pragma once
// A simulated CIM server for one test, with a CimFunc connected to it over a socket.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <cimsim/cimsim_process.h>

#include "cimfunc.h"

namespace CimFuncTesting {

inline std::string FixturePath(const std::string& name)
{
    return std::string(CIMFUNC_FIXTURE_DIR) + "/" + name;
}

inline Quillet::QuilletConnection::ConnectionInfo DescriptionOf(const mlnx_cimsim::testing::CimSimProcess& server,
                                                                 const std::string& password = "unused")
{
    Quillet::QuilletConnection::ConnectionInfo info;
    info.host = server.host();
    info.port = server.port();
    info.user_name = "admin";
    info.password = password;
    info.connection_type = server.https() ? 1 : 0;
    return info;
}

// The discovered diagnostics of a simulated server, released like the module's own list.
class DiscoveredDiagnostics {
public:
    ~DiscoveredDiagnostics()
    {
        for (DiagnosticItem* item : items) {
            delete item;
        }
    }

    // The (service, element) key of the first item whose service has this Name.
    std::pair<std::string, std::string> KeyOf(const std::string& serviceName) const
    {
        for (const std::pair<std::string, std::string>& key : paths) {
            if (CimFunc::GetNameFromPath(key.first) == serviceName) {
                return key;
            }
        }
        return std::pair<std::string, std::string>();
    }

    std::vector<std::pair<std::string, std::string> > paths;
    std::vector<DiagnosticItem*> items;
};

}  // namespace CimFuncTesting
