#ifndef Pegasus_Client_ProcessTrustStore_h
#define Pegasus_Client_ProcessTrustStore_h

#include "transport/HttpTransport.h"

namespace Pegasus {
namespace ClientDetail {

// Environment variable naming a CA file (PEM) or folder that every TLS
// connection of connect() verifies the server against, chain and host name,
// also when the caller's SSLContext carries no trust store (as the module's
// does). A host tool that was given a trust store sets it for the whole
// process. It can only make a connection stricter, never looser.
constexpr const char* kTrustStoreVariable = "QUILLET_CIMSERVER_TRUST_STORE";

// `tls` as connect() builds it from the caller's SSLContext, tightened by the
// process's trust store when one is set.
TlsSettings withProcessTrustStore(TlsSettings tls);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
