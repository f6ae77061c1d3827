// The per-module start-up and shutdown lists that Microsoft's compiler fills
// (dynamic initialisers in .CRT$XC*, C initialisers in .CRT$XI*) and the
// Universal CRT functions that walk them; shared by the two entry points.
#pragma once

extern "C" {
typedef void(__cdecl* quillet_pvfv)(void);
typedef int(__cdecl* quillet_pifv)(void);
struct quillet_onexit_table {
    quillet_pvfv* first;
    quillet_pvfv* last;
    quillet_pvfv* end;
};
__declspec(dllimport) void __cdecl _initterm(quillet_pvfv* first, quillet_pvfv* last);
__declspec(dllimport) int __cdecl _initterm_e(quillet_pifv* first, quillet_pifv* last);
__declspec(dllimport) int __cdecl _initialize_onexit_table(quillet_onexit_table* table);
__declspec(dllimport) int __cdecl _register_onexit_function(quillet_onexit_table* table, int(__cdecl* function)(void));
__declspec(dllimport) int __cdecl _execute_onexit_table(quillet_onexit_table* table);
void __cdecl __security_init_cookie(void);
}

namespace quillet_msvc_runtime {
// Runs this module's C and C++ initialisers; false when one of the C ones failed.
bool RunInitialisers();
// Runs what this module registered with atexit, last first.
void RunExitList();
} // namespace quillet_msvc_runtime
