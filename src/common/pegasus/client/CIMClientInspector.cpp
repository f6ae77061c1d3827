#include "CIMClientInspector.h"

#include "CIMClientRep.h"

namespace Pegasus {

ClientDetail::TransportStats CIMClientInspector::stats(const CIMClient& client)
{
    return client._rep->stats();
}

void CIMClientInspector::setResponseLimit(CIMClient& client, std::size_t bytes)
{
    client._rep->setResponseLimit(bytes);
}

}  // namespace Pegasus
