#ifndef Pegasus_Client_CIMClientInspector_h
#define Pegasus_Client_CIMClientInspector_h

// Internal view into a CIMClient for tests and benchmarks: connection
// statistics and the response size limit. Not part of the OpenPegasus API.

#include <Pegasus/Client/CIMClient.h>

#include "transport/HttpTransport.h"

namespace Pegasus {

class CIMClientInspector
{
public:
    static ClientDetail::TransportStats stats(const CIMClient& client);
    static void setResponseLimit(CIMClient& client, std::size_t bytes);
};

}  // namespace Pegasus

#endif
