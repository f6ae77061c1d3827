#pragma once
// The simulated CIM servers that CTest starts around the Windows tests
// (cimsim-fixture.sh): where they listen, and their control interface.
#include <string>

namespace QuilletWindowsTests {

struct SimulatorAddress {
    std::string url;  // "http://127.0.0.1:PORT" or "https://..."
    std::string host;
    unsigned port = 0;
    bool https = false;
};

// The simulator started under `name` ("http", "https", ...); its state
// directory comes from QUILLET_CIMSIM_STATE. Throws std::runtime_error
// naming the file when it is not running.
SimulatorAddress RunningSimulator(const std::string& name);

// A file the simulators' start wrote into their state directory (such as
// "https.pem", the certificate of the "https" simulator).
std::string SimulatorStateFile(const std::string& name);

// POST /control with a JSON document; returns the answer.
std::string ControlSimulator(const SimulatorAddress& simulator, const std::string& json);

// GET /stats: the simulator's counters as JSON.
std::string SimulatorStats(const SimulatorAddress& simulator);

// The number after "\"key\": " in a flat JSON text; -1 when absent.
long JsonNumber(const std::string& json, const std::string& key);

}  // namespace QuilletWindowsTests
