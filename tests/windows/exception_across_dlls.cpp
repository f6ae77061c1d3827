// A standard exception thrown inside a DLL reaches its host as its own type,
// with its message, and by its base classes: the two share the exception
// model and the runtime that frees the exception object.
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>

namespace QuilletProbe {
__declspec(dllimport) void Throw(int kind);
}

int main()
{
    int failures = 0;
    try {
        QuilletProbe::Throw(0);
        std::printf("FAIL: nothing was thrown\n");
        ++failures;
    } catch (const std::invalid_argument& error) {
        const bool message = std::string(error.what()) == "thrown inside windows_throwing_probe.dll";
        std::printf("%s: std::invalid_argument caught as itself, message \"%s\"\n", message ? "ok" : "FAIL",
                    error.what());
        failures += message ? 0 : 1;
    } catch (...) {
        std::printf("FAIL: not caught as std::invalid_argument\n");
        ++failures;
    }
    try {
        QuilletProbe::Throw(1);
        std::printf("FAIL: nothing was thrown\n");
        ++failures;
    } catch (const std::exception& error) {
        const bool allocation = dynamic_cast<const std::bad_alloc*>(&error) != nullptr;
        std::printf("%s: std::bad_alloc caught by its base std::exception\n", allocation ? "ok" : "FAIL");
        failures += allocation ? 0 : 1;
    } catch (...) {
        std::printf("FAIL: not caught as std::exception\n");
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
