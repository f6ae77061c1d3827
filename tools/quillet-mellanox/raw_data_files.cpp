#include "raw_data_files.h"

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "tool_error.h"

namespace Quillet::Cli {
namespace {

std::string SafeFileName(const std::string& name)
{
    std::string safe = name;
    for (char& c : safe) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') {
            c = '_';
        }
    }
    if (safe.empty() || safe == "." || safe == "..") {
        safe = "unnamed" + safe;
    }
    return safe;
}

}  // namespace

void WriteRawDataFiles(const std::vector<Quillet::QuilletIHV::RawData_>& records, const std::string& directory)
{
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
        throw ToolError(ToolExit::CannotWrite,
                        "cannot create the output directory '" + directory + "': " + error.message());
    }
    for (const auto& record : records) {
        const std::filesystem::path path = std::filesystem::path(directory) / SafeFileName(record.name);
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << record.content;
        file.close();
        if (!file) {
            throw ToolError(ToolExit::CannotWrite, SystemErrorText("cannot write '" + path.string() + "'", errno));
        }
    }
}

}  // namespace Quillet::Cli
