// CIMName and CIMNamespaceName: what is a legal name, and names compare
// without regard to case.
#include <gtest/gtest.h>

#include <string>

#include <Pegasus/Common/CIMName.h>

using namespace Pegasus;

namespace {

std::string utf8(const String& text)
{
    return std::string(static_cast<const char*>(text.getCString()));
}

TEST(CIMNameTest, LegalNames)
{
    EXPECT_TRUE(CIMName::legal("MLNX_PCIDevice"));
    EXPECT_TRUE(CIMName::legal("_x1"));
    EXPECT_TRUE(CIMName::legal("r\xC3\xA9seau"));
    EXPECT_FALSE(CIMName::legal(""));
    EXPECT_FALSE(CIMName::legal("1abc"));
    EXPECT_FALSE(CIMName::legal("a b"));
    EXPECT_FALSE(CIMName::legal("a-b"));
    EXPECT_FALSE(CIMName::legal("Class.Key"));
}

TEST(CIMNameTest, IllegalNameThrowsNamingIt)
{
    try
    {
        CIMName name("Bad Name");
        FAIL() << "accepted";
    }
    catch (const InvalidNameException& e)
    {
        EXPECT_EQ(utf8(e.getMessage()), "The CIM name is not valid: Bad Name");
    }
    CIMName name;
    EXPECT_THROW(name = String("9"), InvalidNameException);
    EXPECT_TRUE(name.isNull());
}

TEST(CIMNameTest, ComparesWithoutCase)
{
    CIMName name("DeviceID");
    EXPECT_TRUE(name.equal(CIMName("deviceid")));
    EXPECT_TRUE(name == "DEVICEID");
    EXPECT_TRUE("deviceId" == name);
    EXPECT_TRUE(name != CIMName("Device"));
    EXPECT_EQ(name.getString(), "DeviceID");
    EXPECT_FALSE(name.isNull());
    name.clear();
    EXPECT_TRUE(name.isNull());
    EXPECT_TRUE(CIMName() == CIMName());
}

TEST(CIMNamespaceNameTest, LeadingSlashIsDroppedAndElementsChecked)
{
    CIMNamespaceName name("/root/cimv2");
    EXPECT_EQ(name.getString(), "root/cimv2");
    EXPECT_TRUE(name == "ROOT/CIMV2");
    EXPECT_TRUE(name.equal("/root/cimv2"));
    EXPECT_TRUE(CIMNamespaceName::legal("root/PG_InterOp"));
    EXPECT_FALSE(CIMNamespaceName::legal("root//cimv2"));
    EXPECT_FALSE(CIMNamespaceName::legal("root/"));
    EXPECT_FALSE(CIMNamespaceName::legal("/"));
    EXPECT_FALSE(CIMNamespaceName::legal("root/2nd"));
    EXPECT_THROW(CIMNamespaceName("root/ci mv2"), InvalidNamespaceNameException);
    EXPECT_TRUE(CIMNamespaceName().isNull());
}

}  // namespace
