// operator new and delete in all their forms, over the Universal CRT's heap,
// which every module of the process shares.
#include <vcruntime_new.h>
#include <vcruntime_exception.h>

extern "C" {
__declspec(dllimport) void* __cdecl malloc(size_t size);
__declspec(dllimport) void __cdecl free(void* block);
__declspec(dllimport) void* __cdecl _aligned_malloc(size_t size, size_t alignment);
__declspec(dllimport) void __cdecl _aligned_free(void* block);
__declspec(dllimport) int __cdecl _callnewh(size_t size);
}

const std::nothrow_t std::nothrow{};

namespace {
// Retries while a new-handler frees memory, as the standard asks.
template <class Allocate>
void* AllocateOrThrow(size_t size, Allocate allocate) {
    for (;;) {
        if (void* block = allocate(size == 0 ? 1 : size)) {
            return block;
        }
        if (_callnewh(size) == 0) {
            throw std::bad_alloc();
        }
    }
}

void* AllocatePlain(size_t size) {
    return AllocateOrThrow(size, [](size_t bytes) { return malloc(bytes); });
}

void* AllocateAligned(size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, [alignment](size_t bytes) { return _aligned_malloc(bytes, static_cast<size_t>(alignment)); });
}
} // namespace

void* __cdecl operator new(size_t size) { return AllocatePlain(size); }
void* __cdecl operator new[](size_t size) { return AllocatePlain(size); }
void* __cdecl operator new(size_t size, std::align_val_t alignment) { return AllocateAligned(size, alignment); }
void* __cdecl operator new[](size_t size, std::align_val_t alignment) { return AllocateAligned(size, alignment); }

void* __cdecl operator new(size_t size, std::nothrow_t const&) noexcept {
    try {
        return AllocatePlain(size);
    } catch (...) {
        return nullptr;
    }
}
void* __cdecl operator new[](size_t size, std::nothrow_t const& tag) noexcept { return operator new(size, tag); }
void* __cdecl operator new(size_t size, std::align_val_t alignment, std::nothrow_t const&) noexcept {
    try {
        return AllocateAligned(size, alignment);
    } catch (...) {
        return nullptr;
    }
}
void* __cdecl operator new[](size_t size, std::align_val_t alignment, std::nothrow_t const& tag) noexcept {
    return operator new(size, alignment, tag);
}

void __cdecl operator delete(void* block) noexcept { free(block); }
void __cdecl operator delete[](void* block) noexcept { free(block); }
void __cdecl operator delete(void* block, std::nothrow_t const&) noexcept { free(block); }
void __cdecl operator delete[](void* block, std::nothrow_t const&) noexcept { free(block); }
void __cdecl operator delete(void* block, size_t) noexcept { free(block); }
void __cdecl operator delete[](void* block, size_t) noexcept { free(block); }
void __cdecl operator delete(void* block, std::align_val_t) noexcept { _aligned_free(block); }
void __cdecl operator delete[](void* block, std::align_val_t) noexcept { _aligned_free(block); }
void __cdecl operator delete(void* block, std::align_val_t, std::nothrow_t const&) noexcept { _aligned_free(block); }
void __cdecl operator delete[](void* block, std::align_val_t, std::nothrow_t const&) noexcept { _aligned_free(block); }
void __cdecl operator delete(void* block, size_t, std::align_val_t) noexcept { _aligned_free(block); }
void __cdecl operator delete[](void* block, size_t, std::align_val_t) noexcept { _aligned_free(block); }
