// Section bounds of this module's initialiser lists and its own atexit list:
// as with Microsoft's runtime, a DLL's static objects are destroyed when the
// DLL is unloaded, not when the process ends.
#include "crt_sections.h"

#pragma section(".CRT$XIA", long, read)
#pragma section(".CRT$XIZ", long, read)
#pragma section(".CRT$XCA", long, read)
#pragma section(".CRT$XCZ", long, read)
extern "C" {
__declspec(allocate(".CRT$XIA")) quillet_pifv __xi_a[] = {nullptr};
__declspec(allocate(".CRT$XIZ")) quillet_pifv __xi_z[] = {nullptr};
__declspec(allocate(".CRT$XCA")) quillet_pvfv __xc_a[] = {nullptr};
__declspec(allocate(".CRT$XCZ")) quillet_pvfv __xc_z[] = {nullptr};
}
#pragma comment(linker, "/merge:.CRT=.rdata")

namespace {
quillet_onexit_table module_exit_list = {nullptr, nullptr, nullptr};
}

// The compiler registers the destructors of static objects here.
extern "C" int __cdecl atexit(quillet_pvfv function) {
    return _register_onexit_function(&module_exit_list, reinterpret_cast<int(__cdecl*)(void)>(function)) == 0 ? 0
                                                                                                             : -1;
}

namespace quillet_msvc_runtime {
bool RunInitialisers() {
    _initialize_onexit_table(&module_exit_list);
    if (_initterm_e(__xi_a, __xi_z) != 0) {
        return false;
    }
    _initterm(__xc_a, __xc_z);
    return true;
}

void RunExitList() {
    _execute_onexit_table(&module_exit_list);
}
} // namespace quillet_msvc_runtime
