#include "ProcessTrustStore.h"

#include <cstdlib>

namespace Pegasus {
namespace ClientDetail {

TlsSettings withProcessTrustStore(TlsSettings tls)
{
    const char* store = std::getenv(kTrustStoreVariable);
    if (!tls.enabled || store == nullptr || *store == '\0')
        return tls;
    // The caller's own trust store, if it has one, stays the one that
    // decides on the chain; the host name is checked either way.
    if (tls.trustStore.empty())
        tls.trustStore = store;
    tls.verifyPeer = true;
    tls.verifyHostName = true;
    return tls;
}

}  // namespace ClientDetail
}  // namespace Pegasus
