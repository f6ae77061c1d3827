#pragma once
// Injected transport and HTTP faults. Each stays until cleared, or until it has hit
// the number of requests its "times" allows; refusals count connections instead.

#include <nlohmann/json.hpp>

#include <cstddef>
#include <mutex>

namespace mlnx_cimsim {

// What one CIM request meets; taken once per request.
struct RequestFaults {
    int delayMs = 0;
    bool closeMidResponse = false;
    bool malformedXml = false;
    int httpStatus = 0;
    size_t responseBytes = 0;
};

class FaultSettings {
public:
    void refuseConnections(int count);
    void setDelay(int milliseconds, int times = -1);
    void setCloseMidResponse(bool on, int times = -1);
    void setMalformedXml(bool on, int times = -1);
    void setHttpStatus(int status, int times = -1);
    void setResponseBytes(size_t bytes, int times = -1);
    void clear();

    // True when this new connection is to be closed at once (uses up one refusal).
    bool takeRefusal();
    RequestFaults takeForRequest();
    nlohmann::json describe() const;

private:
    template <typename T>
    struct Limited {
        T value{};
        int remaining = 0;  // -1 without limit
        bool active() const { return remaining != 0; }
    };
    template <typename T>
    static T take(Limited<T>& fault);

    mutable std::mutex mutex_;
    int refusals_ = 0;
    Limited<int> delayMs_;
    Limited<bool> closeMidResponse_;
    Limited<bool> malformedXml_;
    Limited<int> httpStatus_;
    Limited<size_t> responseBytes_;
};

}  // namespace mlnx_cimsim
