#include "WinTrustStore.h"

#include "../ClientErrors.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

namespace {

const char kBegin[] = "-----BEGIN CERTIFICATE-----";
const char kEnd[] = "-----END CERTIFICATE-----";

// Chain problems that no trust anchor of ours can excuse.
const DWORD kFatalChainErrors = CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_IS_REVOKED |
                                CERT_TRUST_IS_NOT_SIGNATURE_VALID | CERT_TRUST_IS_NOT_VALID_FOR_USAGE |
                                CERT_TRUST_IS_CYCLIC | CERT_TRUST_INVALID_EXTENSION;

struct ChainRelease
{
    void operator()(PCCERT_CHAIN_CONTEXT chain) const { CertFreeCertificateChain(chain); }
};

}  // namespace

WinTrustStore::WinTrustStore(const std::string& path, const std::string& where)
    : _path(path),
      _store(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr))
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
    {
        for (const auto& entry : std::filesystem::directory_iterator(path, error))
        {
            if (entry.is_regular_file(error))
                addFile(entry.path().string());
        }
    }
    else
    {
        addFile(path);
    }
    if (!_store || !CertEnumCertificatesInStore(_store, nullptr))
        throwTlsFailure(where, "the trust store " + path + " holds no PEM certificate");
}

WinTrustStore::~WinTrustStore()
{
    if (_store)
        CertCloseStore(_store, 0);
}

void WinTrustStore::addFile(const std::string& file)
{
    std::ifstream stream(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    std::string::size_type at = 0;
    while ((at = text.find(kBegin, at)) != std::string::npos)
    {
        const std::string::size_type end = text.find(kEnd, at);
        if (end == std::string::npos)
            break;
        const std::string block = text.substr(at, end + sizeof kEnd - 1 - at);
        at = end;
        DWORD size = 0;
        if (!CryptStringToBinaryA(block.c_str(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                                  nullptr, &size, nullptr, nullptr))
            continue;
        std::vector<BYTE> der(size);
        if (CryptStringToBinaryA(block.c_str(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                                 der.data(), &size, nullptr, nullptr))
        {
            CertAddEncodedCertificateToStore(_store, X509_ASN_ENCODING, der.data(), size,
                                             CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
        }
    }
}

std::string WinTrustStore::problemWith(PCCERT_CONTEXT serverCertificate) const
{
    if (!serverCertificate)
        return "the server sent no certificate";
    CERT_CHAIN_PARA parameters{};
    parameters.cbSize = sizeof parameters;
    PCCERT_CHAIN_CONTEXT rawChain = nullptr;
    if (!CertGetCertificateChain(nullptr, serverCertificate, nullptr, _store, &parameters, 0, nullptr,
                                 &rawChain))
        return "the server's certificate chain cannot be built";
    std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainRelease> chain(rawChain);
    if (chain->TrustStatus.dwErrorStatus & CERT_TRUST_IS_NOT_TIME_VALID)
        return "the certificate has expired or is not yet valid";
    if (chain->TrustStatus.dwErrorStatus & kFatalChainErrors)
        return "the server's certificate chain is not valid";
    // Trusted when an element of the chain is one of the store's certificates.
    const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
    for (DWORD index = 0; index < simple->cElement; ++index)
    {
        if (holds(simple->rgpElement[index]->pCertContext))
            return std::string();
    }
    return "the certificate's issuer is not in the trust store " + _path;
}

bool WinTrustStore::holds(PCCERT_CONTEXT certificate) const
{
    // Byte for byte: CERT_FIND_EXISTING goes by issuer and serial number,
    // which self-signed certificates made alike share.
    PCCERT_CONTEXT candidate = nullptr;
    while ((candidate = CertEnumCertificatesInStore(_store, candidate)) != nullptr)
    {
        if (candidate->cbCertEncoded == certificate->cbCertEncoded &&
            std::equal(candidate->pbCertEncoded, candidate->pbCertEncoded + candidate->cbCertEncoded,
                       certificate->pbCertEncoded))
        {
            CertFreeCertificateContext(candidate);
            return true;
        }
    }
    return false;
}

}  // namespace ClientDetail
}  // namespace Pegasus
