#ifndef Pegasus_Client_Transport_HttpOnStream_h
#define Pegasus_Client_Transport_HttpOnStream_h

#include "ByteStream.h"
#include "HttpMessage.h"

#include <cstddef>
#include <stdexcept>
#include <string>

namespace Pegasus {
namespace ClientDetail {

// HTTP/1.1 over any ByteStream, written once for every platform: Boost.Beast
// frames the request and parses the response (chunked bodies and their
// trailers included).

// Sends "POST <path> HTTP/1.1" with exactly the request's fields and body.
// Throws StreamError.
void writeHttpRequest(ByteStream& stream, const std::string& path, const HttpRequest& request,
                      Deadline deadline);

// A response that could not be read whole.
class HttpReadError : public std::runtime_error
{
public:
    enum class Kind
    {
        noAnswer,   // the peer closed before the first byte of a response
        brokeOff,   // the peer closed in the middle of one
        malformed,  // bytes that are not an HTTP/1.x response
        tooLarge,   // the body passes the limit
    };
    HttpReadError(Kind kind, const std::string& detail) : std::runtime_error(detail), _kind(kind)
    {
    }
    Kind kind() const { return _kind; }

private:
    Kind _kind;
};

struct HttpResponseRead
{
    HttpResponse response;
    // False when the response ends the connection (Connection: close, a
    // body delimited by the close, or an error status with no length).
    bool keepAlive = true;
};

// Reads the next final response (interim 1xx ones are skipped) with a body
// of at most `bodyLimit` bytes. Throws HttpReadError or StreamError.
HttpResponseRead readHttpResponse(ByteStream& stream, std::size_t bodyLimit, Deadline deadline);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
