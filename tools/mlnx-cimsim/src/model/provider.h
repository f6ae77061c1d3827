#pragma once
// The vendor's provider as a CIM server hosts it: the intrinsic operations over the
// repository, the RunDiagnostic method with its jobs and completion records, the
// provider module's start/stop state, and injected per-class failures.

#include "model/cim_error.h"
#include "model/job_script.h"
#include "model/repository.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace mlnx_cimsim {

struct ProviderSettings {
    std::string moduleName = "MLNX_CIMProvider.dll_Module";
    bool startedInitially = true;
};

struct ParamValue {
    std::string name;
    CimValue value;
};

struct MethodResult {
    CimValue returnValue;
    std::vector<ParamValue> outParameters;
};

struct JobStatus {
    std::string instanceId;
    std::string service;
    std::string element;
    uint64_t polls = 0;
    std::string jobState;
    std::string percentComplete;
    bool recordCreated = false;
};

class Provider {
public:
    static constexpr const char* kInteropNamespace = "root/PG_InterOp";
    static constexpr const char* kProviderModuleClass = "PG_ProviderModule";
    static constexpr const char* kJobClass = "MLNX_DiagnosticJob";
    static constexpr const char* kCompletionRecordClass = "MLNX_DiagnosticCompletionRecord";
    static constexpr const char* kRunDiagnostic = "RunDiagnostic";

    Provider(Repository repository, std::vector<DiagnosticBinding> diagnostics, ProviderSettings settings);

    // Every operation throws CimError with the code a CIM server would answer.
    const CimClass& getClass(const std::string& nameSpace, const std::string& className) const;
    std::vector<const CimClass*> classes(const std::string& nameSpace) const;
    std::vector<const InstanceRecord*> enumerateInstances(const std::string& nameSpace, const std::string& className);
    // Each poll of a diagnostic job advances it by one step of its script.
    const InstanceRecord& getInstance(const std::string& nameSpace, const ObjectPath& path);
    MethodResult invokeMethod(const std::string& nameSpace, const ObjectPath& path, const std::string& methodName,
                              const std::vector<ParamValue>& inParameters);

    bool moduleStarted() const { return started_; }
    void setModuleStarted(bool started);
    uint64_t starts() const { return starts_; }
    uint64_t stops() const { return stops_; }
    const std::string& moduleName() const { return settings_.moduleName; }

    // The next RunDiagnostic calls take these scripts, in order, whatever the fixture says.
    void queueJobScript(JobScript script) { queuedScripts_.push_back(std::move(script)); }
    void failClass(const std::string& className, int code, const std::string& description);
    void clearClassFailures() { classFailures_.clear(); }
    std::vector<JobStatus> jobs() const;

private:
    struct ClassFailure {
        int code;
        std::string description;
    };
    struct JobRun {
        InstanceRecord* job;
        std::string nameSpace;
        JobScript script;
        std::string serviceName;
        std::string elementName;
        uint64_t polls = 0;
        bool recordCreated = false;
    };

    void checkNamespace(const std::string& nameSpace) const;
    void checkAvailable(const CimClass& cimClass) const;
    MethodResult changeModuleState(const ObjectPath& path, bool start);
    MethodResult runDiagnostic(const std::string& nameSpace, const InstanceRecord& service,
                               const std::vector<ParamValue>& inParameters);
    JobScript scriptFor(const ObjectPath& service, const ObjectPath& element);
    void advance(JobRun& run);
    void createCompletionRecord(JobRun& run);
    void setWord(InstanceRecord& instance, const std::string& propertyName, const std::string& word);

    Repository repository_;
    std::vector<DiagnosticBinding> diagnostics_;
    ProviderSettings settings_;
    bool started_;
    uint64_t starts_ = 0;
    uint64_t stops_ = 0;
    uint64_t nextJobNumber_ = 1;
    std::map<std::string, ClassFailure> classFailures_;  // by lower-case class name
    std::vector<JobRun> jobs_;
    std::deque<JobScript> queuedScripts_;
};

// The value of a property set from a display word: integer properties with a ValueMap
// store the ValueMap entry whose Values text is the word.
CimValue valueFromWord(const PropertyDecl& property, const std::string& word);

}  // namespace mlnx_cimsim
