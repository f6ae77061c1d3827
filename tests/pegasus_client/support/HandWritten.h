#ifndef PegasusClientTests_HandWritten_h
#define PegasusClientTests_HandWritten_h

#include <cstdio>
#include <string>

// Responses written by hand, in the shape an OpenPegasus server gives them,
// for the ReplayServer to send.

// The body of an EnumerateInstances answer with no instance, MESSAGE ID 1000.
inline const std::string kEmptyEnumeration =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
    "<MESSAGE ID=\"1000\" PROTOCOLVERSION=\"1.0\">\n<SIMPLERSP>\n"
    "<IMETHODRESPONSE NAME=\"EnumerateInstances\">\n<IRETURNVALUE>\n</IRETURNVALUE>\n"
    "</IMETHODRESPONSE>\n</SIMPLERSP>\n</MESSAGE>\n</CIM>\n";

// A 200 response around `body`; the header fields may be changed or left
// out (an empty value leaves the field out).
inline std::string okResponse(const std::string& body,
                              const std::string& contentType = "application/xml; charset=utf-8",
                              const std::string& cimOperation = "MethodResponse")
{
    char length[16];
    std::snprintf(length, sizeof length, "%010zu", body.size());
    std::string response = "HTTP/1.1 200 OK\r\n";
    if (!contentType.empty())
        response += "Content-Type: " + contentType + "\r\n";
    response += "content-length: " + std::string(length) + "\r\n";
    if (!cimOperation.empty())
        response += "CIMOperation: " + cimOperation + "\r\n";
    return response + "\r\n" + body;
}

// CIM, MESSAGE and SIMPLERSP around a response element.
inline std::string cimEnvelope(const std::string& response, unsigned messageId = 1000)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"" + std::to_string(messageId) + "\" PROTOCOLVERSION=\"1.0\">\n<SIMPLERSP>\n" +
           response + "</SIMPLERSP>\n</MESSAGE>\n</CIM>\n";
}

// A GetInstance response whose INSTANCE of `className` holds `content`.
inline std::string getInstanceBody(const std::string& content, const std::string& className = "QMT_Holder",
                                   unsigned messageId = 1000)
{
    return cimEnvelope("<IMETHODRESPONSE NAME=\"GetInstance\">\n<IRETURNVALUE>\n<INSTANCE CLASSNAME=\"" +
                           className + "\" >\n" + content + "</INSTANCE>\n</IRETURNVALUE>\n</IMETHODRESPONSE>\n",
                       messageId);
}

// A METHODRESPONSE for `method` holding `content`.
inline std::string methodBody(const std::string& method, const std::string& content, unsigned messageId = 1000)
{
    return cimEnvelope("<METHODRESPONSE NAME=\"" + method + "\">\n" + content + "</METHODRESPONSE>\n", messageId);
}

// `text` escaped as XML character data, as a server escapes an embedded
// object's INSTANCE element inside a VALUE.
inline std::string xmlEscaped(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        switch (c)
        {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

#endif
