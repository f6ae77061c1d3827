// A console program's entry point: arguments and environment from the
// Universal CRT, this module's initialisers, main, and exit, which runs the
// process's atexit list (this module's list is one entry of it).
#include "crt_sections.h"

extern "C" {
__declspec(dllimport) void __cdecl _set_app_type(int type);
__declspec(dllimport) int __cdecl _configure_narrow_argv(int mode);
__declspec(dllimport) int __cdecl _initialize_narrow_environment(void);
__declspec(dllimport) int* __cdecl __p___argc(void);
__declspec(dllimport) char*** __cdecl __p___argv(void);
__declspec(dllimport) char** __cdecl _get_initial_narrow_environment(void);
__declspec(dllimport) int __cdecl _crt_atexit(quillet_pvfv function);
__declspec(dllimport) __declspec(noreturn) void __cdecl exit(int status);
int __cdecl main(int argc, char** argv, char** environment);
}

namespace {
constexpr int console_app = 1;
constexpr int unexpanded_arguments = 1;

void __cdecl RunModuleExitList() {
    quillet_msvc_runtime::RunExitList();
}
} // namespace

extern "C" int mainCRTStartup() {
    __security_init_cookie();
    _set_app_type(console_app);
    _configure_narrow_argv(unexpanded_arguments);
    _initialize_narrow_environment();
    _crt_atexit(RunModuleExitList);
    if (!quillet_msvc_runtime::RunInitialisers()) {
        exit(255);
    }
    exit(main(*__p___argc(), *__p___argv(), _get_initial_narrow_environment()));
}
