#include "operations.h"

#include <unistd.h>

#include <memory>
#include <optional>

#include "diagnostic_progress.h"
#include "display_values.h"
#include "failure_reason.h"
#include "raw_data_files.h"
#include "record_json.h"
#include "result_tables.h"
#include "terminal.h"
#include "tool_error.h"

namespace Quillet::Cli {
namespace {

const int kPrettyIndent = 2;
const char kToolPrefix[] = "quillet-mellanox: ";

// Chooses between the JSON document and the tables of one result, and adds
// the reason to the result of an out-of-band operation that failed.
class ResultPrinter {
public:
    ResultPrinter(ModuleSession& session, LogForwarding& log, const ToolOptions& options, std::ostream& out)
        : m_session_(session), m_log_(log), m_json_(options.json), m_out_(out)
    {
        m_context_.target = session.Target();
        m_context_.width = OutputColumns(STDOUT_FILENO);
    }

    template <typename MakeDocument, typename MakeText>
    void Print(int status, MakeDocument makeDocument, MakeText makeText)
    {
        std::optional<HostFailure> failure = m_session_.Failure();
        if (!failure && status != 0 && status != 4 && m_session_.OutOfBand()) {
            failure = ReasonOfFailedOperation(status, m_session_.CheckedCimError(),
                                              m_log_.TakeFirstErrorOfThisThread());
        }
        if (m_json_) {
            nlohmann::ordered_json document = makeDocument();
            if (failure) {
                document["error"] = FailureDocument(*failure);
            }
            m_out_ << ToJsonText(document, kPrettyIndent) << "\n";
        } else if (m_session_.Failure()) {
            // Nothing was asked of the module: no tables to show.
            WriteErrorLine(kToolPrefix + m_context_.target + ": " + FailureText(*failure));
        } else {
            m_context_.failure = failure ? FailureText(*failure) : std::string();
            m_out_ << makeText(m_context_);
        }
        m_out_.flush();
    }

private:
    ModuleSession& m_session_;
    LogForwarding& m_log_;
    bool m_json_;
    std::ostream& m_out_;
    TableContext m_context_;
};

const int kNotRun = 1;
const int32_t kDiagnosticOk = 2;

int Inventory(ModuleSession& session, ResultPrinter& printer)
{
    Quillet::Mellanox::StructuredInfo_ info;
    const int status = session.Failure() ? kNotRun : session.Module().GetStructuredInfo(info);
    printer.Print(status, [&] { return InventoryDocument(status, info); },
                  [&](const TableContext& context) { return InventoryText(context, status, info); });
    return status;
}

int Identities(ModuleSession& session, ResultPrinter& printer)
{
    std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
    const int status = session.Failure() ? kNotRun : session.Module().GetSoftwareIdentities(identities);
    printer.Print(status, [&] { return IdentitiesDocument(status, identities); },
                  [&](const TableContext& context) { return IdentitiesText(context, status, identities); });
    return status;
}

int DiagnosticList(ModuleSession& session, ResultPrinter& printer)
{
    std::vector<std::string> names;
    const int status = session.Failure() ? kNotRun : session.Module().GetDiagItems(names);
    printer.Print(status, [&] { return DiagnosticNamesDocument(status, names); },
                  [&](const TableContext& context) { return DiagnosticNamesText(context, status, names); });
    return status;
}

// The status, unless the diagnostic did not run to an OK result: then the
// reason goes to stderr and the exit code says which case it is.
int DiagnosticRunExitCode(int status, int listStatus, const std::string& name,
                          const Quillet::QuilletIHV::DiagnosticRecord_& record)
{
    if (listStatus == 0 && record.result == 0) {
        WriteErrorLine(kToolPrefix + std::string("no diagnostic matches '") + name +
                       "'; 'quillet-mellanox diag list' shows the names this server offers");
        return static_cast<int>(ToolExit::NoSuchDiagnostic);
    }
    if (status == 0 && record.result != kDiagnosticOk) {
        WriteErrorLine(kToolPrefix + std::string("diagnostic '") + name + "' ended with result " +
                       std::to_string(record.result) + " (" + DiagnosticResultMeaning(record.result) +
                       "), completion state '" + record.completion_state + "'" +
                       (record.detail_1.empty() ? std::string() : ": " + record.detail_1));
        return static_cast<int>(ToolExit::DiagnosticNotOk);
    }
    return status;
}

// The module runs only diagnostics that its own latest listing found, so a
// run lists first, as the framework does.
int DiagnosticRun(ModuleSession& session, const ToolOptions& options, LogForwarding& log,
                  ResultPrinter& printer)
{
    // The framework's record leaves the result unset; a refused run prints it.
    Quillet::QuilletIHV::DiagnosticRecord_ record{};
    int status = kNotRun;
    int listStatus = kNotRun;
    if (!session.Failure()) {
        Quillet::Mellanox::Mellanox& module = session.Module();
        std::unique_ptr<DiagnosticProgress> progress;
        if (IsTerminal(STDERR_FILENO)) {
            progress = std::make_unique<DiagnosticProgress>(options.diagnosticName, log);
        }
        std::vector<std::string> names;
        status = listStatus = module.GetDiagItems(names);
        if (status != 4) {
            status = module.RunDiagnostic(options.diagnosticName, record);
        }
    }
    printer.Print(status, [&] { return DiagnosticRunDocument(status, options.diagnosticName, record); },
                  [&](const TableContext& context) {
                      return DiagnosticRunText(context, status, options.diagnosticName, record);
                  });
    return DiagnosticRunExitCode(status, listStatus, options.diagnosticName, record);
}

int RawData(ModuleSession& session, const ToolOptions& options, ResultPrinter& printer)
{
    std::vector<Quillet::QuilletIHV::RawData_> records;
    const int status =
        session.Failure() ? kNotRun : session.Module().GetRawData(records, session.RawDataRoot(options));
    if (!options.outDirectory.empty()) {
        WriteRawDataFiles(records, options.outDirectory);
    }
    printer.Print(status, [&] { return RawDataDocument(status, records); },
                  [&](const TableContext& context) {
                      return RawDataText(context, status, records, options.outDirectory);
                  });
    return status;
}

}  // namespace

int RunOperation(ModuleSession& session, const ToolOptions& options, LogForwarding& log, std::ostream& out)
{
    ResultPrinter printer(session, log, options, out);
    switch (options.operation) {
    case Operation::Inventory:
        return Inventory(session, printer);
    case Operation::Identities:
        return Identities(session, printer);
    case Operation::DiagList:
        return DiagnosticList(session, printer);
    case Operation::DiagRun:
        return DiagnosticRun(session, options, log, printer);
    case Operation::RawData:
        return RawData(session, options, printer);
    case Operation::Metrics:
        break;  // RunMetrics: it builds its own module objects
    }
    return 1;
}

}  // namespace Quillet::Cli
