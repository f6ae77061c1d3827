#pragma once
// Reaching the simulated CIM server the way the framework would: out-of-band through a
// connection description, in-band as this host's local CIM server.

#include <cstddef>
#include <string>
#include <vector>

#include "cimsim/cimsim_process.h"
#include "connection_info.h"
#include "osspecific.h"

namespace cim_module_support {

// The out-of-band description of `server`: SSL when it speaks HTTPS, plain otherwise.
Quillet::QuilletConnection::ConnectionInfo OutOfBandTo(const mlnx_cimsim::testing::CimSimProcess& server,
                                                       const std::string& user = "",
                                                       const std::string& password = "");

// While alive, `server` is the local CIM server of this process (QUILLET_CIMSERVER_LOCAL),
// for in-band module objects and the CIM-server manager alike.
class LocalCimServer {
public:
    explicit LocalCimServer(const mlnx_cimsim::testing::CimSimProcess& server);
    // Any form QUILLET_CIMSERVER_LOCAL takes, e.g. the simulator's domainSocketUrl().
    explicit LocalCimServer(const std::string& url);
    ~LocalCimServer();
    LocalCimServer(const LocalCimServer&) = delete;
    LocalCimServer& operator=(const LocalCimServer&) = delete;

private:
    bool m_had_previous_;
    std::string m_previous_;
};

// While alive, the module's pauses are recorded instead of waited out.
class PauseCounter {
public:
    PauseCounter();
    PauseCounter(const PauseCounter&) = delete;
    PauseCounter& operator=(const PauseCounter&) = delete;

    size_t Count(unsigned int milliseconds) const;
    size_t Total() const { return m_pauses_.size(); }

private:
    std::vector<unsigned int> m_pauses_;
    Quillet::OsSpecific::ScopedSleepObserver m_observer_;
};

// A password file for the simulator's --password-file, removed when destroyed.
class PasswordFile {
public:
    explicit PasswordFile(const std::string& password);
    ~PasswordFile();
    PasswordFile(const PasswordFile&) = delete;
    PasswordFile& operator=(const PasswordFile&) = delete;

    const std::string& Path() const { return m_path_; }

private:
    std::string m_path_;
};

}  // namespace cim_module_support
