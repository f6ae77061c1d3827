#include "server/cim_http_handler.h"

#include "server/cim_dispatcher.h"
#include "wire/cimxml_request.h"

namespace mlnx_cimsim {

namespace {

HttpReply badRequest(const std::string& cimError, const std::string& detail) {
    HttpReply reply;
    reply.status = 400;
    reply.headers.emplace_back("CIMError", cimError);
    reply.headers.emplace_back("PGErrorDetail", percentEncoded(detail));
    reply.framingPosition = reply.headers.size();
    return reply;
}

}  // namespace

HttpReply handleCimRequest(const HttpRequest& request, ServerState& state, CimExchangeSummary& summary) {
    if (request.method != "POST" && request.method != "M-POST") {
        HttpReply reply;
        reply.status = 405;
        reply.headers.emplace_back("Allow", "POST");
        return reply;
    }
    auto operationHeader = request.headers.find("CIMOperation");
    if (!operationHeader || !equalsIgnoreCase(*operationHeader, "MethodCall")) {
        return badRequest("unsupported-operation", "CIMOperation header missing or not MethodCall");
    }
    CimRequest cimRequest;
    try {
        cimRequest = decodeCimRequest(request.body);
    } catch (const CimRequestError& error) {
        return badRequest("request-not-well-formed", error.what());
    }
    summary.operation = cimRequest.name;
    summary.subject = cimRequest.nameSpace + ":" + cimRequest.subjectClass();
    auto methodHeader = request.headers.find("CIMMethod");
    if (methodHeader && *methodHeader != cimRequest.name) {
        return badRequest("header-mismatch", "CIMMethod value \"" + *methodHeader +
                                                 "\" does not match CIM request method \"" + cimRequest.name + "\".");
    }
    auto transferCodings = request.headers.find("TE");
    bool trailers = transferCodings && headerHasToken(*transferCodings, "trailers");

    CimOutcome outcome;
    {
        std::lock_guard<std::mutex> lock(state.providerMutex);
        outcome = CimDispatcher(state.provider).dispatch(cimRequest, trailers);
    }
    summary.cimStatus = outcome.cimStatus;

    HttpReply reply;
    reply.headers.emplace_back("Content-Type", "application/xml; charset=utf-8");
    reply.headers.emplace_back("CIMOperation", "MethodResponse");
    reply.body = std::move(outcome.xml);
    reply.chunked = trailers;
    if (trailers && outcome.cimStatus != 0) {
        reply.trailers.emplace_back("CIMStatusCode", std::to_string(outcome.cimStatus));
        reply.trailers.emplace_back("CIMStatusCodeDescription", percentEncoded(outcome.description));
    }
    return reply;
}

}  // namespace mlnx_cimsim
