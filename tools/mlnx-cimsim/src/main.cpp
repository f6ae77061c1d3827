// mlnx-cimsim: a CIM server with the Mellanox adapters' provider, for tests,
// benchmarks and demonstrations.

#include "cli/server_options.h"
#include "fixture/embedded_fixtures.h"
#include "fixture/fixture_generator.h"
#include "fixture/fixture_loader.h"
#include "server/control_interface.h"
#include "server/listener.h"
#include "wire/http_message.h"
#include "wire/tls_server_context.h"

#include <malloc.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <thread>

namespace {

using namespace mlnx_cimsim;

// Responses of a large server are megabytes, built afresh for every request.
// By default glibc maps each such buffer from the kernel and returns it when
// freed, so every request would fault in its pages again (a third of the
// server's time at 64 adapters); kept in the heap, they are reused.
void keepLargeBuffersInHeap() {
    ::mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    ::mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
}

std::string readPassword(const std::string& path) {
    std::ifstream file(path);
    std::string password;
    if (!file || !std::getline(file, password)) {
        throw std::runtime_error("cannot read a password from " + path);
    }
    if (!password.empty() && password.back() == '\r') {
        password.pop_back();
    }
    return password;
}

std::string hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') {
        return "localhost";
    }
    return name;
}

nlohmann::json startupFaults(const ServerOptions& options) {
    nlohmann::json faults = nlohmann::json::object();
    if (options.refuseConnections > 0) {
        faults["refuse_connections"] = options.refuseConnections;
    }
    if (options.delayMs > 0) {
        faults["delay_ms"] = options.delayMs;
    }
    if (options.closeMidResponse) {
        faults["close_mid_response"] = true;
    }
    if (options.malformedXml) {
        faults["malformed_xml"] = true;
    }
    if (options.httpStatus > 0) {
        faults["http_status"] = options.httpStatus;
    }
    if (options.responseBytes > 0) {
        faults["response_bytes"] = options.responseBytes;
    }
    nlohmann::json failures = nlohmann::json::array();
    for (const auto& entry : options.failClasses) {
        size_t colon = entry.rfind(':');
        if (colon == std::string::npos) {
            throw std::runtime_error("--fail-class " + entry + ": expected CLASS:CODE");
        }
        failures.push_back({{"class", entry.substr(0, colon)}, {"code", std::stoi(entry.substr(colon + 1))}});
    }
    if (!failures.empty()) {
        faults["fail_class"] = failures;
    }
    return faults;
}

// Ends the process on SIGTERM or SIGINT; connection threads need no unwinding, but
// the files the simulator made must go.
void exitOnSignal(const Listener* domainSocket, LocalChallenges* challenges) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    int received = 0;
    sigwait(&signals, &received);
    if (domainSocket != nullptr) {
        domainSocket->removeSocketFile();
    }
    if (challenges != nullptr) {
        challenges->removeFiles();
    }
    std::fflush(stderr);
    std::_Exit(0);
}

int run(const ServerOptions& options) {
    if (options.generateAdapters) {
        std::cout << generateFixture(*options.generateAdapters).dump(1) << "\n";
        return 0;
    }
    if (options.printDefaultFixture) {
        std::cout << defaultFixtureJson();
        return 0;
    }
    nlohmann::json fixture =
        options.fixturePath.empty() ? nlohmann::json::parse(defaultFixtureJson()) : readJsonFile(options.fixturePath);
    ProviderSettings settings;
    settings.startedInitially = !options.providerStopped;
    LoadedFixture loaded = loadFixture(fixture, nlohmann::json::parse(builtinSchemaJson()), settings.moduleName);
    ServerState state(Provider(std::move(loaded.repository), std::move(loaded.diagnostics), settings));
    state.logRequests = !options.quiet;
    state.realm = hostName();
    if (!options.user.empty()) {
        state.credentials = Credentials{options.user, readPassword(options.passwordFile)};
    }
    if (options.authenticate) {
        state.authentication = true;
        state.localChallenges = std::make_unique<LocalChallenges>(options.localAuthDir);
    }
    applyControl(startupFaults(options), state);

    std::unique_ptr<TlsServerContext> tls;
    if (options.https) {
        tls = std::make_unique<TlsServerContext>(options.certificateFile, options.keyFile);
        if (!options.certificateOut.empty()) {
            std::ofstream out(options.certificateOut);
            out << tls->certificatePem();
            if (!out) {
                throw std::runtime_error("cannot write the certificate to " + options.certificateOut);
            }
        }
    }
    uint16_t port = options.port.value_or(options.https ? 5989 : 5988);
    Listener listener(options.listenAddress, port);
    std::optional<Listener> domainSocket;
    if (!options.unixSocket.empty()) {
        domainSocket.emplace(Listener::domainSocket(options.unixSocket));
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // OpenSSL writes to its socket without MSG_NOSIGNAL: a client that goes
    // away in the middle of a TLS response must not end the server.
    ::signal(SIGPIPE, SIG_IGN);
    std::thread(exitOnSignal, domainSocket ? &*domainSocket : nullptr, state.localChallenges.get()).detach();
    if (domainSocket) {
        std::thread([&domainSocket, &state] { domainSocket->run(nullptr, state); }).detach();
    }

    if (!options.quiet) {
        std::fprintf(stderr, "mlnx-cimsim: %zu instances from %s; provider module %s %s\n", loaded.instanceCount,
                     options.fixturePath.empty() ? "the default fixture" : options.fixturePath.c_str(),
                     settings.moduleName.c_str(), settings.startedInitially ? "started" : "stopped");
    }
    std::printf("listening on %s://%s:%u\n", options.https ? "https" : "http", options.listenAddress.c_str(),
                static_cast<unsigned>(listener.port()));
    std::fflush(stdout);
    listener.run(tls.get(), state);
}

}  // namespace

int main(int argc, char** argv) {
    keepLargeBuffersInHeap();
    ServerOptions options = parseServerOptions(argc, argv);
    try {
        return run(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mlnx-cimsim: %s\n", error.what());
        return 1;
    }
}
