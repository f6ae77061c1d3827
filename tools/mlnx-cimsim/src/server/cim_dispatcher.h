#pragma once
// Runs one decoded CIM request against the provider and encodes the answer.

#include "model/provider.h"
#include "wire/cimxml_request.h"

#include <string>

namespace mlnx_cimsim {

struct CimOutcome {
    std::string xml;
    int cimStatus = 0;  // 0 on success
    std::string description;
};

class CimDispatcher {
public:
    explicit CimDispatcher(Provider& provider) : provider_(provider) {}

    // errorsInTrailers: the client takes trailers, so an error leaves the body empty.
    // The caller holds the provider's lock.
    CimOutcome dispatch(const CimRequest& request, bool errorsInTrailers);

private:
    std::string enumerateInstances(const CimRequest& request, bool namesOnly);
    std::string getInstance(const CimRequest& request);
    std::string getClass(const CimRequest& request);
    std::string enumerateClasses(const CimRequest& request, bool namesOnly);

    Provider& provider_;
};

}  // namespace mlnx_cimsim
