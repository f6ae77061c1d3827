// CIMInstance, CIMObject and CIMProperty: shared representations, property
// lookup by name without regard to case, qualifiers, and the checks on
// uninitialized handles, duplicates and type changes.
#include <gtest/gtest.h>

#include <string>

#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMPropertyList.h>

using namespace Pegasus;

namespace {

std::string utf8(const String& text)
{
    return std::string(static_cast<const char*>(text.getCString()));
}

CIMInstance portInstance()
{
    CIMInstance instance(CIMName("MLNX_IBPort"));
    instance.addProperty(CIMProperty(CIMName("DeviceID"), CIMValue(String("mlx5_0:1"))));
    instance.addProperty(CIMProperty(CIMName("PortNumber"), CIMValue(Uint16(1))));
    instance.addProperty(CIMProperty(CIMName("Speed"), CIMValue(CIMTYPE_UINT64, false)));
    return instance;
}

TEST(InstanceProperties, FindMatchesNamesWithoutCase)
{
    CIMInstance instance = portInstance();
    EXPECT_EQ(instance.findProperty(CIMName("deviceid")), 0u);
    EXPECT_EQ(instance.findProperty(CIMName("PORTNUMBER")), 1u);
    EXPECT_EQ(instance.findProperty(CIMName("Absent")), PEG_NOT_FOUND);
    EXPECT_EQ(instance.getPropertyCount(), 3u);
    EXPECT_EQ(utf8(instance.getProperty(2).getName().getString()), "Speed");

    // Latin-1 letters fold too; names hashed alike but not equal (their
    // units differ in the bit that folds letters: U+00D7 and U+00F7, which
    // are no letters) are not matched.
    instance.addProperty(CIMProperty(CIMName(String("R\xC3\x89seau\xC3\x97" "1")), CIMValue(Uint8(1))));
    EXPECT_EQ(instance.findProperty(CIMName(String("r\xC3\xA9SEAU\xC3\x97" "1"))), 3u);
    EXPECT_EQ(instance.findProperty(CIMName(String("r\xC3\xA9SEAU\xC3\xB7" "1"))), PEG_NOT_FOUND);
    EXPECT_THROW(instance.addProperty(CIMProperty(CIMName("DEVICEid"), CIMValue(Uint8(1)))),
                 AlreadyExistsException);
}

// Past a few hundred properties the list is searched through an index:
// finds, duplicates and removals must give what the plain search gives.
TEST(InstanceProperties, ManyPropertiesAreAllFound)
{
    const int count = 2000;
    CIMInstance instance(CIMName("Wide"));
    auto named = [](const char* stem, int i) {
        String name(stem);
        name.appendPrintf("%d", i);
        return CIMName(name);
    };
    for (int i = 0; i < count; i++)
        instance.addProperty(CIMProperty(named("Property", i), CIMValue(Uint32(i))));
    for (int i = count - 1; i >= 0; i--)
        ASSERT_EQ(instance.findProperty(named("PROPERTY", i)), Uint32(i));
    EXPECT_THROW(instance.addProperty(CIMProperty(named("property", 1234), CIMValue(Uint32(0)))),
                 AlreadyExistsException);
    EXPECT_EQ(instance.findProperty(CIMName("Property2000")), PEG_NOT_FOUND);

    instance.removeProperty(0);
    EXPECT_EQ(instance.findProperty(named("Property", 0)), PEG_NOT_FOUND);
    EXPECT_EQ(instance.findProperty(named("Property", count - 1)), Uint32(count - 2));
    const CIMInstance copy = instance.clone();
    EXPECT_EQ(copy.findProperty(named("Property", 300)), 299u);
}

TEST(InstanceProperties, DuplicatesAndBadIndexesAreRefused)
{
    CIMInstance instance = portInstance();
    try
    {
        instance.addProperty(CIMProperty(CIMName("DEVICEID"), CIMValue(String("x"))));
        FAIL() << "duplicate accepted";
    }
    catch (const AlreadyExistsException& e)
    {
        EXPECT_EQ(utf8(e.getMessage()), "already exists: property \"DEVICEID\"");
    }
    EXPECT_THROW(instance.getProperty(3), IndexOutOfBoundsException);
    EXPECT_THROW(instance.removeProperty(3), IndexOutOfBoundsException);
    instance.removeProperty(0);
    EXPECT_EQ(instance.findProperty(CIMName("PortNumber")), 0u);
    EXPECT_THROW(instance.addProperty(CIMProperty()), UninitializedObjectException);
}

TEST(InstanceSharing, CopiesAndObjectViewsShareOneInstance)
{
    CIMInstance instance = portInstance();
    CIMInstance copy(instance);
    CIMObject object(instance);
    object.addProperty(CIMProperty(CIMName("Added"), CIMValue(true)));
    EXPECT_EQ(copy.getPropertyCount(), 4u);
    EXPECT_TRUE(object.isInstance());

    CIMInstance back(object);
    back.getProperty(1).setValue(CIMValue(Uint16(2)));
    Uint16 port = 0;
    instance.getProperty(1).getValue().get(port);
    EXPECT_EQ(port, 2);

    CIMInstance separate = instance.clone();
    separate.getProperty(1).setValue(CIMValue(Uint16(9)));
    instance.getProperty(1).getValue().get(port);
    EXPECT_EQ(port, 2);
    EXPECT_FALSE(separate.identical(instance));
    EXPECT_TRUE(instance.clone().identical(instance));
}

TEST(InstanceSharing, PathStartsWithTheClassName)
{
    CIMInstance instance = portInstance();
    EXPECT_EQ(utf8(instance.getPath().toString()), "MLNX_IBPort");
    instance.setPath(CIMObjectPath("//vm/root/cimv2:MLNX_IBPort.DeviceID=\"mlx5_0:1\""));
    EXPECT_EQ(utf8(CIMObject(instance).getPath().toString()),
        "//vm/root/cimv2:MLNX_IBPort.DeviceID=\"mlx5_0:1\"");
}

TEST(InstanceSharing, UninitializedHandlesThrow)
{
    CIMInstance empty;
    EXPECT_TRUE(empty.isUninitialized());
    EXPECT_THROW(empty.getClassName(), UninitializedObjectException);
    EXPECT_THROW(empty.findProperty(CIMName("x")), UninitializedObjectException);
    EXPECT_THROW(CIMInstance{CIMObject()}, DynamicCastFailedException);
    EXPECT_THROW(CIMProperty().getValue(), UninitializedObjectException);
    EXPECT_THROW(CIMConstQualifier().getName(), UninitializedObjectException);
    EXPECT_THROW(CIMParamValue().getValue(), UninitializedObjectException);
}

TEST(PropertyChecks, TypeIsFixedAndContainedNamesCannotChange)
{
    CIMInstance instance = portInstance();
    CIMProperty port = instance.getProperty(1);
    EXPECT_THROW(port.setValue(CIMValue(Uint32(1))), TypeMismatchException);
    EXPECT_THROW(port.setValue(CIMValue(String("1"))), TypeMismatchException);
    EXPECT_NO_THROW(port.setValue(CIMValue(CIMTYPE_UINT16, false)));
    EXPECT_THROW(port.setName(CIMName("Renamed")), Exception);

    CIMProperty loose(CIMName("Loose"), CIMValue(true));
    loose.setName(CIMName("Renamed"));
    EXPECT_EQ(utf8(loose.getName().getString()), "Renamed");

    EXPECT_THROW(CIMProperty(CIMName("Bad"), CIMValue(true), 0, CIMName("Cls")), TypeMismatchException);
    Array<CIMObjectPath> paths;
    EXPECT_THROW(CIMProperty(CIMName("Refs"), CIMValue(paths)), TypeMismatchException);
}

TEST(PropertyChecks, ReferencePropertiesKeepTheirClass)
{
    CIMProperty reference(CIMName("UserOfService"), CIMValue(CIMObjectPath("MLNX_PCIDevice.DeviceID=\"1\"")),
        0, CIMName("MLNX_PCIDevice"), CIMName("CIM_ServiceAvailableToElement"), true);
    CIMConstProperty view(reference);
    EXPECT_EQ(view.getType(), CIMTYPE_REFERENCE);
    EXPECT_EQ(utf8(view.getReferenceClassName().getString()), "MLNX_PCIDevice");
    EXPECT_EQ(utf8(view.getClassOrigin().getString()), "CIM_ServiceAvailableToElement");
    EXPECT_TRUE(view.getPropagated());
    EXPECT_TRUE(view.identical(reference.clone()));
}

TEST(Qualifiers, FoundByNameAndCarryFlavors)
{
    CIMProperty state(CIMName("EnabledState"), CIMValue(Uint16(2)));
    Array<String> map;
    map.append("0");
    map.append("2");
    Array<String> values;
    values.append("Unknown");
    values.append("Enabled");
    state.addQualifier(CIMQualifier(CIMName("ValueMap"), CIMValue(map)));
    state.addQualifier(CIMQualifier(CIMName("Values"), CIMValue(values),
        CIMFlavor::TRANSLATABLE + CIMFlavor::TOSUBCLASS, true));
    EXPECT_THROW(state.addQualifier(CIMQualifier(CIMName("VALUES"), CIMValue(true))),
        AlreadyExistsException);

    const CIMProperty& view = state;
    Uint32 index = view.findQualifier(CIMName("values"));
    ASSERT_EQ(index, 1u);
    CIMConstQualifier qualifier = view.getQualifier(index);
    EXPECT_TRUE(qualifier.isArray());
    EXPECT_TRUE(qualifier.getFlavor().hasFlavor(CIMFlavor::TRANSLATABLE));
    EXPECT_FALSE(qualifier.getFlavor().hasFlavor(CIMFlavor::OVERRIDABLE));
    EXPECT_EQ(qualifier.getPropagated(), 1u);
    Array<String> read;
    qualifier.getValue().get(read);
    EXPECT_EQ(read[1], "Enabled");
    EXPECT_THROW(read[2], IndexOutOfBoundsException);
    EXPECT_THROW(view.getQualifier(2), IndexOutOfBoundsException);
    EXPECT_EQ(view.findQualifier(CIMName("Description")), PEG_NOT_FOUND);

    CIMInstance instance(CIMName("Cls"));
    instance.addQualifier(CIMQualifier(CIMName("Description"), CIMValue(String("d")), CIMFlavor::DEFAULTS));
    EXPECT_EQ(instance.findQualifier(CIMName("description")), 0u);
    EXPECT_EQ(utf8(instance.getQualifier(0).getFlavor().toString()), "OVERRIDABLE TOSUBCLASS");
}

TEST(ParamValues, NameValueAndTyping)
{
    CIMParamValue parameter("ManagedElement", CIMValue(CIMObjectPath("Cls.k=1")), true);
    EXPECT_EQ(parameter.getParameterName(), "ManagedElement");
    EXPECT_TRUE(parameter.isTyped());
    EXPECT_EQ(parameter.getValue().getType(), CIMTYPE_REFERENCE);
    CIMParamValue shared(parameter);
    shared.setIsTyped(false);
    EXPECT_FALSE(parameter.isTyped());
    EXPECT_TRUE(parameter.clone().isTyped() == false);
    EXPECT_THROW(CIMParamValue("", CIMValue(true)), UninitializedObjectException);
}

TEST(PropertyLists, NullEmptyAndListed)
{
    CIMPropertyList all;
    EXPECT_TRUE(all.isNull());
    EXPECT_TRUE(all.useThisProperty(CIMName("Any")));
    EXPECT_EQ(utf8(all.toString()), "NULL");

    CIMPropertyList none{Array<CIMName>()};
    EXPECT_FALSE(none.isNull());
    EXPECT_EQ(none.size(), 0u);
    EXPECT_FALSE(none.useThisProperty(CIMName("Any")));

    Array<CIMName> names;
    names.append(CIMName("Name"));
    names.append(CIMName("DeviceID"));
    CIMPropertyList some(names);
    EXPECT_TRUE(some.contains(CIMName("deviceid")));
    EXPECT_EQ(utf8(some[1].getString()), "DeviceID");
    EXPECT_THROW(some[2], IndexOutOfBoundsException);
    EXPECT_EQ(utf8(some.toString()), "Name, DeviceID");
    names.append(CIMName());
    EXPECT_THROW(CIMPropertyList{names}, UninitializedObjectException);
    some.clear();
    EXPECT_TRUE(some.isNull());
}

}  // namespace
