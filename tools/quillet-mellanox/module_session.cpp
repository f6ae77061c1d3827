#include "module_session.h"

#include <cstdlib>
#include <filesystem>

#include "connection_settings.h"
#include "self_location.h"
#include "server_check.h"

namespace Quillet::Cli {
namespace {

// Where our CIM client library's connectLocal() goes: the in-band module
// reaches a simulator through it.
const char kLocalServerVariable[] = "QUILLET_CIMSERVER_LOCAL";
const char kLoopback[] = "127.0.0.1";
const unsigned int kTraceLevel = 4;

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
    m_out_of_band_ = true;
    const std::string host = m_simulator_ ? kLoopback : options.host;
    const uint16_t port = m_simulator_ ? m_simulator_->Port()
                          : options.port != 0 ? options.port
                                              : DefaultCimPort(options.ssl);
    const std::string server = ServerText(host, port);
    const std::string password = ObtainPassword(options, server);
    m_target_ = std::string("out-of-band via ") + (m_simulator_ ? "simulated CIM server " : "CIM server ") +
                (options.ssl ? "https://" : "http://") + server;
    const auto connection = RemoteConnection(host, port, options.user, password, options.ssl);
    ServerCheckResult check =
        CheckServer(connection, options.caFile, std::chrono::seconds(options.connectTimeoutSeconds));
    m_cim_error_ = check.cimError;
    if (check.failure) {
        m_failure_ = check.failure;
        return;
    }
    m_module_ = std::make_unique<Quillet::Mellanox::Mellanox>(connection);
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
    // The build tree keeps the fake tools in <build>/fake-root beside bin/;
    // an installed copy, where `cmake --install` put them.
    const std::string fromBuild = ExecutableDirectory() + "../fake-root";
    const std::string fromInstall = ExecutableDirectory() + QUILLET_MELLANOX_FAKE_ROOT_FROM_BINDIR;
    std::error_code error;
    const std::string& chosen = std::filesystem::is_directory(fromBuild, error) ? fromBuild : fromInstall;
    return std::filesystem::path(chosen).lexically_normal().string();
}

}  // namespace Quillet::Cli
