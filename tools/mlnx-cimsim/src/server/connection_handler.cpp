#include "server/connection_handler.h"

#include "server/basic_auth.h"
#include "server/cim_http_handler.h"
#include "server/local_auth.h"
#include "server/control_interface.h"
#include "server/request_log.h"
#include "wire/http_framing.h"

#include <unistd.h>

#include <cstdio>
#include <thread>

namespace mlnx_cimsim {

namespace {

constexpr auto kIdleLimit = std::chrono::minutes(10);

HttpRequest requestFrom(const HttpHead& head, std::string body) {
    HttpRequest request;
    const std::string& line = head.startLine;
    size_t first = line.find(' ');
    size_t second = first == std::string::npos ? std::string::npos : line.find(' ', first + 1);
    if (first == std::string::npos || second == std::string::npos) {
        throw HttpFramingError("bad request line \"" + line + "\"");
    }
    request.method = line.substr(0, first);
    request.target = line.substr(first + 1, second - first - 1);
    request.version = line.substr(second + 1);
    request.headers = head.headers;
    request.body = std::move(body);
    return request;
}

HttpReply plainStatusReply(int status, const std::string& realm) {
    HttpReply reply;
    reply.status = status;
    if (status == 401) {
        reply.headers.emplace_back("WWW-Authenticate", "Basic realm=\"" + realm + "\"");
    }
    return reply;
}

// Pads a CIM-XML body to the size a test asked for, with blanks after the document.
void padTo(HttpReply& reply, size_t bytes) {
    if (reply.body.size() < bytes) {
        reply.body.append(bytes - reply.body.size() - 1, ' ');
        reply.body += '\n';
    }
}

// Half a document with a closing tag that matches nothing open.
void breakXml(HttpReply& reply) {
    reply.body = reply.body.substr(0, reply.body.size() / 2) + "\n</IRETURNVALUE></CIM>\n";
}

void writeReply(ByteStream& stream, const HttpReply& reply) {
    stream.writeAll(framedPrefix(reply));
    stream.writeAll(reply.body);
    stream.writeAll(framedSuffix(reply));
}

bool wantsClose(const HttpRequest& request) {
    auto connection = request.headers.find("Connection");
    if (connection && headerHasToken(*connection, "close")) {
        return true;
    }
    return request.version == "HTTP/1.0" && !(connection && headerHasToken(*connection, "keep-alive"));
}

// Nothing when the request may be served, else the 401 to send. Local works on
// every listener, Basic over TCP only, as on OpenPegasus's domain socket.
std::optional<HttpReply> authenticate(const HttpRequest& request, ServerState& state, LocalSession& session,
                                      bool overDomainSocket) {
    if (!state.authentication) {
        return std::nullopt;
    }
    if (session.authenticated || overDomainSocket || LocalChallenges::carriesLocal(request)) {
        return state.localChallenges->check(request, session);
    }
    if (state.credentials && isAuthorized(request, *state.credentials)) {
        return std::nullopt;
    }
    return unauthorizedReply(request, state.realm);
}

}  // namespace

void serveConnection(int fd, const TlsServerContext* tls, ServerState& state, bool overDomainSocket) {
    std::unique_ptr<ByteStream> stream;
    try {
        SSL* ssl = nullptr;
        if (tls != nullptr) {
            setSocketReadTimeout(fd, std::chrono::seconds(30));
            ssl = tls->accept(fd);
            state.stats.countTlsHandshake();
        }
        stream = std::make_unique<ByteStream>(fd, ssl);
    } catch (const std::exception& error) {
        if (state.logRequests) {
            std::fprintf(stderr, "mlnx-cimsim: connection dropped: %s\n", error.what());
        }
        ::close(fd);
        return;
    }
    stream->setReadTimeout(kIdleLimit);
    HttpMessageReader reader(*stream);
    bool carriedRequests = false;
    LocalSession session;
    try {
        for (;;) {
            auto head = reader.readHead();
            if (!head) {
                return;
            }
            auto expectation = head->headers.find("Expect");
            if (expectation && equalsIgnoreCase(trimBlanks(*expectation), "100-continue")) {
                // curl waits for this before it sends a large body.
                stream->writeAll(std::string("HTTP/1.1 100 Continue\r\n\r\n"));
            }
            std::string body = reader.readBody(*head, false);
            HttpRequest request = requestFrom(*head, std::move(body));
            RequestLogEntry log;
            log.httpMethod = request.method;
            log.target = request.target;

            if (isControlTarget(request.target)) {
                if (!carriedRequests) {
                    state.stats.uncountControlConnection(tls != nullptr);
                    carriedRequests = true;
                }
                HttpReply reply = handleControlRequest(request, state);
                writeReply(*stream, reply);
                continue;
            }
            carriedRequests = true;

            HttpReply reply;
            RequestFaults faults;
            CimExchangeSummary summary;
            if (auto refusal = authenticate(request, state, session, overDomainSocket)) {
                reply = std::move(*refusal);
                log.note = "authentication";
            } else {
                faults = state.faults.takeForRequest();
                if (faults.httpStatus != 0) {
                    reply = plainStatusReply(faults.httpStatus, state.realm);
                    log.note = "injected HTTP " + std::to_string(faults.httpStatus);
                } else if (request.target == "/cimom" || request.target.rfind("/cimom?", 0) == 0) {
                    reply = handleCimRequest(request, state, summary);
                    if (faults.malformedXml) {
                        breakXml(reply);
                        log.note = "malformed XML";
                    }
                    if (faults.responseBytes != 0) {
                        padTo(reply, faults.responseBytes);
                        log.note = "padded to " + std::to_string(faults.responseBytes) + " bytes";
                    }
                } else {
                    reply.status = 404;
                }
            }
            state.stats.countRequest(summary.operation);
            log.operation = summary.operation;
            log.subject = summary.subject;
            log.cimStatus = summary.cimStatus;
            log.httpStatus = reply.status;
            log.bytes = reply.body.size();

            if (faults.delayMs > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(faults.delayMs));
            }
            if (faults.closeMidResponse) {
                std::string prefix = framedPrefix(reply);
                stream->writeAll(prefix);
                stream->writeAll(reply.body.data(), reply.body.size() / 2);
                log.note = "closed after " + std::to_string(prefix.size() + reply.body.size() / 2) + " bytes";
                if (state.logRequests) {
                    writeRequestLog(log);
                }
                // An orderly close, so the client reads a body that ends too early.
                stream->shutdownWrite();
                return;
            }
            writeReply(*stream, reply);
            if (state.logRequests) {
                writeRequestLog(log);
            }
            if (wantsClose(request)) {
                stream->shutdownWrite();
                return;
            }
        }
    } catch (const std::exception& error) {
        // A broken or idle connection ends here; the client sees it closed.
        if (state.logRequests && !reader.truncated()) {
            std::fprintf(stderr, "mlnx-cimsim: connection ended: %s\n", error.what());
        }
    }
}

}  // namespace mlnx_cimsim
