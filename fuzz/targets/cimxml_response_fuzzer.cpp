// Fuzz target: the CIM-XML response decoder with every response kind the
// client decodes, then the rendering of what it decoded. A malformed body
// must end in a Pegasus::Exception; any other exception, a crash or a
// sanitizer report is a finding.

#include "ResponseDecoder.h"
#include "cim_rendering.h"

#include <Pegasus/Common/Exception.h>

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace Pegasus::ClientDetail;

// The value of the first `attribute="..."` after `after`, or empty text.
std::string_view AttributeAfter(std::string_view text, std::string_view after, std::string_view attribute)
{
    const size_t anchor = text.find(after);
    if (anchor == std::string_view::npos) {
        return {};
    }
    const size_t start = text.find(attribute, anchor);
    if (start == std::string_view::npos) {
        return {};
    }
    const size_t valueStart = start + attribute.size();
    const size_t valueEnd = text.find('"', valueStart);
    return valueEnd == std::string_view::npos ? std::string_view() : text.substr(valueStart, valueEnd - valueStart);
}

// The decoder checks that a response answers the request that was sent; the
// context answers whatever the input claims, so that mutations reach the
// elements behind the header.
ResponseContext ContextFor(std::string_view body)
{
    ResponseContext context;
    context.where = "fuzz:5988";
    const std::string_view id = AttributeAfter(body, "<MESSAGE", "ID=\"");
    std::from_chars(id.data(), id.data() + id.size(), context.messageId);
    std::string_view name = AttributeAfter(body, "METHODRESPONSE", "NAME=\"");
    context.operation = std::string(name);
    return context;
}

size_t Render(const MethodResult& result)
{
    return quillet_fuzz::Render(result.returnValue) + quillet_fuzz::Render(result.outParameters);
}

template <typename Decoded>
size_t Render(const Decoded& decoded)
{
    return quillet_fuzz::Render(decoded);
}

template <typename Decode>
void DecodeAndRender(const std::string& input, const ResponseContext& context, Decode decode)
{
    std::string body = input;  // decoded in place
    try {
        Render(decode(body, context));
    } catch (const Pegasus::Exception&) {
        // The documented way to refuse a response.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const ResponseContext context = ContextFor(input);
    DecodeAndRender(input, context, decodeEnumerateInstancesResponse);
    DecodeAndRender(input, context, decodeGetInstanceResponse);
    DecodeAndRender(input, context, decodeEnumerateInstanceNamesResponse);
    DecodeAndRender(input, context, decodeObjectsWithPathResponse);
    DecodeAndRender(input, context, decodeInvokeMethodResponse);
    return 0;
}
