// The __std_fs_* functions behind std::filesystem that the STL's headers
// expect from the static library (the STL's own filesystem.cpp needs
// Microsoft's internal headers): what directory iteration, status queries,
// path conversion, creating, copying and removing use, over the Win32 file API.
#include <xfilesystem_abi.h>

#include <windows.h>

namespace {
__std_win_error LastError() {
    return static_cast<__std_win_error>(GetLastError());
}

void CopyFindData(const WIN32_FIND_DATAW& found, __std_fs_find_data* results) {
    static_assert(sizeof(WIN32_FIND_DATAW) == sizeof(__std_fs_find_data), "the STL mirrors WIN32_FIND_DATAW");
    memcpy(results, &found, sizeof(found));
}

long long FileTimeValue(const FILETIME& time) {
    return static_cast<long long>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

__std_fs_convert_result Converted(int length) {
    return {length, length == 0 ? LastError() : __std_win_error::_Success};
}
} // namespace

extern "C" {
__std_win_error __stdcall __std_fs_directory_iterator_open(const wchar_t* path_spec, __std_fs_dir_handle* handle,
                                                           __std_fs_find_data* results) noexcept {
    __std_fs_directory_iterator_close(*handle);
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW(path_spec, FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        *handle = __std_fs_dir_handle::_Invalid;
        return LastError();
    }
    *handle = static_cast<__std_fs_dir_handle>(reinterpret_cast<intptr_t>(search));
    CopyFindData(found, results);
    return __std_win_error::_Success;
}

void __stdcall __std_fs_directory_iterator_close(__std_fs_dir_handle handle) noexcept {
    if (handle != __std_fs_dir_handle::_Invalid) {
        FindClose(reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)));
    }
}

__std_win_error __stdcall __std_fs_directory_iterator_advance(__std_fs_dir_handle handle,
                                                              __std_fs_find_data* results) noexcept {
    WIN32_FIND_DATAW found;
    if (!FindNextFileW(reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)), &found)) {
        return LastError();
    }
    CopyFindData(found, results);
    return __std_win_error::_Success;
}

__std_win_error __stdcall __std_fs_get_stats(const wchar_t* path, __std_fs_stats* stats, __std_fs_stats_flags flags,
                                             __std_fs_file_attr) noexcept {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) {
        return LastError();
    }
    stats->_Attributes = static_cast<__std_fs_file_attr>(data.dwFileAttributes);
    stats->_Reparse_point_tag = __std_fs_reparse_tag::_None;
    stats->_File_size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stats->_Last_write_time = FileTimeValue(data.ftLastWriteTime);
    stats->_Link_count = 1;
    stats->_Available = static_cast<__std_fs_stats_flags>(static_cast<unsigned long>(flags) &
                                                          ~static_cast<unsigned long>(__std_fs_stats_flags::_Follow_symlinks));
    return __std_win_error::_Success;
}

__std_code_page __stdcall __std_fs_code_page() noexcept {
    return static_cast<__std_code_page>(AreFileApisANSI() ? GetACP() : GetOEMCP());
}

__std_fs_convert_result __stdcall __std_fs_convert_narrow_to_wide(__std_code_page code_page, const char* input,
                                                                  int input_length, wchar_t* output,
                                                                  int output_length) noexcept {
    if (input_length == 0) {
        return {0, __std_win_error::_Success};
    }
    return Converted(MultiByteToWideChar(static_cast<UINT>(code_page), MB_ERR_INVALID_CHARS, input, input_length,
                                         output, output_length));
}

__std_fs_convert_result __stdcall __std_fs_convert_wide_to_narrow(__std_code_page code_page, const wchar_t* input,
                                                                  int input_length, char* output,
                                                                  int output_length) noexcept {
    if (input_length == 0) {
        return {0, __std_win_error::_Success};
    }
    const DWORD strict = code_page == __std_code_page::_Utf8 ? WC_ERR_INVALID_CHARS : 0;
    return Converted(WideCharToMultiByte(static_cast<UINT>(code_page), strict, input, input_length, output,
                                         output_length, nullptr, nullptr));
}

__std_fs_convert_result __stdcall __std_fs_convert_wide_to_narrow_replace_chars(__std_code_page code_page,
                                                                                const wchar_t* input, int input_length,
                                                                                char* output, int output_length) noexcept {
    if (input_length == 0) {
        return {0, __std_win_error::_Success};
    }
    return Converted(WideCharToMultiByte(static_cast<UINT>(code_page), 0, input, input_length, output, output_length,
                                         nullptr, nullptr));
}

__std_ulong_and_error __stdcall __std_fs_get_temp_path(wchar_t* target) noexcept {
    const DWORD length = GetTempPathW(static_cast<DWORD>(__std_fs_temp_path_max), target);
    return {length, length == 0 ? LastError() : __std_win_error::_Success};
}

__std_fs_create_directory_result __stdcall __std_fs_create_directory(const wchar_t* new_directory) noexcept {
    if (CreateDirectoryW(new_directory, nullptr)) {
        return {true, __std_win_error::_Success};
    }
    const __std_win_error error = LastError();
    if (error == __std_win_error::_Already_exists) {
        // Not an error when a directory is there already; the caller checks that it is one.
        const DWORD attributes = GetFileAttributesW(new_directory);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return {false, __std_win_error::_Success};
        }
    }
    return {false, error};
}

__std_fs_remove_result __stdcall __std_fs_remove(const wchar_t* target) noexcept {
    const DWORD attributes = GetFileAttributesW(target);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const __std_win_error error = LastError();
        return {false, __std_is_file_not_found(error) ? __std_win_error::_Success : error};
    }
    const bool removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? RemoveDirectoryW(target) : DeleteFileW(target);
    return {removed, removed ? __std_win_error::_Success : LastError()};
}

__std_fs_copy_file_result __stdcall __std_fs_copy_file(const wchar_t* source, const wchar_t* target,
                                                       __std_fs_copy_options options) noexcept {
    const auto existing = static_cast<int>(options) & static_cast<int>(__std_fs_copy_options::_Existing_mask);
    const BOOL fail_if_exists = existing != static_cast<int>(__std_fs_copy_options::_Overwrite_existing);
    if (CopyFileW(source, target, fail_if_exists)) {
        return {true, __std_win_error::_Success};
    }
    const __std_win_error error = LastError();
    if (existing == static_cast<int>(__std_fs_copy_options::_Skip_existing) &&
        (error == __std_win_error::_File_exists || error == __std_win_error::_Already_exists)) {
        return {false, __std_win_error::_Success};
    }
    return {false, error};
}
}
