// The adapter diagnostics of MellanoxCim: the vendor's class names and
// time-outs around the diagnostics engine of CimFunc.
#include "mellanox_cim_inventory.h"

#include <Pegasus/Common/CIMType.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/Exception.h>

#include "opn_logging.h"

namespace Quillet {
namespace Mellanox {
namespace {

const char* const kAvailableDiagnosticClass = "MLNX_AvailableDiagnosticService";
const char* const kCompletionRecordClass = "MLNX_DiagnosticCompletionRecord";
const unsigned int kDiscoveryTimeoutSeconds = 120;
const unsigned int kMethodTimeoutSeconds = 180;
const unsigned int kJobPollTimeoutSeconds = 60;
const int kJobPollAttempts = 10;
const unsigned int kCompletionRecordTimeoutSeconds = 60;

// The job reference that "RunDiagnostic" returned as its first output
// parameter, whatever that parameter is called. False when that value is
// not a single reference: there is then no job to wait for.
bool JobPathFrom(const Pegasus::CIMParamValue& parameter, Pegasus::CIMObjectPath& jobPath)
{
    const Pegasus::CIMValue value = parameter.getValue();
    if (value.isNull() || value.isArray() || value.getType() != Pegasus::CIMTYPE_REFERENCE) {
        OPN_LOG(1) << "The first output parameter of RunDiagnostic, "
                   << (const char*)parameter.getParameterName().getCString()
                   << ", is not a job reference: " << (const char*)value.toString().getCString();
        return false;
    }
    value.get(jobPath);
    return true;
}

}  // namespace

int MellanoxCim::GetDiagnosticItems(std::vector<std::pair<std::string, std::string> >& paths)
{
    Pegasus::CIMClient* client = ConnectedClient();
    if (client == nullptr) {
        return 1;
    }
    const int status = CimFunc::GetDiagnosticItems(client, m_cimfunc_->GetNameSpace(),
                                                   Pegasus::CIMName(kAvailableDiagnosticClass),
                                                   kDiscoveryTimeoutSeconds, paths, m_diag_list_);
    if (status != 0) {
        m_cimfunc_->Reconnect();
    }
    return status;
}

int MellanoxCim::RunDiagnostic(const std::pair<std::string, std::string>& key)
{
    m_diag_result_.clear();
    DiagnosticItem item;
    Pegasus::CIMClient* client = ConnectedClient();
    if (client == nullptr) {
        return 1;
    }
    const Pegasus::CIMNamespaceName& nameSpace = m_cimfunc_->GetNameSpace();
    if (CimFunc::InvokeDiagnostic(client, nameSpace, m_diag_method_, kMethodTimeoutSeconds, key, m_diag_list_,
                                  item) != 0) {
        m_cimfunc_->Reconnect();
        return 1;
    }

    if (item.outParameters.size() > 0) {
        Pegasus::CIMObjectPath jobPath;
        if (!JobPathFrom(item.outParameters[0], jobPath)) {
            // Without a job, no completion record can be told to belong to this run.
            return 1;
        }
        if (CimFunc::PollConcreteJob(client, nameSpace, jobPath, kJobPollTimeoutSeconds, kJobPollAttempts, item,
                                     m_diag_result_) != 0) {
            m_cimfunc_->Reconnect();
            return 1;
        }
    } else {
        // The empty job identifier then accepts the first completion record.
        OPN_LOG(1) << "No Concrete Job returned...";
    }

    const int status = CimFunc::GetCompletionRecord(client, nameSpace, Pegasus::CIMName(kCompletionRecordClass),
                                                    item, kCompletionRecordTimeoutSeconds,
                                                    &MellanoxCim::MatchCompletionRecord, m_diag_result_);
    if (status != 0) {
        m_cimfunc_->Reconnect();
    }
    return status;
}

const PropertyMap& MellanoxCim::GetDiagnosticResult() const
{
    return m_diag_result_;
}

bool MellanoxCim::MatchCompletionRecord(DiagnosticItem& item, const Pegasus::CIMInstance& record)
{
    const Pegasus::Uint32 position = record.findProperty(Pegasus::CIMName("InstanceID"));
    if (position >= record.getPropertyCount()) {
        OPN_LOG(4) << "Error getting properties.";
        return false;
    }
    const std::string instanceId = (const char*)record.getProperty(position).getValue().toString().getCString();
    // A record belongs to the run whose job identifier it carries.
    if (instanceId.find(item.jobInstanceID) == std::string::npos) {
        return false;
    }
    OPN_LOG(4) << "Found matched CIM_DiagnosticCompletionRecord instance.";
    return true;
}

}  // namespace Mellanox
}  // namespace Quillet
