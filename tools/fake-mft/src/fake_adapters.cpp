#include "fake_adapters.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "default_fixture.h"

namespace FakeMft {
namespace {

std::string Text(const nlohmann::json& adapter, const char* field, bool required)
{
    const auto found = adapter.find(field);
    if (found == adapter.end() || found->is_null()) {
        if (required) {
            throw std::runtime_error(std::string("adapter without \"") + field + "\"");
        }
        return std::string();
    }
    if (!found->is_string()) {
        throw std::runtime_error(std::string("\"") + field + "\" is not a string: " + found->dump());
    }
    return found->get<std::string>();
}

FakeAdapter AdapterFrom(const nlohmann::json& entry)
{
    FakeAdapter adapter;
    adapter.mstDevice = Text(entry, "mst_device", true);
    adapter.description = Text(entry, "description", false);
    adapter.partNumber = Text(entry, "part_number", false);
    adapter.psid = Text(entry, "psid", true);
    adapter.imageType = Text(entry, "image_type", true);
    adapter.fwVersion = Text(entry, "fw_version", true);
    adapter.fwReleaseDate = Text(entry, "fw_release_date", true);
    adapter.productVersion = Text(entry, "product_version", true);
    adapter.baseGuid = Text(entry, "base_guid", false);
    adapter.baseMac = Text(entry, "base_mac", true);
    return adapter;
}

std::vector<FakeAdapter> AdaptersOf(std::istream& text, const std::string& fixtureName)
{
    try {
        const nlohmann::json fixture = nlohmann::json::parse(text);
        const auto adapters = fixture.find("adapters");
        if (adapters == fixture.end() || !adapters->is_array()) {
            throw std::runtime_error("no \"adapters\" array");
        }
        std::vector<FakeAdapter> result;
        for (const nlohmann::json& entry : *adapters) {
            result.push_back(AdapterFrom(entry));
        }
        return result;
    } catch (const std::exception& error) {
        throw std::runtime_error("fixture " + fixtureName + ": " + error.what());
    }
}

}  // namespace

std::vector<FakeAdapter> LoadAdapters(const std::string& fixturePath)
{
    if (fixturePath.empty()) {
        std::istringstream builtIn(DefaultFixtureJson());
        return AdaptersOf(builtIn, "(built-in default)");
    }
    std::ifstream file(fixturePath);
    if (!file) {
        throw std::runtime_error("cannot open fixture " + fixturePath);
    }
    return AdaptersOf(file, fixturePath);
}

const FakeAdapter* FindAdapter(const std::vector<FakeAdapter>& adapters, const std::string& device)
{
    for (const FakeAdapter& adapter : adapters) {
        if (adapter.mstDevice == device) {
            return &adapter;
        }
    }
    return nullptr;
}

}  // namespace FakeMft
