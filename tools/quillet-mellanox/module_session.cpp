#include "module_session.h"

#include <cstdlib>
#include <filesystem>

#include "connection_settings.h"
#include "self_location.h"

namespace Quillet::Cli {
namespace {

// Where our CIM client library's connectLocal() goes: the in-band module
// reaches a simulator through it.
const char kLocalServerVariable[] = "QUILLET_CIMSERVER_LOCAL";
const char kLoopback[] = "127.0.0.1";
const unsigned int kTraceLevel = 4;

std::string ServerText(const std::string& host, uint16_t port)
{
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

}  // namespace

ModuleSession::ModuleSession(const ToolOptions& options)
{
    if (options.simulate) {
        StartSimulator(options);
    }
    if (!options.outOfBand) {
        if (m_simulator_) {
            setenv(kLocalServerVariable, m_simulator_->Url().c_str(), 1);
            m_target_ = "in-band via simulated CIM server " + m_simulator_->Url();
        } else {
            const char* local = std::getenv(kLocalServerVariable);
            m_target_ = local ? std::string("in-band via local CIM server ") + local : "in-band via the local CIM server";
        }
        m_module_ = std::make_unique<Quillet::Mellanox::Mellanox>();
        return;
    }
    const std::string host = m_simulator_ ? kLoopback : options.host;
    const uint16_t port = m_simulator_ ? m_simulator_->Port()
                          : options.port != 0 ? options.port
                                              : DefaultCimPort(options.ssl);
    const std::string server = ServerText(host, port);
    const std::string password = ObtainPassword(options, server);
    m_target_ = std::string("out-of-band via ") + (m_simulator_ ? "simulated CIM server " : "CIM server ") +
                (options.ssl ? "https://" : "http://") + server;
    m_module_ = std::make_unique<Quillet::Mellanox::Mellanox>(RemoteConnection(host, port, options, password));
}

ModuleSession::~ModuleSession() = default;

void ModuleSession::StartSimulator(const ToolOptions& options)
{
    SimulatorSettings settings;
    settings.executable = ExecutableDirectory() + "mlnx-cimsim";
    settings.fixture = options.fixture;
    // In-band, the module itself starts the vendor's provider module.
    settings.providerStopped = !options.outOfBand;
    settings.https = options.ssl;
    settings.user = options.user;
    settings.passwordFile = options.passwordFile;
    settings.echoOutput = options.logLevel >= kTraceLevel;
    m_simulator_ = std::make_unique<SimulatorProcess>(settings);
}

std::string ModuleSession::RawDataRoot(const ToolOptions& options) const
{
    if (!options.rootDirectory.empty() || !options.simulate) {
        return options.rootDirectory;
    }
    return std::filesystem::path(ExecutableDirectory() + "../fake-root").lexically_normal().string();
}

}  // namespace Quillet::Cli
