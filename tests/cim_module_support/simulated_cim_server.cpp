#include "cim_module_support/simulated_cim_server.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace cim_module_support {
namespace {

const char* const kLocalServerVariable = "QUILLET_CIMSERVER_LOCAL";

}  // namespace

Quillet::QuilletConnection::ConnectionInfo OutOfBandTo(const mlnx_cimsim::testing::CimSimProcess& server,
                                                       const std::string& user, const std::string& password)
{
    Quillet::QuilletConnection::ConnectionInfo info;
    info.host = server.host();
    info.port = server.port();
    info.user_name = user;
    info.password = password;
    info.connection_type = server.https() ? 1 : 0;
    return info;
}

LocalCimServer::LocalCimServer(const mlnx_cimsim::testing::CimSimProcess& server) : LocalCimServer(server.localUrl())
{
}

LocalCimServer::LocalCimServer(const std::string& url) : m_had_previous_(false)
{
    if (const char* previous = ::getenv(kLocalServerVariable)) {
        m_had_previous_ = true;
        m_previous_ = previous;
    }
    ::setenv(kLocalServerVariable, url.c_str(), 1);
}

LocalCimServer::~LocalCimServer()
{
    if (m_had_previous_) {
        ::setenv(kLocalServerVariable, m_previous_.c_str(), 1);
    } else {
        ::unsetenv(kLocalServerVariable);
    }
}

PauseCounter::PauseCounter()
    : m_observer_([this](unsigned int milliseconds) { m_pauses_.push_back(milliseconds); })
{
}

size_t PauseCounter::Count(unsigned int milliseconds) const
{
    return static_cast<size_t>(std::count(m_pauses_.begin(), m_pauses_.end(), milliseconds));
}

PasswordFile::PasswordFile(const std::string& password)
{
    char path[] = "/tmp/cim_module_password_XXXXXX";
    const int descriptor = ::mkstemp(path);
    if (descriptor < 0) {
        throw std::runtime_error(std::string("PasswordFile: mkstemp failed: ") + std::strerror(errno));
    }
    const std::string line = password + "\n";
    const ssize_t written = ::write(descriptor, line.data(), line.size());
    ::close(descriptor);
    if (written != static_cast<ssize_t>(line.size())) {
        ::unlink(path);
        throw std::runtime_error(std::string("PasswordFile: cannot write ") + path);
    }
    m_path_ = path;
}

PasswordFile::~PasswordFile()
{
    ::unlink(m_path_.c_str());
}

}  // namespace cim_module_support
