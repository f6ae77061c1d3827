#include "ResponseHeaders.h"

#include "../ClientErrors.h"

#include <string_view>

namespace Pegasus {
namespace ClientDetail {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// type "/" subtype [";" "charset" "=" value], the value quoted or not; a
// missing charset means UTF-8.
bool isCimXmlContentType(std::string_view value)
{
    value = trimmed(value);
    const std::size_t semicolon = value.find(';');
    const std::string_view type = trimmed(value.substr(0, semicolon));
    if (!equalNoCase(type, "application/xml") && !equalNoCase(type, "text/xml"))
        return false;
    if (semicolon == std::string_view::npos)
        return true;
    std::string_view parameter = trimmed(value.substr(semicolon + 1));
    const std::size_t equals = parameter.find('=');
    if (equals == std::string_view::npos || !equalNoCase(trimmed(parameter.substr(0, equals)), "charset"))
        return false;
    std::string_view charset = trimmed(parameter.substr(equals + 1));
    if (charset.size() >= 2 && charset.front() == '"' && charset.back() == '"')
        charset = charset.substr(1, charset.size() - 2);
    return equalNoCase(charset, "utf-8");
}

}  // namespace

void checkResponseHeaders(const HttpHeaders& headers, const std::string& where)
{
    const std::string* operation = findHeader(headers, "CIMOperation");
    if (!operation)
        throwMalformedHttp(where, "Missing CIMOperation HTTP header");
    const std::string* contentType = findHeader(headers, "Content-Type");
    if (contentType && !isCimXmlContentType(*contentType))
        throwMalformedHttp(where, "Bad Content-Type HTTP header; " + *contentType);
    if (!equalNoCase(trimmed(*operation), "MethodResponse"))
    {
        throwMalformedHttp(where, "Received CIMOperation HTTP header value \"" + *operation +
                                      "\", expected \"MethodResponse\"");
    }
}

}  // namespace ClientDetail
}  // namespace Pegasus
