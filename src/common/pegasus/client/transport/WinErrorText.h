#ifndef Pegasus_Client_Transport_WinErrorText_h
#define Pegasus_Client_Transport_WinErrorText_h

#include <string>

namespace Pegasus {
namespace ClientDetail {

// The system's text for a Windows error code, without its closing period and
// line end. Empty when no text is known.
std::string windowsErrorText(unsigned long code);

// A Winsock error's text with its number: "... (socket error 10061)".
std::string socketErrorText(int error);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
