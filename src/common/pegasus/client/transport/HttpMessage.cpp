#include "HttpMessage.h"

#include <cctype>

namespace Pegasus {
namespace ClientDetail {

namespace {

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

const std::string* findHeader(const HttpHeaders& headers, std::string_view name)
{
    for (const HttpHeader& header : headers)
    {
        if (equalNoCase(header.name, name))
            return &header.value;
    }
    return nullptr;
}

}  // namespace ClientDetail
}  // namespace Pegasus
