#pragma once
#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace Quillet::Cli {

// Why a server could not be inventoried, in words a script can branch on.
enum class FailureKind {
    Unreachable,            // the name does not resolve, or no answer within the connect time-out
    Refused,                // nothing listens on the port, or the server resets the connection
    AuthenticationRejected, // HTTP 401: user or password rejected
    TlsFailure,             // the TLS handshake or the certificate check failed
    CimError,               // the CIM server answered with a CIM error
    Failed                  // the operation failed for a reason the tool cannot name more closely
};

struct HostFailure {
    FailureKind kind = FailureKind::Failed;
    std::string message;
};

// "unreachable", "refused", "authentication_rejected", "tls_failure", "cim_error", "failed".
const char* FailureKindName(FailureKind kind);

// {"kind": "...", "message": "..."}
nlohmann::ordered_json FailureDocument(const HostFailure& failure);

// "refused: Connection refused by 127.0.0.1:5988" for tables and stderr.
std::string FailureText(const HostFailure& failure);

}  // namespace Quillet::Cli
