#include "cimsim/cimsim_process.h"

#include "cimsim/http_connection.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace mlnx_cimsim::testing {

namespace {

constexpr auto kStartupLimit = std::chrono::seconds(20);
const std::string kListeningPrefix = "listening on ";

// Reads the first stdout line of the child, giving up at the deadline.
std::string readFirstLine(int fd, pid_t pid) {
    std::string line;
    auto deadline = std::chrono::steady_clock::now() + kStartupLimit;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            throw std::runtime_error("CimSimProcess: no \"listening on\" line from mlnx-cimsim (pid " +
                                     std::to_string(pid) + ") within 20 s; read so far: \"" + line + "\"");
        }
        pollfd waiting{fd, POLLIN, 0};
        int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            continue;
        }
        char byte;
        ssize_t got = ::read(fd, &byte, 1);
        if (got <= 0) {
            throw std::runtime_error("CimSimProcess: mlnx-cimsim (pid " + std::to_string(pid) +
                                     ") ended before it was listening; its stderr tells why");
        }
        if (byte == '\n') {
            return line;
        }
        line += byte;
    }
}

}  // namespace

std::string CimSimProcess::binaryPath() { return MLNX_CIMSIM_PATH; }

std::string CimSimProcess::defaultFixturePath() { return MLNX_CIMSIM_DEFAULT_FIXTURE; }

CimSimProcess::CimSimProcess(std::vector<std::string> extraArgs, Listen listen) {
    std::vector<std::string> args = {binaryPath(), "--port", "0", "--quiet"};
    if (listen == Listen::tcpAndDomainSocket) {
        char folder[] = "/tmp/cimsim-socket-XXXXXX";
        if (::mkdtemp(folder) == nullptr) {
            throw std::runtime_error(std::string("CimSimProcess: mkdtemp failed: ") + std::strerror(errno));
        }
        socketFolder_ = folder;
        socketPath_ = socketFolder_ + "/cimxml.socket";
        args.insert(args.end(), {"--unix", socketPath_});
    }
    auto given = [&extraArgs](const char* option) {
        return std::find(extraArgs.begin(), extraArgs.end(), option) != extraArgs.end();
    };
    if ((given("--authenticate") || given("--user")) && !given("--local-auth-dir")) {
        // A challenge folder of the test's own, which the client is told to trust.
        char folder[] = "/tmp/mlnx-cimsim-local-XXXXXX";
        if (::mkdtemp(folder) == nullptr) {
            throw std::runtime_error(std::string("CimSimProcess: mkdtemp failed: ") + std::strerror(errno));
        }
        localAuthDir_ = folder;
        args.insert(args.end(), {"--local-auth-dir", localAuthDir_});
    }
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("CimSimProcess: pipe failed: ") + std::strerror(errno));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    int rc = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        pid_ = -1;
        stop();
        throw std::runtime_error("CimSimProcess: cannot start " + binaryPath() + ": " + std::strerror(rc));
    }
    std::string line;
    try {
        line = readFirstLine(pipeFds[0], pid_);
    } catch (...) {
        ::close(pipeFds[0]);
        stop();
        throw;
    }
    // The simulator prints nothing more on stdout; the pipe end is not needed.
    ::close(pipeFds[0]);
    if (line.compare(0, kListeningPrefix.size(), kListeningPrefix) != 0) {
        stop();
        throw std::runtime_error("CimSimProcess: unexpected first line from mlnx-cimsim: \"" + line + "\"");
    }
    url_ = line.substr(kListeningPrefix.size());
    https_ = url_.compare(0, 8, "https://") == 0;
    port_ = static_cast<uint16_t>(std::stoi(url_.substr(url_.rfind(':') + 1)));
}

CimSimProcess::~CimSimProcess() { stop(); }

void CimSimProcess::stop() {
    if (pid_ <= 0) {
        std::error_code ignored;
        for (std::string* folder : {&socketFolder_, &localAuthDir_}) {
            if (!folder->empty()) {
                std::filesystem::remove_all(*folder, ignored);
                folder->clear();
            }
        }
        return;
    }
    ::kill(pid_, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        int status = 0;
        pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_ || (done < 0 && errno != EINTR)) {
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
    stop();
}

std::string CimSimProcess::control(const std::string& jsonBody) {
    HttpConnection connection(host(), port_, https_);
    HttpResponse response =
        connection.exchange(buildRequest("POST", "/control", jsonBody, {"Content-Type: application/json"}));
    if (response.status != 200) {
        throw std::runtime_error("CimSimProcess: control request " + jsonBody + " answered " +
                                 response.statusLine + ": " + response.body);
    }
    return response.body;
}

CimSimStats CimSimProcess::stats() {
    HttpConnection connection(host(), port_, https_);
    HttpResponse response = connection.exchange(buildRequest("GET", "/stats", ""));
    if (response.status != 200) {
        throw std::runtime_error("CimSimProcess: /stats answered " + response.statusLine);
    }
    auto document = nlohmann::json::parse(response.body);
    CimSimStats stats;
    stats.connections = document.at("connections").get<uint64_t>();
    stats.tlsHandshakes = document.at("tls_handshakes").get<uint64_t>();
    stats.refused = document.at("refused").get<uint64_t>();
    stats.requests = document.at("requests").get<uint64_t>();
    stats.providerModule = document.at("provider_module").get<std::string>();
    stats.starts = document.at("starts").get<uint64_t>();
    stats.stops = document.at("stops").get<uint64_t>();
    stats.localChallenges = document.value("local_challenges", uint64_t{0});
    stats.operations = document.at("operations").get<std::map<std::string, uint64_t>>();
    stats.json = response.body;
    return stats;
}

void CimSimProcess::refuseConnections(int count) {
    control(nlohmann::json{{"refuse_connections", count}}.dump());
}

void CimSimProcess::delayResponses(int milliseconds) { control(nlohmann::json{{"delay_ms", milliseconds}}.dump()); }

void CimSimProcess::closeMidResponse() { control(nlohmann::json{{"close_mid_response", true}}.dump()); }

void CimSimProcess::answerMalformedXml() { control(nlohmann::json{{"malformed_xml", true}}.dump()); }

void CimSimProcess::failClass(const std::string& className, int cimStatusCode, const std::string& description) {
    nlohmann::json fault{{"class", className}, {"code", cimStatusCode}};
    if (!description.empty()) {
        fault["description"] = description;
    }
    control(nlohmann::json{{"fail_class", fault}}.dump());
}

void CimSimProcess::answerHttpStatus(int status) { control(nlohmann::json{{"http_status", status}}.dump()); }

void CimSimProcess::answerResponseBytes(size_t bytes) {
    control(nlohmann::json{{"response_bytes", bytes}}.dump());
}

void CimSimProcess::clearFaults() { control(nlohmann::json{{"clear", true}}.dump()); }

void CimSimProcess::setLocalChallenge(const std::string& behaviour) {
    control(nlohmann::json{{"local_challenge", behaviour}}.dump());
}

void CimSimProcess::setProviderModule(bool started) {
    control(nlohmann::json{{"provider_module", started ? "started" : "stopped"}}.dump());
}

}  // namespace mlnx_cimsim::testing
