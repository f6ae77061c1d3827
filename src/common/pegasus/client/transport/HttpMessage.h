#ifndef Pegasus_Client_Transport_HttpMessage_h
#define Pegasus_Client_Transport_HttpMessage_h

#include <string>
#include <string_view>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

struct HttpHeader
{
    std::string name;
    std::string value;
};

// Header fields in wire order; names keep the spelling they were sent with.
using HttpHeaders = std::vector<HttpHeader>;

// Value of the first field named `name` (compared without regard to case),
// or null.
const std::string* findHeader(const HttpHeaders& headers, std::string_view name);

struct HttpRequest
{
    // Sent in this order after "POST <path> HTTP/1.1"; the transport adds
    // no field of its own.
    HttpHeaders headers;
    std::string body;
};

struct HttpResponse
{
    unsigned status = 0;
    std::string reason;
    HttpHeaders headers;
    // Fields that followed a chunked body.
    HttpHeaders trailers;
    std::string body;
};

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
