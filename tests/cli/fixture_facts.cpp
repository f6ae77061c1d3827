#include "fixture_facts.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

#include "cimsim/cimsim_process.h"

namespace cli_test {

std::vector<FixtureAdapter> DefaultFixtureAdapters()
{
    const std::string path = mlnx_cimsim::testing::CimSimProcess::defaultFixturePath();
    std::ifstream file(path);
    const nlohmann::json fixture = nlohmann::json::parse(file, nullptr, false);
    if (fixture.is_discarded() || !fixture.contains("adapters")) {
        ADD_FAILURE() << "cannot read the adapters of the default fixture " << path;
        return {};
    }
    std::vector<FixtureAdapter> adapters;
    for (const auto& entry : fixture.at("adapters")) {
        FixtureAdapter adapter;
        adapter.mstDevice = entry.value("mst_device", "");
        adapter.description = entry.value("description", "");
        adapter.fwVersion = entry.value("fw_version", "");
        for (const auto& id : entry.value("pci_device_ids", nlohmann::json::array())) {
            adapter.pciDeviceIds.push_back(id.is_string() ? id.get<std::string>() : id.dump());
        }
        adapters.push_back(adapter);
    }
    return adapters;
}

}  // namespace cli_test
