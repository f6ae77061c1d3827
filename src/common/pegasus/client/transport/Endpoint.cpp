#include "HttpTransport.h"

namespace Pegasus {
namespace ClientDetail {

std::string Endpoint::describe() const
{
    if (!unixSocket.empty())
        return unixSocket;
    if (host.find(':') != std::string::npos)
        return "[" + host + "]:" + std::to_string(port);
    return host + ":" + std::to_string(port);
}

}  // namespace ClientDetail
}  // namespace Pegasus
