#include "server/fault_settings.h"

namespace mlnx_cimsim {

template <typename T>
T FaultSettings::take(Limited<T>& fault) {
    if (!fault.active()) {
        return T{};
    }
    if (fault.remaining > 0) {
        --fault.remaining;
    }
    return fault.value;
}

void FaultSettings::refuseConnections(int count) {
    std::lock_guard<std::mutex> lock(mutex_);
    refusals_ = count;
}

void FaultSettings::setDelay(int milliseconds, int times) {
    std::lock_guard<std::mutex> lock(mutex_);
    delayMs_ = {milliseconds, milliseconds > 0 ? times : 0};
}

void FaultSettings::setCloseMidResponse(bool on, int times) {
    std::lock_guard<std::mutex> lock(mutex_);
    closeMidResponse_ = {on, on ? times : 0};
}

void FaultSettings::setMalformedXml(bool on, int times) {
    std::lock_guard<std::mutex> lock(mutex_);
    malformedXml_ = {on, on ? times : 0};
}

void FaultSettings::setHttpStatus(int status, int times) {
    std::lock_guard<std::mutex> lock(mutex_);
    httpStatus_ = {status, status > 0 ? times : 0};
}

void FaultSettings::setResponseBytes(size_t bytes, int times) {
    std::lock_guard<std::mutex> lock(mutex_);
    responseBytes_ = {bytes, bytes > 0 ? times : 0};
}

void FaultSettings::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    refusals_ = 0;
    delayMs_ = {};
    closeMidResponse_ = {};
    malformedXml_ = {};
    httpStatus_ = {};
    responseBytes_ = {};
}

bool FaultSettings::takeRefusal() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (refusals_ <= 0) {
        return false;
    }
    --refusals_;
    return true;
}

RequestFaults FaultSettings::takeForRequest() {
    std::lock_guard<std::mutex> lock(mutex_);
    RequestFaults faults;
    faults.delayMs = take(delayMs_);
    faults.closeMidResponse = take(closeMidResponse_);
    faults.malformedXml = take(malformedXml_);
    faults.httpStatus = take(httpStatus_);
    faults.responseBytes = take(responseBytes_);
    return faults;
}

nlohmann::json FaultSettings::describe() const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto entry = [](const auto& fault) {
        return nlohmann::json{{"value", fault.active() ? fault.value : decltype(fault.value){}},
                              {"remaining", fault.remaining}};
    };
    return nlohmann::json{{"refuse_connections", refusals_},
                          {"delay_ms", entry(delayMs_)},
                          {"close_mid_response", entry(closeMidResponse_)},
                          {"malformed_xml", entry(malformedXml_)},
                          {"http_status", entry(httpStatus_)},
                          {"response_bytes", entry(responseBytes_)}};
}

}  // namespace mlnx_cimsim
