#pragma once
#include <memory>
#include <optional>
#include <string>

#include "host_failure.h"
#include "mellanox.h"
#include "simulator_process.h"
#include "tool_options.h"

namespace Quillet::Cli {

// One module object built the way the options ask (in-band, out-of-band, or
// against a simulator started for this call), and what it talks to. Out of
// band, the tool checks the server first (see server_check.h); when that
// fails no module object is built and Failure() says why.
class ModuleSession {
public:
    explicit ModuleSession(const ToolOptions& options);
    ~ModuleSession();
    ModuleSession(const ModuleSession&) = delete;
    ModuleSession& operator=(const ModuleSession&) = delete;

    Quillet::Mellanox::Mellanox& Module() { return *m_module_; }
    const std::optional<HostFailure>& Failure() const { return m_failure_; }
    // A CIM error the check met although the module was built.
    const std::optional<HostFailure>& CheckedCimError() const { return m_cim_error_; }
    bool OutOfBand() const { return m_out_of_band_; }

    // For headings, e.g. "in-band via simulated CIM server http://127.0.0.1:40123".
    const std::string& Target() const { return m_target_; }

    // Root directory for GetRawData: --root, or with --simulate the fake
    // firmware tools of the build; empty means the module's own directory.
    std::string RawDataRoot(const ToolOptions& options) const;

private:
    void StartSimulator(const ToolOptions& options);

    // Declared first so that it outlives the module: an in-band module stops
    // its provider on the server when it is destroyed.
    std::unique_ptr<SimulatorProcess> m_simulator_;
    std::unique_ptr<Quillet::Mellanox::Mellanox> m_module_;
    std::string m_target_;
    bool m_out_of_band_ = false;
    std::optional<HostFailure> m_failure_;
    std::optional<HostFailure> m_cim_error_;
};

}  // namespace Quillet::Cli
