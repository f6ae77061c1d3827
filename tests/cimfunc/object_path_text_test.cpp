// Key bindings and the Name/DeviceID keys inside object-path text.
#include <gtest/gtest.h>


#include "cimfunc.h"
#include "log.h"

namespace {

Pegasus::Array<Pegasus::CIMKeyBinding> Bindings()
{
    Pegasus::Array<Pegasus::CIMKeyBinding> bindings;
    bindings.append(Pegasus::CIMKeyBinding(Pegasus::CIMName("SystemName"), "host1", Pegasus::CIMKeyBinding::STRING));
    bindings.append(Pegasus::CIMKeyBinding(Pegasus::CIMName("DeviceID"), "mt4125_pciconf0",
                                           Pegasus::CIMKeyBinding::STRING));
    bindings.append(Pegasus::CIMKeyBinding(Pegasus::CIMName("deviceid"), "lower", Pegasus::CIMKeyBinding::STRING));
    return bindings;
}

std::string Text(const Pegasus::String& text)
{
    return std::string(text.getCString());
}

TEST(GetKeyValue, ReturnsTheFirstBindingWithExactlyThatName)
{
    Quillet::LogCapture capture(4);
    EXPECT_EQ(Text(CimFunc::GetKeyValue(Bindings(), "DeviceID")), "mt4125_pciconf0");
    EXPECT_EQ(capture.Count(4, "Key value of DeviceID is mt4125_pciconf0"), 1u);
    EXPECT_EQ(Text(CimFunc::GetKeyValue(Bindings(), "deviceid")), "lower");
}

TEST(GetKeyValue, IgnoresBindingsThatDifferInCaseOnly)
{
    Quillet::LogCapture capture(4);
    EXPECT_EQ(Text(CimFunc::GetKeyValue(Bindings(), "SYSTEMNAME")), "");
    EXPECT_EQ(Text(CimFunc::GetKeyValue(Pegasus::Array<Pegasus::CIMKeyBinding>(), "Name")), "");
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(PathMarkers, NameValueKeepsItsBlanks)
{
    const std::string path =
        "//host1/root/cimv2:MLNX_DiagnosticTest.CreationClassName=\"MLNX_DiagnosticTest\",Name=\"Link Test\","
        "SystemName=\"host1\"";
    EXPECT_EQ(CimFunc::GetNameFromPath(path), "Link Test");
}

TEST(PathMarkers, EmptyDeviceIdReadsAsEmptyText)
{
    EXPECT_EQ(CimFunc::GetDeviceIdFromPath("MLNX_PCIDevice.CreationClassName=\"MLNX_PCIDevice\",DeviceID=\"\","
                                           "SystemName=\"host1\""),
              "");
    EXPECT_EQ(CimFunc::GetDeviceIdFromPath("MLNX_PCIDevice.CreationClassName=\"MLNX_PCIDevice\","
                                           "DeviceID=\"mt4125_pciconf0\""),
              "mt4125_pciconf0");
}

TEST(PathMarkers, KeyMustFollowAnotherKey)
{
    EXPECT_EQ(CimFunc::GetNameFromPath("MLNX_DiagnosticTest.Name=\"Link Test\""), "");
    EXPECT_EQ(CimFunc::GetDeviceIdFromPath("MLNX_PCIDevice.DeviceID=\"dev0\",SystemName=\"h\""), "");
    // Matching is case-sensitive.
    EXPECT_EQ(CimFunc::GetNameFromPath("X.A=\"1\",name=\"n\""), "");
    // ",SystemName=" does not contain the Name marker: the comma must come right before it.
    EXPECT_EQ(CimFunc::GetNameFromPath("X.A=\"1\",SystemName=\"s\",Name=\"n\""), "n");
}

TEST(PathMarkers, ValueRunsToTheNextQuoteOrTheEnd)
{
    // No escapes are interpreted: an escaped quote ends the value.
    EXPECT_EQ(CimFunc::GetNameFromPath("X.A=\"1\",Name=\"say \\\"hi\\\"\""), "say \\");
    EXPECT_EQ(CimFunc::GetDeviceIdFromPath("X.A=\"1\",DeviceID=\"unterminated"), "unterminated");
}

}  // namespace
