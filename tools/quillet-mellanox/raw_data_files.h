#pragma once
#include <string>
#include <vector>

#include "quillet_ihv.h"

namespace Quillet::Cli {

// Writes each record's content to `directory`/<record name> (mode 0600),
// creating the directory when needed; the directory must be one the tool
// trusts (see TrustedFolder). Characters other than letters, digits, '.',
// '-' and '_' in a name become '_'. Throws ToolError(CannotWrite) naming the
// path and the reason.
void WriteRawDataFiles(const std::vector<Quillet::QuilletIHV::RawData_>& records, const std::string& directory);

}  // namespace Quillet::Cli
