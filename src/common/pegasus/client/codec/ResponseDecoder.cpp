#include "ResponseDecoder.h"

#include "../ClientErrors.h"
#include "CimElementReader.h"
#include "InstanceSegments.h"
#include "XmlCursor.h"

#include <Pegasus/Client/CIMClientException.h>
#include <Pegasus/Common/Exception.h>

#include <charconv>
#include <optional>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

namespace {

// Size of the runs of instances parsed at once: large enough that setting up
// a parse is a small part of it, small enough that the parser's tree stays a
// small part of the response.
constexpr std::size_t kBatchBytes = 64 * 1024;

// Walks CIM, MESSAGE and SIMPLERSP to the start tag of the response element
// (IMETHODRESPONSE or METHODRESPONSE), checking that it answers this request.
bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

// "1." and digits: the protocol versions this client speaks.
bool supportedProtocol(std::string_view version)
{
    if (version.size() < 3 || version.compare(0, 2, "1.") != 0)
        return false;
    for (char c : version.substr(2))
    {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

void enterResponse(XmlCursor& cursor, const ResponseContext& context, std::string_view element)
{
    cursor.enter("CIM");
    cursor.requiredAttribute("CIMVERSION");
    cursor.requiredAttribute("DTDVERSION");
    cursor.enter("MESSAGE");
    std::string_view idText = cursor.requiredAttribute("ID");
    std::string_view protocol = cursor.requiredAttribute("PROTOCOLVERSION");
    if (!supportedProtocol(protocol))
    {
        throwUnexpectedResponse(context.where, "the response is in protocol version \"" +
                                                   std::string(protocol) + "\", not 1.x");
    }
    Uint32 id = 0;
    auto [end, error] = std::from_chars(idText.data(), idText.data() + idText.size(), id);
    if (error != std::errc() || end != idText.data() + idText.size() || id != context.messageId)
    {
        throwUnexpectedResponse(context.where, "the response carries MESSAGE ID \"" +
                                                   std::string(idText) + "\" but the request had " +
                                                   std::to_string(context.messageId));
    }
    cursor.enter("SIMPLERSP");
    cursor.nextTag();
    if (!cursor.atStart(element))
        cursor.unexpected("<" + std::string(element) + ">");
    std::string_view name = cursor.requiredAttribute("NAME");
    if (!equalNoCase(name, context.operation))
        cursor.fail("the response is for \"" + std::string(name) + "\" but the request was " +
                    context.operation);
}

void leaveResponse(XmlCursor& cursor, std::string_view element)
{
    if (!cursor.atEnd(element))
        cursor.unexpected("</" + std::string(element) + ">");
    cursor.leave("SIMPLERSP");
    cursor.leave("MESSAGE");
    cursor.leave("CIM");
}

// At ERROR: raises the CIM error it describes.
[[noreturn]] void raiseError(XmlCursor& cursor)
{
    std::string_view codeText = cursor.requiredAttribute("CODE");
    unsigned code = 0;
    auto [end, error] = std::from_chars(codeText.data(), codeText.data() + codeText.size(), code);
    if (error != std::errc() || end != codeText.data() + codeText.size())
        cursor.fail("ERROR CODE \"" + std::string(codeText) + "\" is not a number");
    std::string_view description;
    cursor.attribute("DESCRIPTION", description);
    throwCimError(code, std::string(description));
}

// Decodes an intrinsic method response, calling `onReturnValue` with the
// cursor on each child of IRETURNVALUE.
template <typename OnChild>
void decodeIntrinsic(std::string& body, const ResponseContext& context, DecodeCache& cache,
                     OnChild onChild)
{
    XmlCursor cursor(body, context.where, cache);
    enterResponse(cursor, context, "IMETHODRESPONSE");
    cursor.nextTag();
    if (cursor.atStart("ERROR"))
        raiseError(cursor);
    if (cursor.atStart("IRETURNVALUE"))
    {
        for (;;)
        {
            cursor.nextTag();
            if (cursor.atEnd("IRETURNVALUE"))
                break;
            if (!cursor.atStart())
                cursor.unexpected("a return value element");
            onChild(cursor);
        }
        cursor.nextTag();
    }
    leaveResponse(cursor, "IMETHODRESPONSE");
}

template <typename OnChild>
void decodeIntrinsic(std::string& body, const ResponseContext& context, OnChild onChild)
{
    DecodeCache cache;
    decodeIntrinsic(body, context, cache, onChild);
}

// Any other failure of the value classes on what the response holds (a
// host name that is no host name, say) is a bad response, as OpenPegasus
// reports it, not an exception of the value classes.
template <typename Decode>
auto refusingOthers(const ResponseContext& context, Decode decode) -> decltype(decode())
{
    try
    {
        return decode();
    }
    catch (const CIMException&)
    {
        throw;
    }
    catch (const CIMClientXmlException&)
    {
        throw;
    }
    catch (const CIMClientResponseException&)
    {
        throw;
    }
    catch (const Exception& error)
    {
        throwUnexpectedResponse(context.where, std::string(error.getMessage().getCString()));
    }
}

Array<CIMInstance> enumerateInstances(std::string& body, const ResponseContext& context)
{
    DecodeCache cache;
    Array<CIMInstance> instances;
    const std::optional<std::vector<ByteRange>> segments = findInstanceSegments(body);
    if (!segments)
    {
        decodeIntrinsic(body, context, cache, [&](XmlCursor& cursor) {
            if (!cursor.atStart("VALUE.NAMEDINSTANCE"))
                cursor.unexpected("<VALUE.NAMEDINSTANCE>");
            instances.append(readNamedInstance(cursor));
        });
        return instances;
    }

    // The envelope without the instances first: it says whether the
    // response answers this request at all. Then the instances, a run of
    // them at a time, so that only one run's tree exists at once.
    const std::size_t instancesBegin = segments->front().begin;
    const std::size_t instancesEnd = segments->back().end;
    std::string envelope;
    envelope.reserve(instancesBegin + body.size() - instancesEnd);
    envelope.append(body, 0, instancesBegin).append(body, instancesEnd, std::string::npos);
    decodeIntrinsic(envelope, context, cache, [&](XmlCursor& cursor) {
        cursor.unexpected("nothing but instances in <IRETURNVALUE>");
    });

    RepeatedElementMemo repeated;
    instances.reserveCapacity(static_cast<Uint32>(segments->size()));
    for (std::size_t first = 0; first < segments->size();)
    {
        // Instances side by side, parsed together up to a batch size, so
        // that setting up a parse does not cost more than the parse.
        std::size_t next = first + 1;
        while (next < segments->size() &&
               (*segments)[next].end - (*segments)[first].begin <= kBatchBytes)
            ++next;
        const std::size_t begin = (*segments)[first].begin;
        const std::size_t end = (*segments)[next - 1].end;
        // The scan vouched that the body holds nothing but tags and text,
        // so repeated elements may be taken out by their tags, and
        // elements taken as written (see readQualifierParts).
        StrippedElements stripped;
        const std::size_t size =
            stripped.strip(body.data() + begin, end - begin, begin, context.where, cache, repeated);
        XmlCursor cursor(body.data() + begin, size, begin, context.where, cache,
                         stripped.leftQualifiers(), &stripped);
        while (cursor.nextTagOrEnd())
        {
            if (!cursor.atStart("VALUE.NAMEDINSTANCE"))
                cursor.unexpected("<VALUE.NAMEDINSTANCE>");
            instances.append(readNamedInstance(cursor));
        }
        first = next;
    }
    return instances;
}

CIMInstance getInstance(std::string& body, const ResponseContext& context)
{
    CIMInstance instance;
    bool found = false;
    decodeIntrinsic(body, context, [&](XmlCursor& cursor) {
        if (!cursor.atStart("INSTANCE") || found)
            cursor.unexpected("one <INSTANCE>");
        instance = readInstance(cursor);
        found = true;
    });
    if (!found)
        throwMalformedXml(context.where, "the GetInstance response holds no <INSTANCE>");
    return instance;
}

Array<CIMObjectPath> enumerateInstanceNames(std::string& body, const ResponseContext& context)
{
    Array<CIMObjectPath> names;
    decodeIntrinsic(body, context, [&](XmlCursor& cursor) {
        if (!cursor.atStart("INSTANCENAME"))
            cursor.unexpected("<INSTANCENAME>");
        names.append(readInstanceName(cursor));
    });
    return names;
}

Array<CIMObject> objectsWithPath(std::string& body, const ResponseContext& context)
{
    Array<CIMObject> objects;
    decodeIntrinsic(body, context, [&](XmlCursor& cursor) {
        if (!cursor.atStart("VALUE.OBJECTWITHPATH") && !cursor.atStart("VALUE.INSTANCEWITHPATH"))
            cursor.unexpected("<VALUE.OBJECTWITHPATH>");
        objects.append(CIMObject(readInstanceWithPath(cursor)));
    });
    return objects;
}

MethodResult invokeMethod(std::string& body, const ResponseContext& context)
{
    DecodeCache cache;
    XmlCursor cursor(body, context.where, cache);
    enterResponse(cursor, context, "METHODRESPONSE");
    MethodResult result;
    bool returned = false;
    for (;;)
    {
        cursor.nextTag();
        if (cursor.atEnd("METHODRESPONSE"))
            break;
        if (cursor.atStart("ERROR"))
            raiseError(cursor);
        if (cursor.atStart("RETURNVALUE"))
        {
            if (returned)
                cursor.unexpected("one <RETURNVALUE>");
            result.returnValue = readReturnValue(cursor);
            returned = true;
        }
        else if (cursor.atStart("PARAMVALUE"))
            result.outParameters.append(readParamValue(cursor));
        else
            cursor.unexpected("<RETURNVALUE> or <PARAMVALUE>");
    }
    leaveResponse(cursor, "METHODRESPONSE");
    return result;
}

}  // namespace

Array<CIMInstance> decodeEnumerateInstancesResponse(std::string& body, const ResponseContext& context)
{
    return refusingOthers(context, [&] { return enumerateInstances(body, context); });
}

CIMInstance decodeGetInstanceResponse(std::string& body, const ResponseContext& context)
{
    return refusingOthers(context, [&] { return getInstance(body, context); });
}

Array<CIMObjectPath> decodeEnumerateInstanceNamesResponse(std::string& body,
                                                          const ResponseContext& context)
{
    return refusingOthers(context, [&] { return enumerateInstanceNames(body, context); });
}

Array<CIMObject> decodeObjectsWithPathResponse(std::string& body, const ResponseContext& context)
{
    return refusingOthers(context, [&] { return objectsWithPath(body, context); });
}

MethodResult decodeInvokeMethodResponse(std::string& body, const ResponseContext& context)
{
    return refusingOthers(context, [&] { return invokeMethod(body, context); });
}

}  // namespace ClientDetail
}  // namespace Pegasus
