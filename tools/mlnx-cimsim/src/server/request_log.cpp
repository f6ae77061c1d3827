#include "server/request_log.h"

#include "model/cim_error.h"

#include <cstdio>

namespace mlnx_cimsim {

void writeRequestLog(const RequestLogEntry& entry) {
    double milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - entry.started).count();
    std::string line = "mlnx-cimsim: " + entry.httpMethod + " " + entry.target;
    if (!entry.operation.empty()) {
        line += " " + entry.operation;
    }
    if (!entry.subject.empty()) {
        line += " " + entry.subject;
    }
    line += " -> " + std::to_string(entry.httpStatus);
    if (entry.cimStatus != 0) {
        line += " " + cimStatusName(entry.cimStatus);
    }
    char tail[64];
    std::snprintf(tail, sizeof tail, " %zu bytes %.2f ms", entry.bytes, milliseconds);
    line += tail;
    if (!entry.note.empty()) {
        line += " [" + entry.note + "]";
    }
    line += "\n";
    // One write per line keeps lines of concurrent connections apart.
    std::fputs(line.c_str(), stderr);
}

}  // namespace mlnx_cimsim
