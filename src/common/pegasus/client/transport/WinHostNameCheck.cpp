#include "WinHostNameCheck.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string narrow(const wchar_t* text)
{
    std::string result;
    for (; text && *text; ++text)
        result += *text < 0x80 ? static_cast<char>(*text) : '?';
    return result;
}

bool dnsNameMatches(const std::string& pattern, const std::string& host)
{
    if (pattern == host)
        return true;
    // "*.example.net" covers "a.example.net", not "example.net" nor "a.b.example.net".
    if (pattern.size() < 3 || pattern.compare(0, 2, "*.") != 0)
        return false;
    const std::size_t dot = host.find('.');
    return dot != std::string::npos && dot > 0 && host.compare(dot, std::string::npos, pattern, 1) == 0;
}

// The address bytes of an IP literal, empty for a DNS name.
std::vector<unsigned char> ipAddressBytes(const std::string& host)
{
    in_addr v4{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1)
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&v4);
        return std::vector<unsigned char>(bytes, bytes + sizeof v4);
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, host.c_str(), &v6) == 1)
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&v6);
        return std::vector<unsigned char>(bytes, bytes + sizeof v6);
    }
    return {};
}

}  // namespace

std::string hostNameProblem(PCCERT_CONTEXT certificate, const std::string& host)
{
    if (!certificate)
        return "the server sent no certificate";
    const PCERT_EXTENSION extension =
        CertFindExtension(szOID_SUBJECT_ALT_NAME2, certificate->pCertInfo->cExtension,
                          certificate->pCertInfo->rgExtension);
    if (!extension)
        return "the certificate names no host (no subject alternative name), not " + host;
    CERT_ALT_NAME_INFO* raw = nullptr;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData,
                             extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &raw, &size))
        return "the certificate's subject alternative names cannot be read";
    std::unique_ptr<CERT_ALT_NAME_INFO, decltype(&LocalFree)> names(raw, LocalFree);

    const std::vector<unsigned char> address = ipAddressBytes(host);
    const std::string wanted = lowered(host);
    std::string named;
    for (DWORD index = 0; index < names->cAltEntry; ++index)
    {
        const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[index];
        if (entry.dwAltNameChoice == CERT_ALT_NAME_DNS_NAME)
        {
            const std::string name = lowered(narrow(entry.pwszDNSName));
            if (address.empty() && dnsNameMatches(name, wanted))
                return std::string();
            named += (named.empty() ? "" : ", ") + name;
        }
        else if (entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS)
        {
            const CRYPT_DATA_BLOB& blob = entry.IPAddress;
            if (!address.empty() && blob.cbData == address.size() &&
                std::memcmp(blob.pbData, address.data(), address.size()) == 0)
                return std::string();
            named += (named.empty() ? "" : ", ") + std::string("an IP address");
        }
    }
    return "the certificate is for " + (named.empty() ? std::string("no host") : named) + ", not " + host;
}

}  // namespace ClientDetail
}  // namespace Pegasus
