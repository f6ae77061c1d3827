#include <gtest/gtest.h>

#include "opn_logging.h"

namespace {

int g_built = 0;
std::string Expensive()
{
    ++g_built;
    return "text";
}

TEST(OpnLogging, SuppressedMessageBuildsNoText)
{
    Quillet::LogCapture capture(2);
    g_built = 0;
    OPN_LOG(4) << Expensive();
    EXPECT_EQ(g_built, 0);
    EXPECT_TRUE(capture.Records().empty());
    OPN_LOG(2) << Expensive();
    EXPECT_EQ(g_built, 1);
    EXPECT_EQ(capture.Count(2, "text"), 1u);
}

TEST(OpnLogging, MacroIsSafeInsideIfElse)
{
    Quillet::LogCapture capture(4);
    bool flag = false;
    if (flag)
        OPN_LOG(1) << "then";
    else
        OPN_LOG(1) << "else";
    EXPECT_EQ(capture.Messages(), std::vector<std::string>{"else"});
}

TEST(OpnLogging, SoftwareIdentityDumpWritesFifteenLabelledLines)
{
    Quillet::LogCapture capture(4);
    Quillet::QLOptions::SoftwareIdentity_ identity;
    identity.description = "Mellanox Firmware Tools";
    identity.identity_info_type = "type";
    identity.reserved_text_1 = "never logged";
    Quillet::QLOptions::LogSoftwareIdentity(identity);
    const std::vector<std::string> lines = capture.Messages(4);
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines.front(), "SoftwareIdentity.description = Mellanox Firmware Tools");
    EXPECT_EQ(lines[2], "SoftwareIdentity.product_name = ");
    EXPECT_EQ(lines.back(), "SoftwareIdentity.identity_info_type = type");
    EXPECT_FALSE(capture.AnyContains("never logged"));
}

TEST(OpnLogging, SoftwareIdentityDumpIsSilentBelowLevelFour)
{
    Quillet::LogCapture capture(3);
    Quillet::QLOptions::LogSoftwareIdentity(Quillet::QLOptions::SoftwareIdentity_());
    EXPECT_TRUE(capture.Records().empty());
}

}  // namespace
