#ifndef Pegasus_Client_CIMClientInspector_h
#define Pegasus_Client_CIMClientInspector_h

// Internal view into a CIMClient for tests and benchmarks: connection
// statistics, the response size limit and where connectLocal() looks. Not part of the OpenPegasus API.

#include <Pegasus/Client/CIMClient.h>

#include "LocalServer.h"
#include "transport/HttpTransport.h"

#include <vector>

namespace Pegasus {

class CIMClientInspector
{
public:
    static ClientDetail::TransportStats stats(const CIMClient& client);
    static void setResponseLimit(CIMClient& client, std::size_t bytes);
    // connectLocal() with the given places to look instead of the standard ones.
    static void connectLocal(CIMClient& client, const std::vector<ClientDetail::LocalServerCandidate>& candidates);
};

}  // namespace Pegasus

#endif
