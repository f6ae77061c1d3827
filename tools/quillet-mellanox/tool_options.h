#pragma once
#include <cstdint>
#include <string>

namespace Quillet::Cli {

enum class Operation { Inventory, Identities, DiagList, DiagRun, RawData, Metrics };

// Everything the command line asked for, after parsing and checking.
struct ToolOptions {
    Operation operation = Operation::Inventory;
    std::string diagnosticName;      // diag run NAME
    std::string rootDirectory;       // rawdata --root (empty: the module's own directory)
    std::string outDirectory;        // rawdata --out (empty: no files written)
    std::string textfile;            // metrics --textfile (empty: standard output)

    // Where the module connects: in-band unless outOfBand.
    bool outOfBand = false;
    std::string host;
    uint16_t port = 0;               // 0: the CIM server's usual port (5988, or 5989 with ssl)
    std::string user;
    std::string passwordFile;        // "-" reads standard input
    bool ssl = false;
    std::string caFile;              // --verify-cert: the tool's own TLS check verifies the chain
    unsigned int connectTimeoutSeconds = 5;  // the tool's own check: resolve and connect within this

    std::string hostsFile;           // fleet inventory when not empty
    unsigned int jobs = 4;

    bool simulate = false;
    std::string fixture;             // simulator fixture (empty: the bundled default)

    bool json = false;
    unsigned int logLevel = 1;
};

// The CIM server's usual port for the chosen transport.
inline uint16_t DefaultCimPort(bool ssl)
{
    return ssl ? 5989 : 5988;
}

}  // namespace Quillet::Cli
