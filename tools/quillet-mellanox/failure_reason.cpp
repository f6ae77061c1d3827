#include "failure_reason.h"

#include "display_values.h"

namespace Quillet::Cli {
namespace {

bool Mentions(const std::string& text, const char* words)
{
    return text.find(words) != std::string::npos;
}

}  // namespace

HostFailure ReasonOfFailedOperation(int status, const std::optional<HostFailure>& checkedCimError,
                                    const std::string& firstLoggedError)
{
    if (checkedCimError && checkedCimError->kind == FailureKind::CimError) {
        return *checkedCimError;
    }
    if (firstLoggedError.empty()) {
        return {FailureKind::Failed, "status " + std::to_string(status) + ": " + StatusMeaning(status)};
    }
    FailureKind kind = FailureKind::CimError;
    if (Mentions(firstLoggedError, "Authentication failed (HTTP 401")) {
        kind = FailureKind::AuthenticationRejected;
    } else if (Mentions(firstLoggedError, "TLS connection to the CIM server")) {
        kind = FailureKind::TlsFailure;
    } else if (Mentions(firstLoggedError, "Cannot connect to the CIM server")) {
        kind = FailureKind::Refused;
    } else if (Mentions(firstLoggedError, "did not answer within")) {
        kind = FailureKind::Unreachable;
    }
    return {kind, firstLoggedError};
}

}  // namespace Quillet::Cli
