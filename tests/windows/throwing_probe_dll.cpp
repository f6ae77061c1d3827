// A DLL that lets standard exceptions leave it, as the module lets every
// exception but the CIM library's pass to the framework.
#include <new>
#include <stdexcept>
#include <string>

extern "C" __declspec(dllexport) void QuilletProbeThrow(int kind)
{
    if (kind == 0) {
        throw std::invalid_argument("thrown inside " + std::string("windows_throwing_probe.dll"));
    }
    throw std::bad_alloc();
}
