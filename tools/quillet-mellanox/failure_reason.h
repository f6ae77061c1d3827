#pragma once
#include <optional>
#include <string>

#include "host_failure.h"

namespace Quillet::Cli {

// The reason an out-of-band operation that the module ran failed (status not
// 0): the CIM error the tool's own check met, with its code, when there was
// one; else the first error the module logged for the server, classified by
// the wording of our CIM client library's failures (401, TLS, connection,
// time-out), a CIM error otherwise.
HostFailure ReasonOfFailedOperation(int status, const std::optional<HostFailure>& checkedCimError,
                                    const std::string& firstLoggedError);

}  // namespace Quillet::Cli
