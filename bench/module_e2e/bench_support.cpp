#include "bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <utility>

#include <fstream>
#include <nlohmann/json.hpp>

#include "cimsim/http_connection.h"

extern char** environ;

namespace quillet_bench {
namespace {

double rssAtStart = 0;

// A folder for the generated fixtures, removed with its files when the program ends.
class FixtureDirectory {
public:
    FixtureDirectory()
        : path_((std::filesystem::temp_directory_path() / ("module_e2e_bench." + std::to_string(::getpid())))
                    .string()) {
        std::filesystem::create_directories(path_);
    }
    ~FixtureDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    FixtureDirectory(const FixtureDirectory&) = delete;
    FixtureDirectory& operator=(const FixtureDirectory&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

const std::string& fixtureDirectory() {
    static const FixtureDirectory directory;
    return directory.path();
}

std::string generatedFixture(int adapters) {
    const std::string path = fixtureDirectory() + "/server" + std::to_string(adapters) + ".json";
    if (!std::filesystem::exists(path)) {
        const std::vector<std::string> argv{mlnx_cimsim::testing::CimSimProcess::binaryPath(), "--generate",
                                            std::to_string(adapters)};
        if (runProcess(argv, path) != 0)
            throw std::runtime_error("mlnx-cimsim --generate " + std::to_string(adapters) + " failed");
    }
    return path;
}

std::string enumerateBody(const std::string& className, bool qualifiers) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\">\n<SIMPLEREQ>\n<IMETHODCALL NAME=\"EnumerateInstances\">\n"
           "<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n<NAMESPACE NAME=\"cimv2\"/>\n</LOCALNAMESPACEPATH>\n"
           "<IPARAMVALUE NAME=\"ClassName\">\n<CLASSNAME NAME=\"" +
           className + "\"/>\n</IPARAMVALUE>\n" +
           (qualifiers ? "<IPARAMVALUE NAME=\"IncludeQualifiers\">\n<VALUE>TRUE</VALUE>\n</IPARAMVALUE>\n" : "") +
           "</IMETHODCALL>\n</SIMPLEREQ>\n</MESSAGE>\n</CIM>\n";
}

}  // namespace

// Every identity of the generated fixture made distinct by its version, so that
// duplicate removal keeps them all and compares every pair.
std::string distinctIdentitiesFixture(int adapters) {
    const std::string path = fixtureDirectory() + "/distinct" + std::to_string(adapters) + ".json";
    if (!std::filesystem::exists(path)) {
        std::ifstream in(generatedFixture(adapters));
        nlohmann::json fixture = nlohmann::json::parse(in);
        size_t serial = 0;
        for (auto& instance : fixture.at("instances")) {
            const std::string cls = instance.value("class", "");
            if (cls != "MLNX_FirmwareIdentity" && cls != "MLNX_SoftwareIdentity")
                continue;
            auto& version = instance.at("properties")["VersionString"];
            version = version.get<std::string>() + "." + std::to_string(++serial);
        }
        std::ofstream(path) << fixture.dump();
    }
    return path;
}

mlnx_cimsim::testing::CimSimProcess& simulatorFor(int adapters, bool https) {
    return simulatorServing(generatedFixture(adapters), https);
}

mlnx_cimsim::testing::CimSimProcess& simulatorServing(const std::string& fixturePath, bool https) {
    static std::map<std::pair<std::string, bool>, std::unique_ptr<mlnx_cimsim::testing::CimSimProcess>> running;
    auto& slot = running[{fixturePath, https}];
    if (!slot) {
        std::vector<std::string> args{"--fixture", fixturePath};
        if (https)
            args.push_back("--https");
        slot = std::make_unique<mlnx_cimsim::testing::CimSimProcess>(args);
    }
    return *slot;
}

int runProcess(const std::vector<std::string>& argv, const std::string& stdoutPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw std::runtime_error("cannot start " + argv[0] + ": error " + std::to_string(error));
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

double peakRssBytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

namespace {

// A "Name:   N kB" line of /proc/self/status, in bytes.
double statusKilobytes(const std::string& name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, name.size() + 1, name + ":") == 0)
            return std::stod(line.substr(name.size() + 1)) * 1024.0;
    }
    throw std::runtime_error("/proc/self/status has no " + name);
}

}  // namespace

double currentRssBytes() { return statusKilobytes("VmRSS"); }
double peakRssSinceResetBytes() { return statusKilobytes("VmHWM"); }

void resetPeakRss() {
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    if (!clearRefs.flush())
        throw std::runtime_error("cannot reset the peak resident set through /proc/self/clear_refs");
}

void recordBaselineRss() { rssAtStart = peakRssBytes(); }
double baselineRssBytes() { return rssAtStart; }

size_t largestResponseBytes(mlnx_cimsim::testing::CimSimProcess& sim, bool qualifiers) {
    mlnx_cimsim::testing::HttpConnection connection(sim.host(), sim.port(), sim.https());
    size_t largest = 0;
    for (const std::string& className : inventoryClasses()) {
        const auto response = connection.exchange(mlnx_cimsim::testing::buildRequest(
            "POST", "/cimom", enumerateBody(className, qualifiers),
            {"Content-Type: application/xml; charset=utf-8", "CIMOperation: MethodCall",
             "CIMMethod: EnumerateInstances", "CIMObject: root%2Fcimv2"}));
        largest = std::max(largest, response.body.size());
    }
    return largest;
}

void reportServerCounters(benchmark::State& state, const mlnx_cimsim::testing::CimSimStats& before,
                          const mlnx_cimsim::testing::CimSimStats& after) {
    const double iterations = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["connections"] = static_cast<double>(after.connections - before.connections) / iterations;
    state.counters["tls_handshakes"] =
        static_cast<double>(after.tlsHandshakes - before.tlsHandshakes) / iterations;
    state.counters["requests"] = static_cast<double>(after.requests - before.requests) / iterations;
    state.counters["peak_rss_MB"] = peakRssBytes() / 1e6;
    state.counters["rss_growth_MB"] = (peakRssBytes() - baselineRssBytes()) / 1e6;
}

std::vector<std::string> inventoryRequestBodies() {
    std::vector<std::string> bodies;
    for (const std::string& className : inventoryClasses())
        bodies.push_back(enumerateBody(className, className != "MLNX_PCIDevice"));
    return bodies;
}

const std::vector<std::string>& enumerationHeaderFields() {
    static const std::vector<std::string> fields{"Content-Type: application/xml; charset=utf-8",
                                                 "TE: chunked, trailers", "CIMOperation: MethodCall",
                                                 "CIMMethod: EnumerateInstances", "CIMObject: root%2Fcimv2"};
    return fields;
}

std::vector<std::string> inventoryRequests() {
    std::vector<std::string> requests;
    for (const std::string& body : inventoryRequestBodies())
        requests.push_back(mlnx_cimsim::testing::buildRequest("POST", "/cimom", body, enumerationHeaderFields()));
    return requests;
}

const std::vector<std::string>& inventoryClasses() {
    static const std::vector<std::string> classes{"MLNX_PCIDevice", "MLNX_IBPort", "MLNX_EthernetPort",
                                                  "MLNX_FirmwareIdentity", "MLNX_SoftwareIdentity"};
    return classes;
}

}  // namespace quillet_bench
