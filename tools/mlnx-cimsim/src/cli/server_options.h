#pragma once
// Command-line options of mlnx-cimsim.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mlnx_cimsim {

struct ServerOptions {
    std::string fixturePath;  // empty: the bundled default fixture
    std::string listenAddress = "127.0.0.1";
    std::optional<uint16_t> port;  // default 5988, or 5989 with --https
    bool https = false;
    std::string certificateFile;
    std::string keyFile;
    std::string certificateOut;
    std::string unixSocket;  // also listen on this local domain socket
    bool authenticate = false;  // require authentication (implied by --user)
    std::string localAuthDir;   // where Local challenge files go; empty: a private folder
    std::string user;
    std::string passwordFile;
    bool providerStopped = false;
    bool quiet = false;
    std::optional<int> generateAdapters;
    bool printDefaultFixture = false;

    // Faults active from the start.
    int refuseConnections = 0;
    int delayMs = 0;
    bool closeMidResponse = false;
    bool malformedXml = false;
    std::vector<std::string> failClasses;  // CLASS:CODE
    int httpStatus = 0;
    size_t responseBytes = 0;
};

// Parses argv; on --help or a usage error prints and exits with CLI11's code.
ServerOptions parseServerOptions(int argc, char** argv);

}  // namespace mlnx_cimsim
