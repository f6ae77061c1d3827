#pragma once
// What a diagnostic's job reports on each poll and how the run ends.

#include "model/object_path.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mlnx_cimsim {

struct JobStep {
    std::string jobState;         // "Running", "Completed", "Exception", ...
    std::string percentComplete;  // "0" to "100"
};

struct JobScript {
    // Step i answers poll i+1; the last step repeats for every later poll.
    std::vector<JobStep> steps;
    std::string completionState = "OK";
    std::string recordData;
    bool createsRecord = true;     // a completion record appears when the job ends
    bool returnsJob = true;        // the method hands back the job's reference
    uint32_t returnValue = 0;      // RETURNVALUE of RunDiagnostic

    // Running for the first polls, finalState on poll number `polls`; "never" keeps it running.
    static JobScript finishingAfter(int polls, const std::string& finalState);
};

// True for a step the module treats as the end of the job.
bool isFinalStep(const JobStep& step);

// A job script bound to a diagnostic service, for one tested element or for all of them.
struct DiagnosticBinding {
    ObjectPath service;
    std::optional<ObjectPath> element;
    JobScript script;
};

}  // namespace mlnx_cimsim
