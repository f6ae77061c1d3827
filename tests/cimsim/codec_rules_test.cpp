// Text rules of the codec that clients depend on: OpenPegasus's escaping and the
// object path text form.

#include "model/object_path.h"
#include "wire/xml_escape.h"

#include <gtest/gtest.h>

using namespace mlnx_cimsim;

namespace {

TEST(XmlEscape, BlanksThatXmlWouldCollapseBecomeReferences) {
    EXPECT_EQ(escaped(" a"), "&#32;a");
    EXPECT_EQ(escaped("a "), "a&#32;");
    EXPECT_EQ(escaped("a  b"), "a &#32;b");
    EXPECT_EQ(escaped("   Defines"), "&#32; &#32;Defines");
    EXPECT_EQ(escaped("a b"), "a b");
}

TEST(XmlEscape, EntitiesControlCharactersAndUtf8) {
    EXPECT_EQ(escaped("<a & \"b\" 'c'>"), "&lt;a &amp; &quot;b&quot; &apos;c&apos;&gt;");
    EXPECT_EQ(escaped("x\ny\tz\x0b"), "x&#10;y&#9;z&#11;");
    EXPECT_EQ(escaped("r\xc3\xa9seau"), "r\xc3\xa9seau");
}

TEST(ObjectPath, ParsesTheTextFormWithEscapesAndSortsKeys) {
    ObjectPath path = parseObjectPath(
        "root/cimv2:MLNX_PCIDevice.SystemName=\"h\\\"q\",DeviceID=\"0000:03:00.0\",Number=5,Flag=true");
    EXPECT_EQ(path.nameSpace, "root/cimv2");
    EXPECT_EQ(path.className, "MLNX_PCIDevice");
    ASSERT_EQ(path.keys.size(), 4u);
    EXPECT_EQ(path.keys[0].name, "DeviceID");
    EXPECT_EQ(path.keys[1].name, "Flag");
    EXPECT_EQ(path.keys[1].valueType, "boolean");
    EXPECT_EQ(path.keys[2].valueType, "numeric");
    EXPECT_EQ(path.keys[3].text, "h\"q");
    EXPECT_EQ(parseObjectPath(path.toString()).toString(), path.toString());
}

TEST(ObjectPath, SameInstanceIgnoresCaseOfNamesButNotOfValues) {
    ObjectPath a = parseObjectPath("MLNX_IBPort.DeviceID=\"mlx5_0:1\",SystemName=\"h\"");
    ObjectPath b = parseObjectPath("mlnx_ibport.systemname=\"h\",deviceid=\"mlx5_0:1\"");
    ObjectPath c = parseObjectPath("MLNX_IBPort.DeviceID=\"MLX5_0:1\",SystemName=\"h\"");
    EXPECT_TRUE(a.sameInstance(b));
    EXPECT_FALSE(a.sameInstance(c));
    EXPECT_THROW(parseObjectPath("Class.Key=\"open"), std::invalid_argument);
}

}  // namespace
