#ifndef Pegasus_Client_Codec_ResponseDecoder_h
#define Pegasus_Client_Codec_ResponseDecoder_h

#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMValue.h>

#include <string>

namespace Pegasus {
namespace ClientDetail {

// What a response must match: the server (for messages), the MESSAGE ID of
// the request and the name of the operation or method.
struct ResponseContext
{
    std::string where;
    Uint32 messageId = 0;
    std::string operation;
};

struct MethodResult
{
    CIMValue returnValue;
    Array<CIMParamValue> outParameters;
};

// Each decoder parses the CIM-XML body in place (the string is modified).
// An ERROR element raises CIMException. The exception classes of refusals
// are OpenPegasus's: anything malformed, a response naming another
// operation or method included, raises CIMClientXmlException; a response
// to another MESSAGE ID, in another protocol version, or with a datetime
// whose fields are out of range raises CIMClientResponseException.
Array<CIMInstance> decodeEnumerateInstancesResponse(std::string& body, const ResponseContext& context);
CIMInstance decodeGetInstanceResponse(std::string& body, const ResponseContext& context);
Array<CIMObjectPath> decodeEnumerateInstanceNamesResponse(std::string& body, const ResponseContext& context);
// Associators and References: instances with full paths.
Array<CIMObject> decodeObjectsWithPathResponse(std::string& body, const ResponseContext& context);
MethodResult decodeInvokeMethodResponse(std::string& body, const ResponseContext& context);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
