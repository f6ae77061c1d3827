#include "model/job_script.h"

#include <algorithm>
#include <array>

namespace mlnx_cimsim {

namespace {

constexpr std::array<const char*, 4> kAbnormalEnds = {"Exception", "Suspended", "Terminated", "Killed"};

}  // namespace

JobScript JobScript::finishingAfter(int polls, const std::string& finalState) {
    JobScript script;
    polls = std::max(polls, 1);
    bool never = finalState == "never";
    for (int poll = 1; poll < polls; ++poll) {
        script.steps.push_back({"Running", std::to_string(poll * 100 / polls)});
    }
    if (never) {
        script.steps.push_back({"Running", std::to_string((polls - 1) * 100 / polls)});
    } else if (finalState == "Completed") {
        script.steps.push_back({"Completed", "100"});
    } else {
        script.steps.push_back({finalState, std::to_string((polls - 1) * 100 / polls)});
    }
    return script;
}

bool isFinalStep(const JobStep& step) {
    if (step.jobState == "Completed") {
        return step.percentComplete == "100";
    }
    return std::find(kAbnormalEnds.begin(), kAbnormalEnds.end(), step.jobState) != kAbnormalEnds.end();
}

}  // namespace mlnx_cimsim
