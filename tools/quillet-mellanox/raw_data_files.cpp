#include "raw_data_files.h"

#include <cctype>

#include "trusted_files.h"

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
    const TrustedFolder folder(directory, true);
    for (const auto& record : records) {
        // Service data: for root's eyes only.
        folder.WriteFile(SafeFileName(record.name), record.content, 0600);
    }
}

}  // namespace Quillet::Cli
