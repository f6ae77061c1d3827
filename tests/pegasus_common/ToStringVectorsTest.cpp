// CIMValue::toString() and CIMObjectPath::toString() against what the
// OpenPegasus client library printed for every property of every instance
// of the recorded enumerations (cimclient-tostring/<Class>.txt). The
// instances are read from the recorded responses of the same enumerations.
#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "RecordedInstances.h"

using namespace Pegasus;

namespace {

const std::string vectors = CIMXML_VECTORS_DIR;

struct Recording
{
    const char* className;
    const char* exchange;  // the cimcli enumeration with IncludeQualifiers=false
};

const Recording recordings[] = {
    {"MLNX_PCIDevice", "01-cimcli-ei-MLNX_PCIDevice-iq0"},
    {"MLNX_IBPort", "03-cimcli-ei-MLNX_IBPort-iq0"},
    {"MLNX_EthernetPort", "05-cimcli-ei-MLNX_EthernetPort-iq0"},
    {"MLNX_FirmwareIdentity", "07-cimcli-ei-MLNX_FirmwareIdentity-iq0"},
    {"MLNX_SoftwareIdentity", "09-cimcli-ei-MLNX_SoftwareIdentity-iq0"},
    {"MLNX_DiagnosticTest", "11-cimcli-ei-MLNX_DiagnosticTest-iq0"},
    {"MLNX_AvailableDiagnosticService", "13-cimcli-ei-MLNX_AvailableDiagnosticService-iq0"},
    {"MLNX_DiagnosticCompletionRecord", "15-cimcli-ei-MLNX_DiagnosticCompletionRecord-iq0"},
};

void PrintTo(const Recording& recording, std::ostream* out)
{
    *out << recording.className;
}

std::string utf8(const String& text)
{
    return std::string(static_cast<const char*>(text.getCString()));
}

// The listing in the format of the reference program:
//   <path>
//     Name [type[], null] = <value text>
std::vector<std::string> listing(const std::vector<CIMInstance>& instances)
{
    std::vector<std::string> lines;
    for (const CIMInstance& instance : instances)
    {
        lines.push_back(utf8(instance.getPath().toString()));
        for (Uint32 i = 0; i < instance.getPropertyCount(); i++)
        {
            CIMConstProperty property = instance.getProperty(i);
            const CIMValue& value = property.getValue();
            std::string line = "  " + utf8(property.getName().getString()) + " [" +
                cimTypeToString(value.getType()) + (value.isArray() ? "[]" : "") +
                (value.isNull() ? ", null" : "") + "] = <" + utf8(value.toString()) + ">";
            lines.push_back(line);
        }
    }
    return lines;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

class ToStringVectors : public ::testing::TestWithParam<Recording>
{
};

TEST_P(ToStringVectors, EveryPropertyRendersAsOpenPegasusPrintedIt)
{
    const Recording& recording = GetParam();
    std::string expectedPath = vectors + "/cimclient-tostring/" + recording.className + ".txt";
    std::string responsePath = vectors + "/" + recording.exchange + "/response.http";
    std::vector<std::string> expected;
    std::vector<CIMInstance> instances;
    try
    {
        expected = linesOf(recorded::readFile(expectedPath));
        instances = recorded::readInstances(recorded::httpBody(recorded::readFile(responsePath)));
    }
    catch (const std::exception& e)
    {
        GTEST_SKIP() << "recorded vectors not available: " << e.what();
    }

    std::vector<std::string> actual = listing(instances);
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(actual.size(), expected.size()) << "line count for " << recording.className;
    for (size_t i = 0; i < expected.size(); i++)
        EXPECT_EQ(actual[i], expected[i]) << recording.className << ".txt line " << (i + 1);
}

INSTANTIATE_TEST_SUITE_P(
    RecordedEnumerations,
    ToStringVectors,
    ::testing::ValuesIn(recordings),
    [](const ::testing::TestParamInfo<Recording>& info) {
        return std::string(info.param.className);
    });

}  // namespace
