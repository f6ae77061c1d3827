// The platform layer on Linux: file tests and the module's own file.
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "opn_logging.h"
#include "osspecific.h"
#include "osspecific_text.h"

namespace Quillet {
namespace OsSpecific {
namespace {

// A constant of this module: the loaded object that holds it is the module.
const char kSelfModuleMarker[] = "quillet osspecific";

// Base address of the main program, or null when it cannot be told.
void* MainProgramBase()
{
    void* program = ::dlopen(nullptr, RTLD_NOW);
    if (program == nullptr) {
        return nullptr;
    }
    void* base = nullptr;
    link_map* map = nullptr;
    Dl_info info{};
    if (::dlinfo(program, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_ld != nullptr &&
        ::dladdr(map->l_ld, &info) != 0) {
        base = info.dli_fbase;
    }
    ::dlclose(program);
    return base;
}

// The program's own file: the loader knows it only by the name it was started
// with, which may be relative to a directory long since left.
std::string MainProgramPath()
{
    std::vector<char> path(4096);
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size()) {
        return std::string();
    }
    return std::string(path.data(), static_cast<size_t>(length));
}

std::string CurrentDirectory()
{
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::current_path(error);
    return error ? std::string() : directory.string();
}

// The working directory while this code was being loaded. A library loaded
// by a relative path (dlopen("./lib.so"), a relative LD_LIBRARY_PATH entry) is
// known to the loader by that path alone, and the host may change directory
// afterwards: the path is resolved against this directory, taken before the
// host could move.
const std::string kDirectoryAtLoad = CurrentDirectory();

std::string AbsoluteFromLoad(const std::string& path)
{
    if (path.empty() || path.front() == '/' || kDirectoryAtLoad.empty()) {
        return path;
    }
    return (std::filesystem::path(kDirectoryAtLoad) / path).lexically_normal().string();
}

std::string ModulePath(ModuleHandle module)
{
    Dl_info info{};
    if (::dladdr(module, &info) == 0 || info.dli_fname == nullptr) {
        return std::string();
    }
    if (info.dli_fbase == MainProgramBase()) {
        const std::string programPath = MainProgramPath();
        if (!programPath.empty()) {
            return programPath;
        }
    }
    return AbsoluteFromLoad(info.dli_fname);
}

}  // namespace

bool FileExists(const std::string& path)
{
    struct stat attributes {};
    if (::stat(path.c_str(), &attributes) != 0) {
        OPN_LOG(4) << "INVALID_FILE_ATTRIBUTES";
        return false;
    }
    if (S_ISDIR(attributes.st_mode)) {
        OPN_LOG(4) << "FILE_ATTRIBUTE_DIRECTORY";
        return false;
    }
    return true;
}

ModuleHandle GetSelfModuleHandle()
{
    Dl_info info{};
    if (::dladdr(kSelfModuleMarker, &info) == 0) {
        return nullptr;
    }
    return info.dli_fbase;
}

std::string GetModuleDirectory(ModuleHandle module)
{
    if (module == nullptr) {
        return std::string();
    }
    return DirectoryOfPath(ModulePath(module), '/');
}

}  // namespace OsSpecific
}  // namespace Quillet
