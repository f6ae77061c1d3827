#pragma once
// Runs build/bin/mlnx-cimsim as a child process for integration tests: starts it on a
// free loopback port, waits for its "listening on ..." line, drives its fault injection
// and reads its counters through the control interface, and stops it on destruction.

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace mlnx_cimsim::testing {

struct CimSimStats {
    uint64_t connections = 0;  // connections accepted, used or not (refused ones included), control ones not
    uint64_t tlsHandshakes = 0;  // TLS handshakes completed, control connections' not
    uint64_t refused = 0;      // connections closed at once by the refusal fault
    uint64_t requests = 0;     // HTTP requests answered, control requests not counted
    std::string providerModule;  // "started" or "stopped"
    uint64_t starts = 0;       // PG_ProviderModule start calls on the vendor's module
    uint64_t stops = 0;        // ... and stop calls
    uint64_t localChallenges = 0;  // Local authentication challenges issued
    std::map<std::string, uint64_t> operations;  // CIM operation or method name -> count
    std::string json;          // the whole /stats document
};

class CimSimProcess {
public:
    enum class Listen {
        tcp,
        // TCP and a local domain socket in a private folder of the test's, as a real
        // host's CIM server listens on cimxml.socket
        tcpAndDomainSocket,
    };

    // extraArgs are passed to mlnx-cimsim after "--port 0 --quiet"; e.g. {"--https"},
    // {"--fixture", path}, {"--user", "root", "--password-file", file}, {"--provider-stopped"},
    // {"--authenticate"} (Local authentication for this process's user, as a real
    // OpenPegasus server asks for it).
    // Throws std::runtime_error when the simulator does not come up within 20 seconds.
    explicit CimSimProcess(std::vector<std::string> extraArgs = {}, Listen listen = Listen::tcp);
    ~CimSimProcess();
    CimSimProcess(const CimSimProcess&) = delete;
    CimSimProcess& operator=(const CimSimProcess&) = delete;

    uint16_t port() const { return port_; }
    std::string host() const { return "127.0.0.1"; }
    bool https() const { return https_; }
    // "http://127.0.0.1:PORT" or "https://127.0.0.1:PORT", as printed by the simulator.
    std::string url() const { return url_; }
    pid_t pid() const { return pid_; }
    // With Listen::tcpAndDomainSocket: the socket's path, and "unix:PATH" as
    // QUILLET_CIMSERVER_LOCAL takes it (with ";localauth=FOLDER" when the simulator
    // authenticates); empty otherwise.
    const std::string& domainSocket() const { return socketPath_; }
    std::string domainSocketUrl() const {
        return socketPath_.empty() ? "" : "unix:" + socketPath_ + localAuthSuffix();
    }
    // url() as QUILLET_CIMSERVER_LOCAL takes it, with the challenge folder.
    std::string localUrl() const { return url_ + localAuthSuffix(); }
    // With --authenticate or --user: the private folder of its Local challenges that
    // this object made and passed as --local-auth-dir (unless the test gave one).
    const std::string& localAuthDir() const { return localAuthDir_; }

    // Posts a JSON document to /control and returns the answer (the active faults).
    // Throws std::runtime_error when the simulator rejects it.
    std::string control(const std::string& jsonBody);
    CimSimStats stats();

    // Fault helpers; each stays active until clearFaults(). The next n new connections
    // are accepted and closed at once (control connections count too, so ask for
    // stats only after the client under test has made its attempts).
    void refuseConnections(int count);
    void delayResponses(int milliseconds);
    void closeMidResponse();
    void answerMalformedXml();
    void failClass(const std::string& className, int cimStatusCode, const std::string& description = "");
    void answerHttpStatus(int status);     // e.g. 401 or 500
    void answerResponseBytes(size_t bytes);  // CIM-XML bodies padded to this size
    void clearFaults();
    // Starts or stops the provider module without going through CIM.
    void setProviderModule(bool started);
    // What the Local challenges of a simulator with --authenticate go through:
    // "normal", "wrong_secret" (the file holds another text than the secret checked) or
    // "missing_file" (the file is gone before the client reads it).
    void setLocalChallenge(const std::string& behaviour);

    // Path of the mlnx-cimsim binary and of the bundled default fixture (source tree).
    static std::string binaryPath();
    static std::string defaultFixturePath();

private:
    void stop();
    std::string localAuthSuffix() const { return localAuthDir_.empty() ? "" : ";localauth=" + localAuthDir_; }

    pid_t pid_ = -1;
    uint16_t port_ = 0;
    bool https_ = false;
    std::string url_;
    std::string socketFolder_;
    std::string socketPath_;
    std::string localAuthDir_;
};

}  // namespace mlnx_cimsim::testing
