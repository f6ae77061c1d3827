#ifndef Pegasus_Client_Transport_WinHostNameCheck_h
#define Pegasus_Client_Transport_WinHostNameCheck_h

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <windows.h>

#include <wincrypt.h>

#include <string>

namespace Pegasus {
namespace ClientDetail {

// Empty when the certificate's subject alternative names include `host`: a
// DNS name (a leading "*." standing for one label), or, when `host` is an
// IPv4 or IPv6 literal, its IP address; otherwise what is wrong. Done here
// rather than by Schannel so that Windows and Wine decide alike.
std::string hostNameProblem(PCCERT_CONTEXT certificate, const std::string& host);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
