// std::exception and the allocation failures as the toolset's
// vcruntime_exception.h declares them, written from the public interface:
// the message is copied and freed by vcruntime140.dll.
#pragma once
#include <eh.h>

#pragma pack(push, _CRT_PACKING)
extern "C" {
struct __std_exception_data {
    const char* _What;
    bool _DoFree;
};
__declspec(dllimport) void __cdecl __std_exception_copy(const __std_exception_data* from, __std_exception_data* to);
__declspec(dllimport) void __cdecl __std_exception_destroy(__std_exception_data* data);
}

extern "C++" {
namespace std {
class exception {
public:
    exception() noexcept : _Data() {}
    explicit exception(const char* const message) noexcept : _Data() {
        __std_exception_data init = {message, true};
        __std_exception_copy(&init, &_Data);
    }
    exception(const char* const message, int) noexcept : _Data() { _Data._What = message; }
    exception(const exception& other) noexcept : _Data() { __std_exception_copy(&other._Data, &_Data); }
    exception& operator=(const exception& other) noexcept {
        if (this == &other) {
            return *this;
        }
        __std_exception_destroy(&_Data);
        __std_exception_copy(&other._Data, &_Data);
        return *this;
    }
    virtual ~exception() noexcept { __std_exception_destroy(&_Data); }
    [[nodiscard]] virtual const char* what() const { return _Data._What ? _Data._What : "Unknown exception"; }

private:
    __std_exception_data _Data;
};

class bad_exception : public exception {
public:
    bad_exception() noexcept : exception("bad exception", 1) {}
};

class bad_alloc : public exception {
public:
    bad_alloc() noexcept : exception("bad allocation", 1) {}

private:
    friend class bad_array_new_length;
    bad_alloc(const char* const message) noexcept : exception(message, 1) {}
};

class bad_array_new_length : public bad_alloc {
public:
    bad_array_new_length() noexcept : bad_alloc("bad array new length") {}
};
} // namespace std
}
#pragma pack(pop)
