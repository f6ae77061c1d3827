#ifndef Pegasus_Client_Transport_WinTrustStore_h
#define Pegasus_Client_Transport_WinTrustStore_h

#include <windows.h>

#include <wincrypt.h>

#include <string>

namespace Pegasus {
namespace ClientDetail {

// The certificate authorities of a trust store given as a PEM file, or as a
// folder of PEM files, as OpenSSL takes them; Schannel itself only knows
// the system's stores.
class WinTrustStore
{
public:
    // Raises the TLS failure for `where` when the store holds no certificate.
    WinTrustStore(const std::string& path, const std::string& where);
    ~WinTrustStore();
    WinTrustStore(const WinTrustStore&) = delete;
    WinTrustStore& operator=(const WinTrustStore&) = delete;

    // Empty when the server's certificate chains up to one of the store's
    // certificates; otherwise what is wrong with it.
    std::string problemWith(PCCERT_CONTEXT serverCertificate) const;

private:
    void addFile(const std::string& file);
    bool holds(PCCERT_CONTEXT certificate) const;

    std::string _path;
    HCERTSTORE _store;
};

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
