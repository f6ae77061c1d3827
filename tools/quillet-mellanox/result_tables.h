#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "quillet_ihv.h"
#include "software_identity.h"
#include "structured_info.h"

namespace Quillet::Cli {

// Human-readable forms of each operation's result, for an administrator at a
// terminal. `target` says what the module talked to; `width` is the number
// of columns to fit (descriptive cells are cut, then such columns left out).
// A failed operation that read nothing shows no empty tables.
struct TableContext {
    std::string target;
    size_t width = 0;
    std::string failure;  // why a failed out-of-band operation failed, if known
};

std::string InventoryText(const TableContext& context, int status, const Quillet::Mellanox::StructuredInfo_& info);
std::string IdentitiesText(const TableContext& context, int status,
                           const std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities);
std::string DiagnosticNamesText(const TableContext& context, int status, const std::vector<std::string>& names);
std::string DiagnosticRunText(const TableContext& context, int status, const std::string& name,
                              const Quillet::QuilletIHV::DiagnosticRecord_& record);
// With an output directory the contents are not repeated on screen.
std::string RawDataText(const TableContext& context, int status,
                        const std::vector<Quillet::QuilletIHV::RawData_>& records, const std::string& outDirectory);

// "Status N: meaning" as the last line of every result.
std::string StatusLine(int status);

}  // namespace Quillet::Cli
