#pragma once
#include <string>

namespace FakeMft {

// The default fixture's text, compiled in so the tools run from anywhere
// (an installed copy included).
const std::string& DefaultFixtureJson();

}  // namespace FakeMft
