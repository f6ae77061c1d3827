#pragma once
// One stderr line per request: method, operation and class, status, bytes, time.

#include <chrono>
#include <string>

namespace mlnx_cimsim {

struct RequestLogEntry {
    std::string httpMethod;
    std::string target;
    std::string operation;
    std::string subject;
    int httpStatus = 0;
    int cimStatus = 0;
    size_t bytes = 0;
    std::string note;  // the fault applied, if any
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

void writeRequestLog(const RequestLogEntry& entry);

}  // namespace mlnx_cimsim
