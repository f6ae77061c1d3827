// The TLS directory that the loader reads to give each thread this module's
// __declspec(thread) variables (the thread-safe statics' epoch is one).
#include <stdint.h>

extern "C" {
#pragma section(".tls", long, read, write)
#pragma section(".tls$ZZZ", long, read, write)
#pragma section(".CRT$XLA", long, read)
#pragma section(".CRT$XLZ", long, read)
__declspec(allocate(".tls")) char _tls_start = 0;
__declspec(allocate(".tls$ZZZ")) char _tls_end = 0;
typedef void(__stdcall* quillet_tls_callback)(void*, unsigned long, void*);
__declspec(allocate(".CRT$XLA")) quillet_tls_callback __xl_a = nullptr;
__declspec(allocate(".CRT$XLZ")) quillet_tls_callback __xl_z = nullptr;
unsigned long _tls_index = 0;

struct quillet_tls_directory {
    uint64_t start_of_raw_data;
    uint64_t end_of_raw_data;
    uint64_t address_of_index;
    uint64_t address_of_callbacks;
    uint32_t size_of_zero_fill;
    uint32_t characteristics;
};
// The linker points the image's TLS entry at this name.
extern const quillet_tls_directory _tls_used = {reinterpret_cast<uint64_t>(&_tls_start),
                                                reinterpret_cast<uint64_t>(&_tls_end),
                                                reinterpret_cast<uint64_t>(&_tls_index),
                                                reinterpret_cast<uint64_t>(&__xl_a + 1), 0, 0};
}
