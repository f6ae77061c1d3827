// The text exposition format itself: escaping, UTF-8, repeated series, values.
#include <gtest/gtest.h>

#include "metrics_exposition.h"

namespace Quillet::Cli {
namespace {

TEST(MetricsExposition, LabelValuesEscapeBackslashQuoteAndLineFeed)
{
    EXPECT_EQ(EscapeLabelValue("C:\\Program Files\\\"MFT\"\nline 2"), "C:\\\\Program Files\\\\\\\"MFT\\\"\\nline 2");
    // Everything else passes as it is, braces, commas and tabs included.
    EXPECT_EQ(EscapeLabelValue("a{b=\t,}c"), "a{b=\t,}c");
    EXPECT_EQ(LabelText({{"port", "mlx5_0:1"}, {"name", "say \"hi\""}}),
              "{port=\"mlx5_0:1\",name=\"say \\\"hi\\\"\"}");
    EXPECT_EQ(LabelText({}), "");
}

TEST(MetricsExposition, BytesThatAreNotUtf8BecomeReplacementCharacters)
{
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(EscapeLabelValue("caf\xE9"), "caf" + replacement);                   // Latin-1
    EXPECT_EQ(EscapeLabelValue("\xC0\xAF"), replacement + replacement);            // overlong '/'
    EXPECT_EQ(EscapeLabelValue("\xED\xA0\x80"), replacement + replacement + replacement);  // UTF-16 surrogate
    EXPECT_EQ(EscapeLabelValue("end\xE2\x84"), "end" + replacement + replacement);  // cut short
    EXPECT_EQ(EscapeLabelValue("\xF4\x90\x80\x80"), replacement + replacement + replacement + replacement);
    // Well-formed sequences of every length stay.
    EXPECT_EQ(EscapeLabelValue("\xC3\xA9 \xE2\x84\xA2 \xF0\x9F\x94\x8C"), "\xC3\xA9 \xE2\x84\xA2 \xF0\x9F\x94\x8C");
}

TEST(MetricsExposition, EveryFamilyHasHelpAndTypeAndNoSeriesTwice)
{
    MetricsExposition exposition;
    MetricFamily& up = exposition.Gauge("quillet_mellanox_port_link_up", "1 when up.\nSecond line \\ here.");
    exposition.Gauge("quillet_mellanox_port_mtu_bytes", "MTU.");
    EXPECT_TRUE(up.Add({{"port", "a"}}, 1));
    EXPECT_TRUE(up.Add({{"port", "b"}}, 0));
    EXPECT_FALSE(up.Add({{"port", "a"}}, 0));  // the first value stays
    EXPECT_EQ(exposition.Text(),
              "# HELP quillet_mellanox_port_link_up 1 when up.\\nSecond line \\\\ here.\n"
              "# TYPE quillet_mellanox_port_link_up gauge\n"
              "quillet_mellanox_port_link_up{port=\"a\"} 1\n"
              "quillet_mellanox_port_link_up{port=\"b\"} 0\n"
              "# HELP quillet_mellanox_port_mtu_bytes MTU.\n"
              "# TYPE quillet_mellanox_port_mtu_bytes gauge\n");
}

TEST(MetricsExposition, ValuesReadBackExactlyWithoutExponentsWherePossible)
{
    EXPECT_EQ(SampleValueText(12500000000), "12500000000");
    EXPECT_EQ(SampleValueText(0), "0");
    EXPECT_EQ(SampleValueText(0.028), "0.028");
    EXPECT_EQ(SampleValueText(1796518546.3584204), "1796518546.3584204");
    EXPECT_EQ(std::stod(SampleValueText(1e300)), 1e300);
    EXPECT_EQ(SampleValueText(std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(SampleValueText(-std::numeric_limits<double>::infinity()), "-Inf");
}

}  // namespace
}  // namespace Quillet::Cli
