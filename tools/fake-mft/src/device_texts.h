#pragma once
#include <string>
#include <vector>

#include "fake_adapters.h"

namespace FakeMft {

// The lines of "mdevices.exe status" for these adapters (Windows form).
std::vector<std::string> StatusLines(const std::vector<FakeAdapter>& adapters);

// The lines "mdevices.exe status" prints when it finds nothing.
std::vector<std::string> NoDevicesLines();

// The lines of "flint.bat -d DEVICE query" for one adapter: labels
// left-aligned, values from column 24.
std::vector<std::string> QueryLines(const FakeAdapter& adapter);

}  // namespace FakeMft
