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

void CIMClientInspector::connectLocal(CIMClient& client,
                                      const std::vector<ClientDetail::LocalServerCandidate>& candidates)
{
    client._rep->connectLocal(candidates);
}

}  // namespace Pegasus
