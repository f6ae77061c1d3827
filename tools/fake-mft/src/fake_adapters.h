#pragma once
#include <string>
#include <vector>

namespace FakeMft {

// One adapter as the fixture's "adapters" array describes it.
struct FakeAdapter {
    std::string mstDevice;
    std::string description;
    std::string partNumber;
    std::string psid;
    std::string imageType;
    std::string fwVersion;
    std::string fwReleaseDate;
    std::string productVersion;
    std::string baseGuid;  // empty when the adapter has none
    std::string baseMac;
};

// Reads the "adapters" array of a fixture file (an empty path: the built-in
// default fixture); throws std::runtime_error naming the file and what is
// wrong with it.
std::vector<FakeAdapter> LoadAdapters(const std::string& fixturePath);

// The adapter whose device name is `device`, or null.
const FakeAdapter* FindAdapter(const std::vector<FakeAdapter>& adapters, const std::string& device);

}  // namespace FakeMft
