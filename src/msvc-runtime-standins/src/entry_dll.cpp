// A DLL's entry point: the security cookie and static objects on load, the
// module's atexit list on unload, and the DLL's own DllMain (if it has one) between.
#include "crt_sections.h"

extern "C" {
int __stdcall DllMain(void* instance, unsigned long reason, void* reserved);
int __stdcall quillet_default_dll_main(void*, unsigned long, void*) {
    return 1;
}
}
#pragma comment(linker, "/alternatename:DllMain=quillet_default_dll_main")

namespace {
constexpr unsigned long process_detach = 0;
constexpr unsigned long process_attach = 1;
}

extern "C" int __stdcall _DllMainCRTStartup(void* instance, unsigned long reason, void* reserved) {
    if (reason == process_attach) {
        __security_init_cookie();
        if (!quillet_msvc_runtime::RunInitialisers()) {
            return 0;
        }
    }
    const int result = DllMain(instance, reason, reserved);
    if (reason == process_detach || (reason == process_attach && !result)) {
        quillet_msvc_runtime::RunExitList();
    }
    return result;
}
