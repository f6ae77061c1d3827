// A DLL that lets standard exceptions leave it, as the module lets every
// exception but the CIM library's pass to the framework.
#include <new>
#include <stdexcept>
#include <string>

// A C++ function: under /EHsc a function with C linkage is taken never to throw.
namespace QuilletProbe {
__declspec(dllexport) void Throw(int kind)
{
    if (kind == 0) {
        throw std::invalid_argument("thrown inside " + std::string("windows_throwing_probe.dll"));
    }
    throw std::bad_alloc();
}
}  // namespace QuilletProbe
