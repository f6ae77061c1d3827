// Symbols that Microsoft's compiler refers to on its own and that the
// static part of its runtime defines.
#include <vcruntime_typeinfo.h>

extern "C" {
// Referenced by every object that uses floating point.
int _fltused = 0x9875;
// The list of undecorated type names that type_info::name builds.
struct __type_info_node {
    void* first;
};
__type_info_node __type_info_root_node = {nullptr};
}

type_info::~type_info() noexcept {}

// type_info's virtual table: the compiler's RTTI descriptors name it, but no
// translation unit ever constructs a type_info to emit it. Its one slot is
// the scalar deleting destructor, which the runtime never calls for these
// static objects.
extern "C" {
void* __cdecl quillet_type_info_deleting_destructor(type_info*, unsigned int) {
    return nullptr;
}
// Named by its decorated name, so that the library's symbol index offers it.
extern const void* const quillet_type_info_vftable[] __asm__("??_7type_info@@6B@") = {
    reinterpret_cast<const void*>(&quillet_type_info_deleting_destructor)};
}
