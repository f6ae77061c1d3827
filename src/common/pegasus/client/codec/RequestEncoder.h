#ifndef Pegasus_Client_Codec_RequestEncoder_h
#define Pegasus_Client_Codec_RequestEncoder_h

#include "../transport/HttpMessage.h"

#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMPropertyList.h>

#include <string>

namespace Pegasus {
namespace ClientDetail {

// One CIM operation ready to send: the CIMMethod and CIMObject header
// values (not yet URL-encoded) and the CIM-XML body, byte for byte as the
// OpenPegasus client writes them. Parameters with their default values are
// left out, as OpenPegasus does.
struct CimRequest
{
    std::string cimMethod;
    std::string cimObject;
    std::string body;
};

CimRequest encodeEnumerateInstancesRequest(Uint32 messageId, const CIMNamespaceName& nameSpace,
                                           const CIMName& className, Boolean deepInheritance,
                                           Boolean localOnly, Boolean includeQualifiers,
                                           Boolean includeClassOrigin,
                                           const CIMPropertyList& propertyList);

CimRequest encodeGetInstanceRequest(Uint32 messageId, const CIMNamespaceName& nameSpace,
                                    const CIMObjectPath& instanceName, Boolean localOnly,
                                    Boolean includeQualifiers, Boolean includeClassOrigin,
                                    const CIMPropertyList& propertyList);

CimRequest encodeEnumerateInstanceNamesRequest(Uint32 messageId, const CIMNamespaceName& nameSpace,
                                               const CIMName& className);

CimRequest encodeInvokeMethodRequest(Uint32 messageId, const CIMNamespaceName& nameSpace,
                                     const CIMObjectPath& instanceName, const CIMName& methodName,
                                     const Array<CIMParamValue>& inParameters);

// The HTTP request around it, with OpenPegasus's header fields in its
// order; `authorization` is the whole field value, or empty for none.
HttpRequest makeHttpRequest(const CimRequest& request, const std::string& hostField,
                            const std::string& authorization);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
