#include "operations.h"

#include <unistd.h>

#include <memory>

#include "diagnostic_progress.h"
#include "raw_data_files.h"
#include "record_json.h"
#include "result_tables.h"
#include "terminal.h"

namespace Quillet::Cli {
namespace {

const int kPrettyIndent = 2;
// Piped output is not cut: whoever reads it gets every character.
const size_t kUnlimitedWidth = 100000;

// Chooses between the JSON document and the tables of one result.
class ResultPrinter {
public:
    ResultPrinter(const ModuleSession& session, const ToolOptions& options, std::ostream& out)
        : m_json_(options.json), m_out_(out)
    {
        m_context_.target = session.Target();
        m_context_.width = IsTerminal(STDOUT_FILENO) ? TerminalColumns(STDOUT_FILENO, 80) : kUnlimitedWidth;
    }

    template <typename MakeDocument, typename MakeText>
    void Print(MakeDocument makeDocument, MakeText makeText)
    {
        if (m_json_) {
            m_out_ << ToJsonText(makeDocument(), kPrettyIndent) << "\n";
        } else {
            m_out_ << makeText(m_context_);
        }
        m_out_.flush();
    }

private:
    bool m_json_;
    std::ostream& m_out_;
    TableContext m_context_;
};

int Inventory(Quillet::Mellanox::Mellanox& module, ResultPrinter& printer)
{
    Quillet::Mellanox::StructuredInfo_ info;
    const int status = module.GetStructuredInfo(info);
    printer.Print([&] { return InventoryDocument(status, info); },
                  [&](const TableContext& context) { return InventoryText(context, status, info); });
    return status;
}

int Identities(Quillet::Mellanox::Mellanox& module, ResultPrinter& printer)
{
    std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
    const int status = module.GetSoftwareIdentities(identities);
    printer.Print([&] { return IdentitiesDocument(status, identities); },
                  [&](const TableContext& context) { return IdentitiesText(context, status, identities); });
    return status;
}

int DiagnosticList(Quillet::Mellanox::Mellanox& module, ResultPrinter& printer)
{
    std::vector<std::string> names;
    const int status = module.GetDiagItems(names);
    printer.Print([&] { return DiagnosticNamesDocument(status, names); },
                  [&](const TableContext& context) { return DiagnosticNamesText(context, status, names); });
    return status;
}

// The module runs only diagnostics that its own latest listing found, so a
// run lists first, as the framework does.
int DiagnosticRun(Quillet::Mellanox::Mellanox& module, const ToolOptions& options, LogForwarding& log,
                  ResultPrinter& printer)
{
    // The framework's record leaves the result unset; a refused run prints it.
    Quillet::QuilletIHV::DiagnosticRecord_ record{};
    int status = 0;
    {
        std::unique_ptr<DiagnosticProgress> progress;
        if (IsTerminal(STDERR_FILENO)) {
            progress = std::make_unique<DiagnosticProgress>(options.diagnosticName, log);
        }
        std::vector<std::string> names;
        status = module.GetDiagItems(names);
        if (status != 4) {
            status = module.RunDiagnostic(options.diagnosticName, record);
        }
    }
    printer.Print([&] { return DiagnosticRunDocument(status, options.diagnosticName, record); },
                  [&](const TableContext& context) {
                      return DiagnosticRunText(context, status, options.diagnosticName, record);
                  });
    return status;
}

int RawData(ModuleSession& session, const ToolOptions& options, ResultPrinter& printer)
{
    std::vector<Quillet::QuilletIHV::RawData_> records;
    const int status = session.Module().GetRawData(records, session.RawDataRoot(options));
    if (!options.outDirectory.empty()) {
        WriteRawDataFiles(records, options.outDirectory);
    }
    printer.Print([&] { return RawDataDocument(status, records); },
                  [&](const TableContext& context) {
                      return RawDataText(context, status, records, options.outDirectory);
                  });
    return status;
}

}  // namespace

int RunOperation(ModuleSession& session, const ToolOptions& options, LogForwarding& log, std::ostream& out)
{
    ResultPrinter printer(session, options, out);
    switch (options.operation) {
    case Operation::Inventory:
        return Inventory(session.Module(), printer);
    case Operation::Identities:
        return Identities(session.Module(), printer);
    case Operation::DiagList:
        return DiagnosticList(session.Module(), printer);
    case Operation::DiagRun:
        return DiagnosticRun(session.Module(), options, log, printer);
    case Operation::RawData:
        return RawData(session, options, printer);
    }
    return 1;
}

}  // namespace Quillet::Cli
