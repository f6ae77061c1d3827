#include "HttpOnStream.h"

#include <boost/beast/core/buffers_range.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/serializer.hpp>
#include <boost/beast/http/string_body.hpp>

#include <cstdint>
#include <iterator>
#include <optional>
#include <string>

namespace Pegasus {
namespace ClientDetail {

namespace beast = boost::beast;
namespace http = boost::beast::http;

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
// Header fields, and separately the trailer fields, of one response.
constexpr std::uint32_t kHeaderLimit = 64 * 1024;

// Room in `body` for `bytes` more, which the parser has already checked
// against what remains of the response limit.
void reserveMore(std::string& body, std::uint64_t bytes, beast::error_code& error)
{
    if (bytes > body.max_size() - body.size())
    {
        error = http::error::buffer_overflow;
        return;
    }
    body.reserve(body.size() + static_cast<std::size_t>(bytes));
}

// A string body that appends each piece as it arrives. Beast's string_body
// zero-fills the string's new length before copying a piece into it, and a
// chunked body, which announces no length up front, would also be copied at
// every doubling of the string.
struct AppendedStringBody
{
    using value_type = std::string;

    static std::uint64_t size(const value_type& body) { return body.size(); }

    class reader
    {
    public:
        template <bool isRequest, class Fields>
        reader(http::header<isRequest, Fields>&, value_type& body) : _body(body)
        {
        }

        // The parser has refused a Content-Length beyond the response limit
        // before this, so the whole announced body may be reserved.
        void init(const boost::optional<std::uint64_t>& length, beast::error_code& error)
        {
            error = {};
            if (length)
                reserveMore(_body, *length, error);
        }

        template <class ConstBufferSequence>
        std::size_t put(const ConstBufferSequence& buffers, beast::error_code& error)
        {
            error = {};
            std::size_t taken = 0;
            for (const auto buffer : beast::buffers_range_ref(buffers))
            {
                _body.append(static_cast<const char*>(buffer.data()), buffer.size());
                taken += buffer.size();
            }
            return taken;
        }

        void finish(beast::error_code& error) { error = {}; }

    private:
        value_type& _body;
    };
};

using ResponseParser = http::response_parser<AppendedStringBody>;

// Feeds the parser from the stream until `done` holds.
class ResponseReader
{
public:
    ResponseReader(ByteStream& stream, Deadline deadline) : _stream(stream), _deadline(deadline) {}

    template <typename Done>
    void readUntil(ResponseParser& parser, Done done)
    {
        while (!done())
        {
            if (_buffer.size() > 0)
            {
                beast::error_code error;
                const std::size_t used = parser.put(_buffer.data(), error);
                _buffer.consume(used);
                if (!error && (used > 0 || done()))
                    continue;
                if (error && error != http::error::need_more)
                    fail(parser, error);
            }
            fill(parser);
        }
    }

private:
    void fill(ResponseParser& parser)
    {
        std::size_t got = 0;
        try
        {
            auto space = _buffer.prepare(kReadChunk);
            got = _stream.readSome(static_cast<char*>(space.data()), space.size(), _deadline);
        }
        catch (const StreamError& e)
        {
            if (e.kind() == StreamError::Kind::failed && _received == 0)
                throw HttpReadError(HttpReadError::Kind::noAnswer,
                                    std::string("the connection failed before the response: ") +
                                        e.what());
            throw;
        }
        if (got > 0)
        {
            _buffer.commit(got);
            _received += got;
            return;
        }
        if (_received == 0)
            throw HttpReadError(HttpReadError::Kind::noAnswer,
                                "the server closed the connection without answering");
        beast::error_code error;
        parser.put_eof(error);
        if (error)
        {
            if (!parser.is_header_done())
                throw HttpReadError(HttpReadError::Kind::brokeOff,
                                    "the response broke off in its header");
            throw HttpReadError(HttpReadError::Kind::brokeOff,
                                "the response broke off after " +
                                    std::to_string(parser.get().body().size()) +
                                    " bytes of its body: the server closed the connection");
        }
        _closed = true;
    }

    [[noreturn]] void fail(const ResponseParser& parser, beast::error_code error)
    {
        if (error == http::error::body_limit)
            throw HttpReadError(HttpReadError::Kind::tooLarge, error.message());
        if (!parser.is_header_done() &&
            (error == http::error::bad_version || error == http::error::bad_status ||
             error == http::error::bad_reason))
            throw HttpReadError(HttpReadError::Kind::malformed,
                                "the status line of the response is not HTTP");
        if (error == http::error::header_limit)
            throw HttpReadError(HttpReadError::Kind::malformed,
                                "its header fields exceed " + std::to_string(kHeaderLimit) +
                                    " bytes");
        throw HttpReadError(HttpReadError::Kind::malformed,
                            "the response is not valid HTTP/1.1 (" + error.message() + ")");
    }

public:
    bool closed() const { return _closed; }

private:
    ByteStream& _stream;
    Deadline _deadline;
    beast::flat_buffer _buffer;
    std::size_t _received = 0;
    bool _closed = false;
};

HttpResponse toResponse(ResponseParser& parser, std::size_t headerFields)
{
    auto& message = parser.get();
    HttpResponse response;
    response.status = message.result_int();
    response.reason = std::string(message.reason());
    std::size_t index = 0;
    for (const auto& field : message)
    {
        HttpHeader header{std::string(field.name_string()), std::string(field.value())};
        (index++ < headerFields ? response.headers : response.trailers).push_back(std::move(header));
    }
    response.body = std::move(message.body());
    return response;
}

}  // namespace

void writeHttpRequest(ByteStream& stream, const std::string& path, const HttpRequest& request,
                      Deadline deadline)
{
    http::request<http::string_body> message{http::verb::post, path, 11};
    // As unknown fields, so that every name goes out spelt as given ("HOST",
    // as OpenPegasus's client writes it), not in Beast's canonical form.
    for (const HttpHeader& header : request.headers)
        message.insert(http::field::unknown, header.name, header.value);
    message.body() = request.body;

    // Header and body leave in one write: two small ones would wait for the
    // server's delayed acknowledgement of the first.
    std::string bytes;
    bytes.reserve(request.body.size() + 1024);
    http::request_serializer<http::string_body> serializer{message};
    beast::error_code error;
    do
    {
        std::size_t framed = 0;
        serializer.next(error, [&](beast::error_code&, const auto& buffers) {
            for (const auto buffer : beast::buffers_range_ref(buffers))
            {
                bytes.append(static_cast<const char*>(buffer.data()), buffer.size());
                framed += buffer.size();
            }
        });
        if (error)
            throw StreamError(StreamError::Kind::failed, "the request cannot be framed: " +
                                                             error.message());
        serializer.consume(framed);
    } while (!serializer.is_done());
    stream.writeAll(bytes.data(), bytes.size(), deadline);
}

HttpResponseRead readHttpResponse(ByteStream& stream, std::size_t bodyLimit, Deadline deadline)
{
    ResponseReader reader(stream, deadline);
    std::optional<ResponseParser> parser;
    // A chunk's size is known before its data: the body makes room for it
    // at once (the parser has refused a chunk beyond the response limit).
    auto reserveChunk = [&parser](std::uint64_t size, beast::string_view, beast::error_code& error) {
        reserveMore(parser->get().body(), size, error);
    };
    for (;;)
    {
        parser.emplace();
        parser->header_limit(kHeaderLimit);
        parser->body_limit(bodyLimit);
        parser->on_chunk_header(reserveChunk);
        reader.readUntil(*parser, [&] { return parser->is_header_done(); });
        const unsigned status = parser->get().result_int();
        if (status < 100 || status >= 200 || status == 101)
            break;
    }
    HttpResponseRead read;
    const std::size_t headerFields =
        static_cast<std::size_t>(std::distance(parser->get().begin(), parser->get().end()));
    const bool delimited = parser->chunked() || parser->content_length().has_value();
    if (parser->get().result_int() != 200 && !delimited && !parser->is_done())
    {
        // An error status whose body only the close would end: its header
        // says all there is, and the connection is given up.
        read.response = toResponse(*parser, headerFields);
        read.keepAlive = false;
        return read;
    }
    reader.readUntil(*parser, [&] { return parser->is_done(); });
    read.keepAlive = parser->get().keep_alive() && !parser->need_eof() && !reader.closed();
    read.response = toResponse(*parser, headerFields);
    return read;
}

}  // namespace ClientDetail
}  // namespace Pegasus
