// CIMObjectPath and CIMKeyBinding: parsing the text form, the canonical
// key order, quoting and escaping in toString(), and comparisons.
#include <gtest/gtest.h>

#include <string>

#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMValue.h>

using namespace Pegasus;

namespace {

std::string utf8(const String& text)
{
    return std::string(static_cast<const char*>(text.getCString()));
}

TEST(ObjectPathParse, FullPathWithHostNamespaceAndKeys)
{
    CIMObjectPath path(
        "//vm:5988/root/cimv2:MLNX_IBPort.SystemName=\"testhost.example.com\","
        "DeviceID=\"mlx5_0:1\",PortNumber=1,Enabled=true");
    EXPECT_EQ(path.getHost(), "vm:5988");
    EXPECT_EQ(path.getNameSpace().getString(), "root/cimv2");
    EXPECT_EQ(path.getClassName().getString(), "MLNX_IBPort");
    const Array<CIMKeyBinding>& keys = path.getKeyBindings();
    ASSERT_EQ(keys.size(), 4u);
    // Sorted by name without regard to case.
    EXPECT_EQ(keys[0].getName().getString(), "DeviceID");
    EXPECT_EQ(keys[1].getName().getString(), "Enabled");
    EXPECT_EQ(keys[1].getType(), CIMKeyBinding::BOOLEAN);
    EXPECT_EQ(keys[1].getValue(), "TRUE");
    EXPECT_EQ(keys[2].getType(), CIMKeyBinding::NUMERIC);
    EXPECT_EQ(keys[3].getValue(), "testhost.example.com");
    EXPECT_EQ(utf8(path.toString()),
        "//vm:5988/root/cimv2:MLNX_IBPort.DeviceID=\"mlx5_0:1\",Enabled=TRUE,"
        "PortNumber=1,SystemName=\"testhost.example.com\"");
}

TEST(ObjectPathParse, ColonsInKeyValuesAreNotNamespaceDelimiters)
{
    CIMObjectPath path("MLNX_PCIDevice.DeviceID=\"0000:03:00.0\"");
    EXPECT_TRUE(path.getNameSpace().isNull());
    EXPECT_EQ(path.getKeyBindings()[0].getValue(), "0000:03:00.0");
    EXPECT_EQ(utf8(CIMObjectPath("root/cimv2:Cls").toString()), "root/cimv2:Cls");
    EXPECT_EQ(utf8(CIMObjectPath("Cls").toString()), "Cls");
}

TEST(ObjectPathParse, MalformedPathsAreRejected)
{
    const char* bad[] = {
        "//vm",                        // no slash after host
        "//vm/Cls.k=1",                // host without namespace
        "//bad host/root:Cls",
        "root/ci mv2:Cls",
        "1Cls.k=1",
        "Cls.k",                       // no equal sign
        "Cls.k=\"open",                // missing closing quote
        "Cls.k=\"a\\b\"",              // backslash escapes only \\ and \"
        "Cls.k=maybe",
        "Cls.k=12x",
        "Cls.k=1;j=2",
        "Cls.k=1,",
        "Cls.1k=1",
    };
    for (const char* text : bad)
    {
        try
        {
            CIMObjectPath path{String(text)};
            ADD_FAILURE() << "accepted " << text;
        }
        catch (const MalformedObjectNameException& e)
        {
            EXPECT_EQ(utf8(e.getMessage()).rfind("malformed object name: " + std::string(text), 0), 0u)
                << utf8(e.getMessage());
        }
    }
}

TEST(ObjectPathParse, NulInsideANumberIsRejected)
{
    // The number check once stopped at the NUL and accepted the rest.
    const char text[] = "Cls.k=0\0\x1F";
    EXPECT_THROW(CIMObjectPath(String(text, sizeof(text) - 1)), MalformedObjectNameException);
    const char trailing[] = "Cls.k=12\0";
    EXPECT_THROW(CIMObjectPath(String(trailing, sizeof(trailing) - 1)), MalformedObjectNameException);
}

TEST(ObjectPathText, FourteenKeysRenderAndParseBack)
{
    Array<CIMKeyBinding> keys;
    for (int i = 0; i < 14; i++)
    {
        std::string name = "Key" + std::to_string(10 + i);
        keys.append(CIMKeyBinding(name.c_str(), std::to_string(i).c_str(), CIMKeyBinding::NUMERIC));
    }
    CIMObjectPath path(String(), CIMNamespaceName("root/cimv2"), "Cls", keys);
    std::string text = utf8(path.toString());
    EXPECT_EQ(text.rfind("root/cimv2:Cls.Key10=0,Key11=1,", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 9), ",Key23=13") << text;
    CIMObjectPath back{String(text.c_str())};
    EXPECT_EQ(back.getKeyBindings().size(), 14u);
    EXPECT_TRUE(back == path);
}

TEST(ObjectPathText, QuotesAndBackslashesAreEscapedAndParsedBack)
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Description", "say \"hi\" \\ bye", CIMKeyBinding::STRING));
    CIMObjectPath path(String(), CIMNamespaceName(), "Cls", keys);
    std::string text = utf8(path.toString());
    EXPECT_EQ(text, "Cls.Description=\"say \\\"hi\\\" \\\\ bye\"");
    CIMObjectPath back{String(text.c_str())};
    EXPECT_EQ(back.getKeyBindings()[0].getValue(), "say \"hi\" \\ bye");
    EXPECT_TRUE(back == path);
}

TEST(ObjectPathText, ReferenceKeysNestWithEscapedQuotes)
{
    // The association path of the recorded MLNX_AvailableDiagnosticService.
    CIMObjectPath service(
        "MLNX_DiagnosticTest.SystemName=\"testhost.example.com\",Name=\"MLNX_PCIeLinkTest\","
        "SystemCreationClassName=\"CIM_ComputerSystem\",CreationClassName=\"MLNX_DiagnosticTest\"");
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("UserOfService",
        "MLNX_PCIDevice.DeviceID=\"0000:03:00.0\",CreationClassName=\"MLNX_PCIDevice\"",
        CIMKeyBinding::REFERENCE));
    keys.append(CIMKeyBinding("ServiceProvided", CIMValue(service)));
    CIMObjectPath association(String(), CIMNamespaceName(), "MLNX_AvailableDiagnosticService", keys);
    EXPECT_EQ(utf8(association.toString()),
        "MLNX_AvailableDiagnosticService.ServiceProvided=\"MLNX_DiagnosticTest."
        "CreationClassName=\\\"MLNX_DiagnosticTest\\\",Name=\\\"MLNX_PCIeLinkTest\\\","
        "SystemCreationClassName=\\\"CIM_ComputerSystem\\\",SystemName=\\\"testhost.example.com\\\"\","
        "UserOfService=\"MLNX_PCIDevice.CreationClassName=\\\"MLNX_PCIDevice\\\","
        "DeviceID=\\\"0000:03:00.0\\\"\"");

    CIMObjectPath parsed(association.toString());
    ASSERT_EQ(parsed.getKeyBindings().size(), 2u);
    EXPECT_EQ(parsed.getKeyBindings()[0].getType(), CIMKeyBinding::REFERENCE);
    EXPECT_TRUE(CIMObjectPath(parsed.getKeyBindings()[0].getValue()) == service);
    // A quoted value that merely contains '=' stays a string.
    EXPECT_EQ(CIMObjectPath("Cls.k=\"a=b\"").getKeyBindings()[0].getType(), CIMKeyBinding::STRING);
}

TEST(ObjectPathCompare, NamesWithoutCaseAndNumbersByValue)
{
    CIMObjectPath a("//VM/Root/CIMV2:Cls.Key=\"v\",N=16");
    CIMObjectPath b("//vm/root/cimv2:CLS.key=\"v\",n=0x10");
    EXPECT_TRUE(a == b);
    EXPECT_EQ(a.makeHashCode(), b.makeHashCode());
    EXPECT_TRUE(a != CIMObjectPath("//vm/root/cimv2:Cls.Key=\"V\",N=16"));
    EXPECT_TRUE(CIMObjectPath() == CIMObjectPath());
}

TEST(ObjectPathEdit, SettersCopyOnWriteAndCheckHosts)
{
    CIMObjectPath original("Cls.k=1");
    CIMObjectPath copy(original);
    copy.setHost("server.example.com:5989");
    copy.setNameSpace("root/cimv2");
    EXPECT_EQ(utf8(original.toString()), "Cls.k=1");
    EXPECT_EQ(utf8(copy.toString()), "//server.example.com:5989/root/cimv2:Cls.k=1");
    EXPECT_NO_THROW(copy.setHost("[fe80::1]:5989"));
    EXPECT_NO_THROW(copy.setHost("127.0.0.1"));
    EXPECT_THROW(copy.setHost("bad host"), MalformedObjectNameException);
    EXPECT_THROW(copy.setHost("host:99999"), MalformedObjectNameException);
    copy.clear();
    EXPECT_EQ(utf8(copy.toString()), "");
}

TEST(KeyBindingTest, FromValuesAndEqualityWithValues)
{
    CIMKeyBinding flag("Enabled", CIMValue(true));
    EXPECT_EQ(flag.getType(), CIMKeyBinding::BOOLEAN);
    EXPECT_EQ(flag.getValue(), "TRUE");
    CIMKeyBinding number("Port", CIMValue(Uint16(5988)));
    EXPECT_EQ(number.getType(), CIMKeyBinding::NUMERIC);
    EXPECT_TRUE(number.equal(CIMValue(Uint16(5988))));
    EXPECT_FALSE(number.equal(CIMValue(Uint16(5989))));
    EXPECT_FALSE(number.equal(CIMValue(String("5988"))));
    CIMKeyBinding when("When", CIMValue(CIMDateTime("20240115103000.123456+060")));
    EXPECT_EQ(when.getType(), CIMKeyBinding::STRING);
    EXPECT_TRUE(when.equal(CIMValue(CIMDateTime("20240115093000.123456+000"))));
    EXPECT_THROW(CIMKeyBinding("List", CIMValue(Array<Uint8>())), TypeMismatchException);
    EXPECT_TRUE(CIMKeyBinding("k", "0x1F", CIMKeyBinding::NUMERIC) ==
        CIMKeyBinding("K", "31", CIMKeyBinding::NUMERIC));
    EXPECT_FALSE(CIMKeyBinding("k", "1", CIMKeyBinding::NUMERIC) ==
        CIMKeyBinding("k", "1", CIMKeyBinding::STRING));
}

}  // namespace
