#include "server/control_interface.h"

#include "fixture/fixture_loader.h"

#include <stdexcept>

namespace mlnx_cimsim {

namespace {

HttpReply jsonReply(int status, const nlohmann::json& document) {
    HttpReply reply;
    reply.status = status;
    reply.headers.emplace_back("Content-Type", "application/json");
    reply.body = document.dump(2) + "\n";
    return reply;
}

void applyClassFailure(const nlohmann::json& fault, ServerState& state) {
    if (!fault.is_object() || !fault.contains("class") || !fault.contains("code")) {
        throw std::invalid_argument("fail_class needs {\"class\": NAME, \"code\": CIM_STATUS}");
    }
    std::lock_guard<std::mutex> lock(state.providerMutex);
    state.provider.failClass(fault.at("class").get<std::string>(), fault.at("code").get<int>(),
                             fault.value("description", ""));
}

ChallengeFault challengeFaultNamed(const std::string& name) {
    if (name == "normal") {
        return ChallengeFault::none;
    }
    if (name == "wrong_secret") {
        return ChallengeFault::wrongSecret;
    }
    if (name == "missing_file") {
        return ChallengeFault::missingFile;
    }
    throw std::invalid_argument("local_challenge is \"normal\", \"wrong_secret\" or \"missing_file\", not \"" +
                                name + "\"");
}

}  // namespace

bool isControlTarget(const std::string& target) { return target == "/control" || target == "/stats"; }

void applyControl(const nlohmann::json& document, ServerState& state) {
    if (!document.is_object()) {
        throw std::invalid_argument("the control document must be a JSON object");
    }
    if (document.value("clear", false)) {
        state.faults.clear();
        std::lock_guard<std::mutex> lock(state.providerMutex);
        state.provider.clearClassFailures();
        if (state.localChallenges) {
            state.localChallenges->setFault(ChallengeFault::none);
        }
    }
    int times = document.value("times", -1);
    if (document.contains("refuse_connections")) {
        state.faults.refuseConnections(document.at("refuse_connections").get<int>());
    }
    if (document.contains("delay_ms")) {
        state.faults.setDelay(document.at("delay_ms").get<int>(), times);
    }
    if (document.contains("close_mid_response")) {
        state.faults.setCloseMidResponse(document.at("close_mid_response").get<bool>(), times);
    }
    if (document.contains("malformed_xml")) {
        state.faults.setMalformedXml(document.at("malformed_xml").get<bool>(), times);
    }
    if (document.contains("http_status")) {
        state.faults.setHttpStatus(document.at("http_status").get<int>(), times);
    }
    if (document.contains("response_bytes")) {
        state.faults.setResponseBytes(document.at("response_bytes").get<size_t>(), times);
    }
    if (document.contains("fail_class")) {
        const auto& failures = document.at("fail_class");
        if (failures.is_array()) {
            for (const auto& fault : failures) {
                applyClassFailure(fault, state);
            }
        } else {
            applyClassFailure(failures, state);
        }
    }
    if (document.contains("next_jobs")) {
        std::vector<JobScript> scripts;
        for (const auto& script : document.at("next_jobs")) {
            try {
                scripts.push_back(parseJobScript(script, "next_jobs"));
            } catch (const FixtureError& error) {
                throw std::invalid_argument(error.what());
            }
        }
        std::lock_guard<std::mutex> lock(state.providerMutex);
        for (auto& script : scripts) {
            state.provider.queueJobScript(std::move(script));
        }
    }
    if (document.contains("local_challenge")) {
        ChallengeFault fault = challengeFaultNamed(document.at("local_challenge").get<std::string>());
        if (!state.localChallenges) {
            throw std::invalid_argument("local_challenge needs a simulator started with --authenticate");
        }
        state.localChallenges->setFault(fault);
    }
    if (document.contains("provider_module")) {
        std::string wanted = document.at("provider_module").get<std::string>();
        if (wanted != "started" && wanted != "stopped") {
            throw std::invalid_argument("provider_module is \"started\" or \"stopped\", not \"" + wanted + "\"");
        }
        std::lock_guard<std::mutex> lock(state.providerMutex);
        state.provider.setModuleStarted(wanted == "started");
    }
}

nlohmann::json describeStats(ServerState& state) {
    nlohmann::json stats = state.stats.describe();
    std::lock_guard<std::mutex> lock(state.providerMutex);
    stats["provider_module"] = state.provider.moduleStarted() ? "started" : "stopped";
    stats["starts"] = state.provider.starts();
    stats["stops"] = state.provider.stops();
    nlohmann::json jobs = nlohmann::json::array();
    for (const auto& job : state.provider.jobs()) {
        jobs.push_back({{"instance_id", job.instanceId},
                        {"service", job.service},
                        {"element", job.element},
                        {"polls", job.polls},
                        {"job_state", job.jobState},
                        {"percent_complete", job.percentComplete},
                        {"completion_record", job.recordCreated}});
    }
    stats["jobs"] = jobs;
    stats["faults"] = state.faults.describe();
    stats["local_challenges"] = state.localChallenges ? state.localChallenges->challengesIssued() : 0;
    return stats;
}

HttpReply handleControlRequest(const HttpRequest& request, ServerState& state) {
    if (request.target == "/stats") {
        if (request.method != "GET") {
            return jsonReply(405, {{"error", "use GET /stats"}});
        }
        return jsonReply(200, describeStats(state));
    }
    if (request.method != "POST") {
        return jsonReply(405, {{"error", "use POST /control with a JSON object"}});
    }
    try {
        applyControl(nlohmann::json::parse(request.body), state);
    } catch (const nlohmann::json::exception& error) {
        return jsonReply(400, {{"error", std::string("bad control document: ") + error.what()}});
    } catch (const std::invalid_argument& error) {
        return jsonReply(400, {{"error", error.what()}});
    }
    return jsonReply(200, {{"faults", state.faults.describe()}});
}

}  // namespace mlnx_cimsim
