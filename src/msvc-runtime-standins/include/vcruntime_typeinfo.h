// std::type_info as the toolset's vcruntime_typeinfo.h declares it, written
// from the public interface: the comparison, hash and name live in vcruntime140.dll.
#pragma once
#include <vcruntime_exception.h>

#pragma pack(push, _CRT_PACKING)
extern "C" {
struct __std_type_info_data {
    const char* _UndecoratedName;
    const char _DecoratedName[1];
    __std_type_info_data() = delete;
    __std_type_info_data(const __std_type_info_data&) = delete;
    __std_type_info_data& operator=(const __std_type_info_data&) = delete;
};
__declspec(dllimport) int __cdecl __std_type_info_compare(const __std_type_info_data* left,
                                                          const __std_type_info_data* right);
__declspec(dllimport) size_t __cdecl __std_type_info_hash(const __std_type_info_data* data);
__declspec(dllimport) const char* __cdecl __std_type_info_name(__std_type_info_data* data,
                                                               struct __type_info_node* root_node);
}

extern "C++" {
extern "C" struct __type_info_node __type_info_root_node;

class type_info {
public:
    type_info(const type_info&) = delete;
    type_info& operator=(const type_info&) = delete;

    size_t hash_code() const noexcept { return __std_type_info_hash(&_Data); }
    bool operator==(const type_info& other) const noexcept {
        return __std_type_info_compare(&_Data, &other._Data) == 0;
    }
    bool operator!=(const type_info& other) const noexcept { return !(*this == other); }
    bool before(const type_info& other) const noexcept { return __std_type_info_compare(&_Data, &other._Data) < 0; }
    const char* name() const noexcept { return __std_type_info_name(&_Data, &__type_info_root_node); }
    const char* raw_name() const noexcept { return _Data._DecoratedName; }
    virtual ~type_info() noexcept;

private:
    mutable __std_type_info_data _Data;
};

namespace std {
using ::type_info;

class bad_cast : public exception {
public:
    bad_cast() noexcept : exception("bad cast", 1) {}
    static bad_cast __construct_from_string_literal(const char* const message) noexcept {
        return bad_cast(message, 1);
    }

private:
    bad_cast(const char* const message, int) noexcept : exception(message, 1) {}
};

class bad_typeid : public exception {
public:
    bad_typeid() noexcept : exception("bad typeid", 1) {}
    static bad_typeid __construct_from_string_literal(const char* const message) noexcept {
        return bad_typeid(message, 1);
    }

private:
    bad_typeid(const char* const message, int) noexcept : exception(message, 1) {}
};
}
}
#pragma pack(pop)
