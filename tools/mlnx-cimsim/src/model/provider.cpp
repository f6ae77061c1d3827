#include "model/provider.h"

#include "wire/http_message.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace mlnx_cimsim {

namespace {

const JobScript& defaultScript() {
    static const JobScript script = JobScript::finishingAfter(1, "Completed");
    return script;
}

std::string zeroPadded(uint64_t number, int width) {
    std::string digits = std::to_string(number);
    return std::string(digits.size() < static_cast<size_t>(width) ? width - digits.size() : 0, '0') + digits;
}

// CIM datetime of the current UTC time, e.g. 20240115103000.000000+000.
std::string cimNow() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S.000000+000", &utc);
    return text;
}

std::string keyText(const ObjectPath& path, const char* keyName) {
    const KeyBinding* key = path.findKey(keyName);
    return key == nullptr ? "" : key->text;
}

}  // namespace

CimValue valueFromWord(const PropertyDecl& property, const std::string& word) {
    if (isIntegerType(property.type) && !property.valueMap.empty()) {
        for (size_t i = 0; i < property.values.size() && i < property.valueMap.size(); ++i) {
            if (property.values[i] == word) {
                return CimValue::scalar(property.type, property.valueMap[i]);
            }
        }
    }
    return CimValue::scalar(property.type, word);
}

Provider::Provider(Repository repository, std::vector<DiagnosticBinding> diagnostics, ProviderSettings settings)
    : repository_(std::move(repository)),
      diagnostics_(std::move(diagnostics)),
      settings_(std::move(settings)),
      started_(settings_.startedInitially) {
    setModuleStarted(started_);
}

void Provider::checkNamespace(const std::string& nameSpace) const {
    if (!repository_.hasNamespace(nameSpace)) {
        throw CimError(CIM_ERR_INVALID_NAMESPACE, nameSpace);
    }
}

void Provider::checkAvailable(const CimClass& cimClass) const {
    auto failure = classFailures_.find(toLower(cimClass.name));
    if (failure != classFailures_.end()) {
        throw CimError(failure->second.code, failure->second.description);
    }
    if (cimClass.servedByProvider && !started_) {
        // OpenPegasus's provider manager refuses providers of a stopped module so.
        throw CimError(CIM_ERR_NOT_SUPPORTED, "provider blocked.");
    }
}

const CimClass& Provider::getClass(const std::string& nameSpace, const std::string& className) const {
    checkNamespace(nameSpace);
    const CimClass* cimClass = repository_.findClass(nameSpace, className);
    if (cimClass == nullptr) {
        throw CimError(CIM_ERR_INVALID_CLASS, className);
    }
    return *cimClass;
}

std::vector<const CimClass*> Provider::classes(const std::string& nameSpace) const {
    checkNamespace(nameSpace);
    return repository_.classes(nameSpace);
}

std::vector<const InstanceRecord*> Provider::enumerateInstances(const std::string& nameSpace,
                                                                const std::string& className) {
    const CimClass& cimClass = getClass(nameSpace, className);
    checkAvailable(cimClass);
    std::vector<const InstanceRecord*> result;
    for (InstanceRecord* instance : repository_.instancesOf(nameSpace, cimClass)) {
        // A base class enumeration reaches the provider's subclasses too.
        checkAvailable(instance->cimClass());
        result.push_back(instance);
    }
    return result;
}

const InstanceRecord& Provider::getInstance(const std::string& nameSpace, const ObjectPath& path) {
    const CimClass& cimClass = getClass(nameSpace, path.className);
    checkAvailable(cimClass);
    InstanceRecord* instance = repository_.findInstance(nameSpace, path);
    if (instance == nullptr) {
        throw CimError(CIM_ERR_NOT_FOUND, path.toString());
    }
    for (auto& run : jobs_) {
        if (run.job == instance) {
            advance(run);
            break;
        }
    }
    return *instance;
}

MethodResult Provider::invokeMethod(const std::string& nameSpace, const ObjectPath& path,
                                    const std::string& methodName, const std::vector<ParamValue>& inParameters) {
    const CimClass& cimClass = getClass(nameSpace, path.className);
    const MethodDecl* method = cimClass.findMethod(methodName);
    if (method == nullptr) {
        throw CimError(CIM_ERR_METHOD_NOT_FOUND, methodName);
    }
    if (repository_.isA(cimClass, kProviderModuleClass)) {
        if (equalsIgnoreCase(methodName, "start") || equalsIgnoreCase(methodName, "stop")) {
            return changeModuleState(path, equalsIgnoreCase(methodName, "start"));
        }
    }
    if (equalsIgnoreCase(methodName, kRunDiagnostic) && cimClass.servedByProvider) {
        checkAvailable(cimClass);
        InstanceRecord* service = repository_.findInstance(nameSpace, path);
        if (service == nullptr) {
            throw CimError(CIM_ERR_NOT_FOUND, path.toString());
        }
        return runDiagnostic(nameSpace, *service, inParameters);
    }
    throw CimError(CIM_ERR_METHOD_NOT_AVAILABLE, methodName);
}

MethodResult Provider::changeModuleState(const ObjectPath& path, bool start) {
    const KeyBinding* name = path.findKey("Name");
    if (name == nullptr || name->text != settings_.moduleName) {
        throw CimError(CIM_ERR_NOT_FOUND, path.toString());
    }
    // Only the CIM methods count, so a test sees what its client did.
    ++(start ? starts_ : stops_);
    // OpenPegasus's provider registration answers 1 for a module already in the
    // state asked for, 0 when it changed it.
    const bool already = started_ == start;
    setModuleStarted(start);
    MethodResult result;
    result.returnValue = CimValue::scalar(CimType::Sint16, already ? "1" : "0");
    return result;
}

void Provider::setModuleStarted(bool started) {
    started_ = started;
    ObjectPath path;
    path.className = kProviderModuleClass;
    KeyBinding name;
    name.name = "Name";
    name.text = settings_.moduleName;
    path.keys.push_back(name);
    InstanceRecord* module = repository_.findInstance(kInteropNamespace, path);
    if (module != nullptr) {
        // OperationalStatus 2 is OK, 10 Stopped.
        module->set("OperationalStatus", CimValue::array(CimType::Uint16, {started ? "2" : "10"}));
    }
}

void Provider::failClass(const std::string& className, int code, const std::string& description) {
    classFailures_[toLower(className)] = {code, description.empty() ? className : description};
}

JobScript Provider::scriptFor(const ObjectPath& service, const ObjectPath& element) {
    if (!queuedScripts_.empty()) {
        JobScript script = std::move(queuedScripts_.front());
        queuedScripts_.pop_front();
        return script;
    }
    for (const auto& binding : diagnostics_) {
        if (binding.service.sameInstance(service) && binding.element && binding.element->sameInstance(element)) {
            return binding.script;
        }
    }
    for (const auto& binding : diagnostics_) {
        if (binding.service.sameInstance(service) && !binding.element) {
            return binding.script;
        }
    }
    return defaultScript();
}

MethodResult Provider::runDiagnostic(const std::string& nameSpace, const InstanceRecord& service,
                                     const std::vector<ParamValue>& inParameters) {
    const ParamValue* managedElement = nullptr;
    for (const auto& parameter : inParameters) {
        if (equalsIgnoreCase(parameter.name, "ManagedElement")) {
            managedElement = &parameter;
        }
    }
    if (managedElement == nullptr || managedElement->value.isNull) {
        throw CimError(CIM_ERR_INVALID_PARAMETER, "RunDiagnostic needs the parameter ManagedElement");
    }
    ObjectPath element;
    if (managedElement->value.reference) {
        element = *managedElement->value.reference;
    } else {
        try {
            element = parseObjectPath(managedElement->value.text());
        } catch (const std::invalid_argument& error) {
            throw CimError(CIM_ERR_INVALID_PARAMETER, std::string("ManagedElement: ") + error.what());
        }
    }
    if (repository_.findInstance(nameSpace, element) == nullptr) {
        throw CimError(CIM_ERR_INVALID_PARAMETER, "ManagedElement " + element.toString() + " does not exist");
    }
    JobScript script = scriptFor(service.path(), element);

    std::string instanceId = std::string(kJobClass) + ":" + zeroPadded(nextJobNumber_++, 8);
    std::string serviceName = keyText(service.path(), "Name");
    std::string elementName = keyText(element, "DeviceID");
    std::vector<std::pair<std::string, CimValue>> values;
    values.emplace_back("InstanceID", CimValue::scalar(CimType::String, instanceId));
    values.emplace_back("Name", CimValue::scalar(CimType::String, serviceName));
    values.emplace_back("ElementName", CimValue::scalar(CimType::String, serviceName + " on " + elementName));
    values.emplace_back("Description", CimValue::scalar(CimType::String, "Diagnostic job of " + serviceName));
    values.emplace_back("StartTime", CimValue::scalar(CimType::Datetime, cimNow()));
    InstanceRecord& job = repository_.addInstance(nameSpace, kJobClass, std::move(values));
    setWord(job, "JobState", "New");
    setWord(job, "PercentComplete", "0");
    jobs_.push_back(JobRun{&job, nameSpace, script, serviceName, elementName});

    MethodResult result;
    result.returnValue = CimValue::scalar(CimType::Uint32, std::to_string(script.returnValue));
    if (script.returnsJob) {
        result.outParameters.push_back({"Job", CimValue::ref(job.path())});
    } else if (script.createsRecord) {
        // Without a job to poll, the test has finished by the time the method returns.
        createCompletionRecord(jobs_.back());
    }
    return result;
}

void Provider::setWord(InstanceRecord& instance, const std::string& propertyName, const std::string& word) {
    const PropertyDecl* property = instance.cimClass().findProperty(propertyName);
    if (property == nullptr) {
        throw std::logic_error("class " + instance.cimClass().name + " has no property " + propertyName);
    }
    instance.set(property->name, valueFromWord(*property, word));
}

void Provider::advance(JobRun& run) {
    ++run.polls;
    const auto& steps = run.script.steps;
    if (steps.empty()) {
        return;
    }
    const JobStep& step = steps[std::min<size_t>(run.polls, steps.size()) - 1];
    setWord(*run.job, "JobState", step.jobState);
    setWord(*run.job, "PercentComplete", step.percentComplete);
    if (isFinalStep(step) && !run.recordCreated && run.script.createsRecord) {
        createCompletionRecord(run);
    }
}

void Provider::createCompletionRecord(JobRun& run) {
    run.recordCreated = true;
    std::string jobId = run.job->find("InstanceID")->text();
    std::vector<std::pair<std::string, CimValue>> values;
    values.emplace_back("InstanceID", CimValue::scalar(CimType::String, std::string(kCompletionRecordClass) + ":" + jobId));
    values.emplace_back("ServiceName", CimValue::scalar(CimType::String, run.serviceName));
    values.emplace_back("ManagedElementName", CimValue::scalar(CimType::String, run.elementName));
    values.emplace_back("ElementName", CimValue::scalar(CimType::String, run.serviceName + " result"));
    values.emplace_back("CreationTimeStamp", CimValue::scalar(CimType::Datetime, cimNow()));
    values.emplace_back("RecordData", CimValue::scalar(CimType::String, run.script.recordData));
    InstanceRecord& record = repository_.addInstance(run.nameSpace, kCompletionRecordClass, std::move(values));
    setWord(record, "CompletionState", run.script.completionState);
}

std::vector<JobStatus> Provider::jobs() const {
    std::vector<JobStatus> result;
    for (const auto& run : jobs_) {
        JobStatus status;
        status.instanceId = run.job->find("InstanceID")->text();
        status.service = run.serviceName;
        status.element = run.elementName;
        status.polls = run.polls;
        const CimValue* state = run.job->find("JobState");
        const CimValue* percent = run.job->find("PercentComplete");
        status.jobState = state == nullptr ? "" : state->text();
        status.percentComplete = percent == nullptr ? "" : percent->text();
        status.recordCreated = run.recordCreated;
        result.push_back(status);
    }
    return result;
}

}  // namespace mlnx_cimsim
