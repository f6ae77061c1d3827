#ifndef Pegasus_Client_Transport_WinErrorText_h
#define Pegasus_Client_Transport_WinErrorText_h

#include <string>

namespace Pegasus {
namespace ClientDetail {

// The system's text for a Windows error code, without its closing period and
// line end; the messages of `moduleName` (e.g. "winhttp.dll") are searched
// first when given. Empty when no text is known.
std::string windowsErrorText(unsigned long code, const char* moduleName = nullptr);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
