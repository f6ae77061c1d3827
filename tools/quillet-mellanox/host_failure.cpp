#include "host_failure.h"

namespace Quillet::Cli {

const char* FailureKindName(FailureKind kind)
{
    switch (kind) {
    case FailureKind::Unreachable:
        return "unreachable";
    case FailureKind::Refused:
        return "refused";
    case FailureKind::AuthenticationRejected:
        return "authentication_rejected";
    case FailureKind::TlsFailure:
        return "tls_failure";
    case FailureKind::CimError:
        return "cim_error";
    case FailureKind::Failed:
        break;
    }
    return "failed";
}

nlohmann::ordered_json FailureDocument(const HostFailure& failure)
{
    return {{"kind", FailureKindName(failure.kind)}, {"message", failure.message}};
}

std::string FailureText(const HostFailure& failure)
{
    return std::string(FailureKindName(failure.kind)) + ": " + failure.message;
}

}  // namespace Quillet::Cli
