#pragma once
#include <memory>
#include <string>

#include "mellanox.h"
#include "simulator_process.h"
#include "tool_options.h"

namespace Quillet::Cli {

// One module object built the way the options ask (in-band, out-of-band, or
// against a simulator started for this call), and what it talks to.
class ModuleSession {
public:
    explicit ModuleSession(const ToolOptions& options);
    ~ModuleSession();
    ModuleSession(const ModuleSession&) = delete;
    ModuleSession& operator=(const ModuleSession&) = delete;

    Quillet::Mellanox::Mellanox& Module() { return *m_module_; }

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
};

}  // namespace Quillet::Cli
