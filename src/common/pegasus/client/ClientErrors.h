#ifndef Pegasus_Client_ClientErrors_h
#define Pegasus_Client_ClientErrors_h

#include <cstddef>
#include <string>

namespace Pegasus {
namespace ClientDetail {

// One function per failure kind, shared by every transport and the codec,
// so that each kind is raised as the same exception with the same wording
// whichever back end met it. `where` is "host:port".

[[noreturn]] void throwCannotConnect(const std::string& where, const std::string& reason);
[[noreturn]] void throwTlsFailure(const std::string& where, const std::string& reason);
[[noreturn]] void throwTimeout(const std::string& where, unsigned long timeoutMs);
[[noreturn]] void throwMalformedHttp(const std::string& where, const std::string& reason);
[[noreturn]] void throwResponseTooLarge(const std::string& where, std::size_t limitBytes);
[[noreturn]] void throwMalformedXml(const std::string& where, const std::string& reason);
[[noreturn]] void throwUnexpectedResponse(const std::string& where, const std::string& reason);
[[noreturn]] void throwHttpError(const std::string& where, unsigned status,
                                 const std::string& reason, const std::string& cimError,
                                 const std::string& cimErrorDetail);
[[noreturn]] void throwAuthenticationFailed(const std::string& where,
                                            const std::string& userName,
                                            bool credentialsSent);
[[noreturn]] void throwCimError(unsigned code, const std::string& description);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
