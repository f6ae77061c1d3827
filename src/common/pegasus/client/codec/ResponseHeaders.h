#ifndef Pegasus_Client_Codec_ResponseHeaders_h
#define Pegasus_Client_Codec_ResponseHeaders_h

#include "../transport/HttpMessage.h"

#include <string>

namespace Pegasus {
namespace ClientDetail {

// The header fields of a 200 response checked as OpenPegasus's client
// checks them before it reads the body: a CIMOperation field that says
// MethodResponse, and a Content-Type (when there is one) of CIM-XML in
// UTF-8. Raises CIMClientMalformedHTTPException naming `where`.
void checkResponseHeaders(const HttpHeaders& headers, const std::string& where);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
