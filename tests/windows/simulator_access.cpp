#include "simulator_access.h"

#include <windows.h>

#include <winhttp.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace QuilletWindowsTests {
namespace {

struct InternetHandleCloser {
    void operator()(void* handle) const { WinHttpCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());  // ASCII only: hosts, paths, verbs
}

// One request to the simulator's control interface, certificate unchecked.
std::string Exchange(const SimulatorAddress& simulator, const wchar_t* verb, const std::string& path,
                     const std::string& body)
{
    const std::string where = simulator.url + path;
    InternetHandle session(WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, 0));
    InternetHandle connection(session ? WinHttpConnect(session.get(), Widen(simulator.host).c_str(),
                                                       static_cast<INTERNET_PORT>(simulator.port), 0)
                                      : nullptr);
    InternetHandle request(connection ? WinHttpOpenRequest(connection.get(), verb, Widen(path).c_str(), nullptr,
                                                           WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                           simulator.https ? WINHTTP_FLAG_SECURE : 0)
                                      : nullptr);
    if (!request) {
        throw std::runtime_error("cannot prepare a request to " + where);
    }
    if (simulator.https) {
        DWORD ignored = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                        SECURITY_FLAG_IGNORE_CERT_DATE_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;
        WinHttpSetOption(request.get(), WINHTTP_OPTION_SECURITY_FLAGS, &ignored, sizeof ignored);
    }
    const DWORD size = static_cast<DWORD>(body.size());
    if (!WinHttpSendRequest(request.get(), L"Content-Type: application/json\r\n", static_cast<DWORD>(-1),
                            const_cast<char*>(body.data()), size, size, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr)) {
        throw std::runtime_error("no answer from " + where + " (error " + std::to_string(GetLastError()) + ")");
    }
    DWORD status = 0;
    DWORD statusSize = sizeof status;
    WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX);
    std::string answer;
    char chunk[4096];
    DWORD read = 0;
    while (WinHttpReadData(request.get(), chunk, sizeof chunk, &read) && read > 0) {
        answer.append(chunk, read);
    }
    if (status != 200) {
        throw std::runtime_error(where + " answered " + std::to_string(status) + ": " + answer);
    }
    return answer;
}

}  // namespace

std::string SimulatorStateFile(const std::string& name)
{
    const char* state = std::getenv("QUILLET_CIMSIM_STATE");
    if (state == nullptr) {
        throw std::runtime_error("QUILLET_CIMSIM_STATE is not set: run the test through CTest");
    }
    return std::string(state) + "/" + name;
}

SimulatorAddress RunningSimulator(const std::string& name)
{
    const std::string file = SimulatorStateFile(name + ".url");
    std::ifstream stream(file);
    SimulatorAddress simulator;
    if (!std::getline(stream, simulator.url)) {
        throw std::runtime_error("no running simulator: cannot read " + file);
    }
    // "http://127.0.0.1:PORT"
    simulator.https = simulator.url.rfind("https://", 0) == 0;
    const std::string::size_type hostStart = simulator.url.find("://") + 3;
    const std::string::size_type colon = simulator.url.rfind(':');
    simulator.host = simulator.url.substr(hostStart, colon - hostStart);
    simulator.port = static_cast<unsigned>(std::stoul(simulator.url.substr(colon + 1)));
    return simulator;
}

std::string ControlSimulator(const SimulatorAddress& simulator, const std::string& json)
{
    return Exchange(simulator, L"POST", "/control", json);
}

std::string SimulatorStats(const SimulatorAddress& simulator)
{
    return Exchange(simulator, L"GET", "/stats", "");
}

long JsonNumber(const std::string& json, const std::string& key)
{
    const std::string label = "\"" + key + "\":";
    std::string::size_type at = json.find(label);
    if (at == std::string::npos) {
        return -1;
    }
    at += label.size();
    while (at < json.size() && json[at] == ' ') {
        ++at;
    }
    return std::strtol(json.c_str() + at, nullptr, 10);
}

}  // namespace QuilletWindowsTests
