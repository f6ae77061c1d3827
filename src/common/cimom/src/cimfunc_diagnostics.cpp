// CimFunc's diagnostics engine for the CIM diagnostics model: discover the
// services through an association, start one, poll its job, read its record.
#include "cimfunc.h"

#include <memory>

#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/CIMType.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/Exception.h>

#include "cimfunc_text.h"
#include "opn_logging.h"
#include "osspecific.h"

using CimFuncText::ToUtf8;

const char* const DiagnosticResultLabels[4] = {"ConCreteJob State", "Percent Complete", "Completion State",
                                               "Completion Record"};

namespace {

const unsigned int kWaitAfterUnfinishedPollMilliseconds = 10000;

// Final states other than success, checked in this order.
const char* const kJobEndStates[] = {"Exception", "Suspended", "Terminated", "Killed"};

Pegasus::Uint32 ToMilliseconds(unsigned int seconds)
{
    return static_cast<Pegasus::Uint32>(seconds) * 1000;
}

bool IsJobEndState(const std::string& state)
{
    for (const char* endState : kJobEndStates) {
        if (state == endState) {
            return true;
        }
    }
    return false;
}

// The reference held by the association's property `name`. False, with a
// level-2 line, when the property is missing or is not a reference.
bool ReadReference(const Pegasus::CIMInstance& association, const char* name, Pegasus::CIMObjectPath& reference)
{
    const Pegasus::Uint32 position = association.findProperty(Pegasus::CIMName(name));
    if (position == Pegasus::PEG_NOT_FOUND) {
        OPN_LOG(2) << "Property " << name << " is not found for " << ToUtf8(association.getPath().toString());
        return false;
    }
    const Pegasus::CIMConstProperty property = association.getProperty(position);
    if (property.getType() != Pegasus::CIMTYPE_REFERENCE) {
        OPN_LOG(2) << "Property " << name << " is not found as REF.";
        return false;
    }
    property.getValue().get(reference);
    return true;
}

// Fills `item` from one association instance; false when the instance is malformed.
bool DescribeDiagnostic(const Pegasus::CIMInstance& association, DiagnosticItem& item)
{
    if (!ReadReference(association, "ServiceProvided", item.servicePath)) {
        return false;
    }
    item.serviceName = CimFunc::GetKeyValue(item.servicePath.getKeyBindings(), "Name");
    item.serviceProvidedPath = ToUtf8(item.servicePath.toString());
    OPN_LOG(4) << "Object Path of ServiceProvided is " << item.serviceProvidedPath;

    Pegasus::CIMObjectPath elementPath;
    if (!ReadReference(association, "UserOfService", elementPath)) {
        return false;
    }
    item.systemName = CimFunc::GetKeyValue(elementPath.getKeyBindings(), "SystemName");
    item.deviceID = CimFunc::GetKeyValue(elementPath.getKeyBindings(), "DeviceID");
    item.userOfServicePath = ToUtf8(elementPath.toString());
    OPN_LOG(4) << "Object Path of UserOfService is " << item.userOfServicePath;

    item.inParameters.append(Pegasus::CIMParamValue("ManagedElement", Pegasus::CIMValue(elementPath), true));
    return true;
}

void ReleaseItems(std::vector<DiagnosticItem*>& items)
{
    for (DiagnosticItem* item : items) {
        delete item;
    }
    items.clear();
}

}  // namespace

int CimFunc::GetDiagnosticItems(Pegasus::CIMClient* client, const Pegasus::CIMNamespaceName& nameSpace,
                                Pegasus::CIMName className, unsigned int timeoutSeconds,
                                std::vector<std::pair<std::string, std::string> >& paths,
                                std::vector<DiagnosticItem*>& items)
{
    OPN_LOG(4) << "Calling CimFunc::GetDiagnosticItems()";
    paths.clear();
    ReleaseItems(items);

    Pegasus::Array<Pegasus::CIMInstance> associations;
    try {
        client->setTimeout(ToMilliseconds(timeoutSeconds));
        associations = client->enumerateInstances(nameSpace, className, true, true, false, false,
                                                  Pegasus::CIMPropertyList());
    } catch (const Pegasus::Exception& error) {
        OPN_LOG(1) << "Enumerate instances for " << ToUtf8(className) << " failed with the reason: "
                   << ToUtf8(error.getMessage());
        return 1;
    }

    // Reserved up front so that the two lists cannot fall out of step.
    items.reserve(associations.size());
    paths.reserve(associations.size());
    int outcome = 0;
    for (Pegasus::Uint32 i = 0; i < associations.size(); ++i) {
        const Pegasus::CIMInstance& association = associations[i];
        std::unique_ptr<DiagnosticItem> item(new DiagnosticItem());
        try {
            if (!DescribeDiagnostic(association, *item)) {
                outcome = 1;
                continue;
            }
            items.push_back(item.get());
            paths.push_back(std::make_pair(item->serviceProvidedPath, item->userOfServicePath));
            item.release();
        } catch (const Pegasus::Exception& error) {
            OPN_LOG(1) << "Get properties from " << ToUtf8(association.getPath().toString())
                       << " failed with the reason: " << ToUtf8(error.getMessage());
            outcome = 1;
        }
    }
    return outcome;
}

int CimFunc::InvokeDiagnostic(Pegasus::CIMClient* client, const Pegasus::CIMNamespaceName& nameSpace,
                              Pegasus::CIMName methodName, unsigned int timeoutSeconds,
                              const std::pair<std::string, std::string>& key,
                              const std::vector<DiagnosticItem*>& items, DiagnosticItem& item)
{
    const DiagnosticItem* found = nullptr;
    for (const DiagnosticItem* candidate : items) {
        if (candidate->serviceProvidedPath == key.first && candidate->userOfServicePath == key.second) {
            found = candidate;
            break;
        }
    }
    if (found == nullptr) {
        OPN_LOG(4) << "Diagnostic item not found..." << key.first << "\t" << key.second;
        return 1;
    }
    OPN_LOG(4) << "Diagnostic item found..." << key.first << "\t" << key.second;
    item = *found;

    try {
        client->setTimeout(ToMilliseconds(timeoutSeconds));
        // The method's return value says nothing the job and its record do not.
        client->invokeMethod(nameSpace, item.servicePath, methodName, item.inParameters, item.outParameters);
    } catch (const Pegasus::Exception& error) {
        OPN_LOG(1) << "invokeMethod return exeption: " << ToUtf8(error.getMessage());
        return 1;
    }
    return 0;
}

int CimFunc::PollConcreteJob(Pegasus::CIMClient* client, const Pegasus::CIMNamespaceName& nameSpace,
                             const Pegasus::CIMObjectPath& jobPath, unsigned int timeoutSeconds, int attempts,
                             DiagnosticItem& item, PropertyMap& result)
{
    int remaining = attempts;
    while (remaining >= 1) {
        --remaining;
        PropertyMap job = {{"JobState", ""}, {"PercentComplete", ""}, {"InstanceID", ""}};
        try {
            client->setTimeout(ToMilliseconds(timeoutSeconds));
            const Pegasus::CIMInstance instance =
                client->getInstance(nameSpace, jobPath, true, true, false, Pegasus::CIMPropertyList());
            GetProperties(instance, job);
            result[DiagnosticResultLabels[0]] = job["JobState"];
            result[DiagnosticResultLabels[1]] = job["PercentComplete"];
        } catch (const Pegasus::Exception& error) {
            OPN_LOG(1) << "getInstance return exeption: " << ToUtf8(error.getMessage());
            Quillet::OsSpecific::SleepMilliseconds(kWaitAfterUnfinishedPollMilliseconds);
            continue;
        }

        const std::string& state = job["JobState"];
        if (state == "Completed" && job["PercentComplete"] == "100") {
            OPN_LOG(4) << "Diagnostic Finished at the " << (attempts - remaining) << " attempt";
            item.jobInstanceID = job["InstanceID"];
            return 0;
        }
        if (IsJobEndState(state)) {
            OPN_LOG(1) << "Diagnostic Finished at the " << state << " state";
            item.jobInstanceID = job["InstanceID"];
            return 0;
        }
        Quillet::OsSpecific::SleepMilliseconds(kWaitAfterUnfinishedPollMilliseconds);
    }
    OPN_LOG(1) << "Diagnostic timing out, can not get Completed & 100% status of Comcretejob";
    return 1;
}

int CimFunc::GetCompletionRecord(Pegasus::CIMClient* client, const Pegasus::CIMNamespaceName& nameSpace,
                                 Pegasus::CIMName className, DiagnosticItem& item, unsigned int timeoutSeconds,
                                 bool (*matches)(DiagnosticItem& item, const Pegasus::CIMInstance& record),
                                 PropertyMap& result)
{
    try {
        client->setTimeout(ToMilliseconds(timeoutSeconds));
        const Pegasus::Array<Pegasus::CIMInstance> records = client->enumerateInstances(
            nameSpace, className, true, true, true, false, Pegasus::CIMPropertyList());
        for (Pegasus::Uint32 i = 0; i < records.size(); ++i) {
            if (!matches(item, records[i])) {
                continue;
            }
            PropertyMap record = {{"CompletionState", ""}, {"RecordData", ""}};
            GetProperties(records[i], record);
            result[DiagnosticResultLabels[2]] = record["CompletionState"];
            result[DiagnosticResultLabels[3]] = record["RecordData"];
            return 0;
        }
    } catch (const Pegasus::Exception& error) {
        OPN_LOG(1) << "Enumerate instances for " << ToUtf8(className) << " failed with the reason: "
                   << ToUtf8(error.getMessage());
    }
    return 1;
}
