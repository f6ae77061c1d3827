// Property extraction on instances and objects built in memory.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMObjectPath.h>

#include "cim_values.h"
#include "cimfunc.h"
#include "log.h"
#include "log_assertions.h"

using CimValues::MappedProperty;
using CimValues::StringProperty;
using CimValues::Strings;

using CimFuncTesting::CountStartingWith;

namespace {

const char* const kInstanceFailure = "Get properties from CIM instance failed with the reason: ";
const char* const kObjectFailure = "Get properties from CIM object failed with the reason: ";

Pegasus::CIMInstance MakeInstance()
{
    Pegasus::CIMInstance instance(Pegasus::CIMName("Test_Element"));
    instance.setPath(Pegasus::CIMObjectPath("Test_Element.CreationClassName=\"Test_Element\",DeviceID=\"dev0\""));
    return instance;
}

std::string ReadOne(const Pegasus::CIMProperty& property)
{
    Pegasus::CIMInstance instance = MakeInstance();
    instance.addProperty(property);
    PropertyMap properties = {{std::string(property.getName().getString().getCString()), ""}};
    CimFunc::GetProperties(instance, properties);
    return properties.begin()->second;
}

TEST(PropertyExtraction, FillsPresentKeysAndLeavesMissingOnesEmpty)
{
    Quillet::LogCapture capture(4);
    Pegasus::CIMInstance instance = MakeInstance();
    instance.addProperty(StringProperty("Alpha", "first"));
    instance.addProperty(StringProperty("Beta", "second"));
    PropertyMap properties = {{"Alpha", ""}, {"Beta", ""}, {"Gamma", ""}};

    CimFunc::GetProperties(instance, properties);

    EXPECT_EQ(properties.size(), 3u);
    EXPECT_EQ(properties["Alpha"], "first");
    EXPECT_EQ(properties["Beta"], "second");
    EXPECT_EQ(properties["Gamma"], "");
    EXPECT_EQ(capture.Count(2, "Property Gamma is not found!"), 1u);
    EXPECT_EQ(capture.Messages(2).size(), 1u);
    EXPECT_EQ(capture.Messages(1).size(), 0u);
}

TEST(PropertyExtraction, LooksPropertiesUpWithoutRegardToCaseButKeepsTheCallersKey)
{
    Pegasus::CIMInstance instance = MakeInstance();
    instance.addProperty(StringProperty("ElementName", "adapter"));
    PropertyMap properties = {{"elementname", ""}};

    CimFunc::GetProperties(instance, properties);

    ASSERT_EQ(properties.size(), 1u);
    EXPECT_EQ(properties["elementname"], "adapter");
}

TEST(PropertyExtraction, TrimsTheSixWhitespaceCharactersButNotInnerBlanks)
{
    EXPECT_EQ(ReadOne(StringProperty("Caption", "  ConnectX 6 Dx\r\n")), "ConnectX 6 Dx");
    EXPECT_EQ(ReadOne(StringProperty("Caption", "\v\f\tvalue \t\v\f")), "value");
}

TEST(PropertyExtraction, NullValueReadsAsEmptyText)
{
    Pegasus::CIMProperty property(Pegasus::CIMName("Caption"), Pegasus::CIMValue(Pegasus::CIMTYPE_STRING, false));
    EXPECT_EQ(ReadOne(property), "");
}

TEST(PropertyExtraction, TranslatesThroughValueMapAndValues)
{
    EXPECT_EQ(ReadOne(MappedProperty("HealthState", 2, {"0", "1", "2"}, {"Unknown", "Other", "OK"})), "OK");
    EXPECT_EQ(ReadOne(MappedProperty("HealthState", 0, {"0", "1", "2"}, {"Unknown", "Other", "OK"})), "Unknown");
}

TEST(PropertyExtraction, ValueOutsideTheMapReadsAsEmptyText)
{
    EXPECT_EQ(ReadOne(MappedProperty("HealthState", 5, {"0", "1", "2"}, {"Unknown", "Other", "OK"})), "");
    // Ranges are not expanded: "3..9" matches only that very text.
    EXPECT_EQ(ReadOne(MappedProperty("HealthState", 5, {"0", "3..9"}, {"Unknown", "Reserved"})), "");
}

TEST(PropertyExtraction, MapEntriesAreNotTrimmedBeforeComparison)
{
    EXPECT_EQ(ReadOne(MappedProperty("HealthState", 2, {" 2"}, {"OK"})), "");
}

TEST(PropertyExtraction, TranslatedTextIsNotTrimmed)
{
    EXPECT_EQ(ReadOne(MappedProperty("HealthState", 1, {"1"}, {" Padded "})), " Padded ");
}

TEST(PropertyExtraction, ValuesShorterThanTheMapFailsThatPropertyOnly)
{
    Quillet::LogCapture capture(1);
    Pegasus::CIMInstance instance = MakeInstance();
    instance.addProperty(MappedProperty("HealthState", 1, {"0", "1"}, {"Unknown"}));
    instance.addProperty(StringProperty("Name", "port1"));
    PropertyMap properties = {{"HealthState", "preset"}, {"Name", ""}};

    CimFunc::GetProperties(instance, properties);

    EXPECT_EQ(properties["HealthState"], "preset");
    EXPECT_EQ(properties["Name"], "port1");
    EXPECT_EQ(CountStartingWith(capture, 1, kInstanceFailure), 1u);
    EXPECT_EQ(capture.Messages().size(), 1u);
}

TEST(PropertyExtraction, EmptyValuesListFailsWithTheObjectWordingOnObjects)
{
    Quillet::LogCapture capture(1);
    Pegasus::CIMInstance instance = MakeInstance();
    instance.addProperty(MappedProperty("HealthState", 0, {"0"}, {}));
    PropertyMap properties = {{"HealthState", "preset"}};

    CimFunc::GetProperties(Pegasus::CIMObject(instance), properties);

    EXPECT_EQ(properties["HealthState"], "preset");
    EXPECT_EQ(CountStartingWith(capture, 1, kObjectFailure), 1u);
}

TEST(PropertyExtraction, OneQualifierAloneGivesThePlainValue)
{
    Pegasus::CIMProperty valuesOnly(Pegasus::CIMName("HealthState"), Pegasus::CIMValue(Pegasus::Uint16(2)));
    valuesOnly.addQualifier(Pegasus::CIMQualifier(Pegasus::CIMName("Values"), Pegasus::CIMValue(Strings({"A", "B"}))));
    EXPECT_EQ(ReadOne(valuesOnly), "2");

    Pegasus::CIMProperty mapOnly(Pegasus::CIMName("HealthState"), Pegasus::CIMValue(Pegasus::Uint16(2)));
    mapOnly.addQualifier(Pegasus::CIMQualifier(Pegasus::CIMName("ValueMap"), Pegasus::CIMValue(Strings({"2"}))));
    EXPECT_EQ(ReadOne(mapOnly), "2");
}

TEST(PropertyExtraction, ScalarQualifierGivesEmptyTextWithoutFailure)
{
    Quillet::LogCapture capture(1);
    Pegasus::CIMProperty property(Pegasus::CIMName("HealthState"), Pegasus::CIMValue(Pegasus::Uint16(2)));
    property.addQualifier(Pegasus::CIMQualifier(Pegasus::CIMName("ValueMap"), Pegasus::CIMValue(Pegasus::String("2"))));
    property.addQualifier(Pegasus::CIMQualifier(Pegasus::CIMName("Values"), Pegasus::CIMValue(Strings({"OK"}))));

    EXPECT_EQ(ReadOne(property), "");
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(PropertyExtraction, ArrayValueIsComparedAsItsWholeRenderedText)
{
    Pegasus::Array<Pegasus::Uint16> one;
    one.append(2);
    Pegasus::CIMProperty single(Pegasus::CIMName("OperationalStatus"), Pegasus::CIMValue(one));
    single.addQualifier(Pegasus::CIMQualifier(Pegasus::CIMName("ValueMap"), Pegasus::CIMValue(Strings({"2"}))));
    single.addQualifier(Pegasus::CIMQualifier(Pegasus::CIMName("Values"), Pegasus::CIMValue(Strings({"OK"}))));
    EXPECT_EQ(ReadOne(single), "OK");

    Pegasus::Array<Pegasus::Uint16> two = one;
    two.append(3);
    Pegasus::CIMProperty pair(Pegasus::CIMName("OperationalStatus"), Pegasus::CIMValue(two));
    pair.addQualifier(Pegasus::CIMQualifier(Pegasus::CIMName("ValueMap"), Pegasus::CIMValue(Strings({"2", "3"}))));
    pair.addQualifier(Pegasus::CIMQualifier(Pegasus::CIMName("Values"), Pegasus::CIMValue(Strings({"OK", "Bad"}))));
    EXPECT_EQ(ReadOne(pair), "");
}

TEST(PropertyExtraction, ArrayWithoutMapsReadsAsTrimmedRenderedText)
{
    Pegasus::CIMProperty property(Pegasus::CIMName("Classifications"), Pegasus::CIMValue(Strings({"10", "11"})));
    const std::string text = ReadOne(property);
    EXPECT_EQ(text, CimFunc::Trim(std::string(property.getValue().toString().getCString())));
    EXPECT_NE(text.find("10"), std::string::npos);
    EXPECT_NE(text.find("11"), std::string::npos);
}

TEST(PropertyExtraction, TracesValueMapWalkAtLevelFour)
{
    Quillet::LogCapture capture(4);
    Pegasus::CIMInstance instance = MakeInstance();
    instance.addProperty(MappedProperty("HealthState", 1, {"0", "1"}, {"Unknown", "Other"}));
    PropertyMap properties = {{"HealthState", ""}};

    CimFunc::GetProperties(instance, properties);

    const std::string heading = "Showing properties for " + std::string(instance.getPath().toString().getCString());
    EXPECT_EQ(capture.Count(4, heading), 1u);
    EXPECT_EQ(capture.Count(4, " processing value maps ..."), 1u);
    EXPECT_EQ(capture.Count(4, "_0-1_"), 1u);
    EXPECT_EQ(capture.Count(4, "_1-1_"), 1u);
    EXPECT_EQ(capture.Count(4, "HealthState = Other with raw data (1)"), 1u);
}

TEST(PropertyExtraction, WritesNoTraceBelowLevelFour)
{
    Quillet::LogCapture capture(3);
    Pegasus::CIMInstance instance = MakeInstance();
    instance.addProperty(MappedProperty("HealthState", 1, {"0", "1"}, {"Unknown", "Other"}));
    PropertyMap properties = {{"HealthState", ""}, {"Missing", ""}};

    CimFunc::GetProperties(instance, properties);

    EXPECT_EQ(properties["HealthState"], "Other");
    EXPECT_EQ(capture.Messages().size(), 1u);
    EXPECT_EQ(capture.Count(2, "Property Missing is not found!"), 1u);
}

TEST(RawPropertyExtraction, TakesTrimmedTextWithoutTranslation)
{
    Quillet::LogCapture capture(4);
    Pegasus::CIMInstance instance = MakeInstance();
    instance.addProperty(MappedProperty("HealthState", 2, {"0", "1", "2"}, {"Unknown", "Other", "OK"}));
    instance.addProperty(StringProperty("VersionString", " 20.35.1012\r\n"));
    PropertyMap properties = {{"HealthState", ""}, {"VersionString", ""}, {"Absent", "kept"}};

    CimFunc::GetProperties(Pegasus::CIMObject(instance), true, properties);

    EXPECT_EQ(properties["HealthState"], "2");
    EXPECT_EQ(properties["VersionString"], "20.35.1012");
    EXPECT_EQ(properties["Absent"], "kept");
    EXPECT_EQ(capture.Count(2, "Property Absent is not found!"), 1u);
    EXPECT_EQ(capture.Count(4, " processing value maps ..."), 0u);
    EXPECT_EQ(capture.Count(4, "VersionString = 20.35.1012 with raw data ( 20.35.1012\r\n)"), 1u);
}

TEST(RawPropertyExtraction, FalseHandsOverToValueMapsWithTheHeadingTwice)
{
    Quillet::LogCapture capture(4);
    Pegasus::CIMInstance instance = MakeInstance();
    instance.addProperty(MappedProperty("HealthState", 2, {"0", "1", "2"}, {"Unknown", "Other", "OK"}));
    PropertyMap properties = {{"HealthState", ""}};

    CimFunc::GetProperties(Pegasus::CIMObject(instance), false, properties);

    EXPECT_EQ(properties["HealthState"], "OK");
    EXPECT_EQ(CountStartingWith(capture, 4, "Showing properties for "), 2u);
}

TEST(Trim, RemovesTheWholeSetFromBothEnds)
{
    EXPECT_EQ(CimFunc::Trim(" \f\n\t\r\vtext \f\n\t\r\v"), "text");
    EXPECT_EQ(CimFunc::Trim("\t\v\f\t"), "");
    EXPECT_EQ(CimFunc::Trim(""), "");
    EXPECT_EQ(CimFunc::Trim("a b"), "a b");
    // Only those six are trimmed: a NUL stays.
    EXPECT_EQ(CimFunc::Trim(std::string("\0x", 2)), std::string("\0x", 2));
}

}  // namespace

namespace {

// Level and text of every record a read writes, in order.
std::vector<std::pair<unsigned int, std::string> > RecordsOf(const std::function<void()>& read)
{
    Quillet::LogCapture capture(4);
    read();
    std::vector<std::pair<unsigned int, std::string> > records;
    for (const Quillet::LogRecord& record : capture.Records()) {
        records.emplace_back(record.level, record.message);
    }
    return records;
}

// Every kind of value a reader meets: mapped, padded, not ASCII, blank,
// cut short by a NUL, a Values list too short, and names in another case.
Pegasus::CIMInstance MixedInstance()
{
    Pegasus::CIMInstance instance = MakeInstance();
    instance.addProperty(MappedProperty("HealthState", 2, {"0", "1", "2"}, {"Unknown", "Other", "OK"}));
    instance.addProperty(MappedProperty("EnabledState", 1, {"0", "1"}, {"Unknown"}));
    instance.addProperty(StringProperty("VersionString", " \t20.35.1012\r\n"));
    instance.addProperty(StringProperty("ElementName", "  Carte r\xc3\xa9seau \xe2\x80\x93 ConnectX\v"));
    instance.addProperty(StringProperty("Caption", " \f\n "));
    const Pegasus::Char16 cut[] = {'a', 'b', 0, ' ', 'c'};
    instance.addProperty(Pegasus::CIMProperty(Pegasus::CIMName("InstanceID"), Pegasus::CIMValue(Pegasus::String(cut, 5))));
    instance.addProperty(StringProperty("DEVICEID", "dev0"));
    return instance;
}

// Repeated, missing, and in another case than the instance's (alone or
// beside the instance's own spelling).
const char* const kListedNames[] = {"VersionString", "HealthState", "Missing",     "ElementName",
                                    "deviceid",      "Caption",     "InstanceID",  "HealthState",
                                    "EnabledState",  "ELEMENTNAME"};

}  // namespace

// Names made once give the same map and the same records, in the same order,
// as a map preset with every name and read by name.
TEST(ListedPropertyExtraction, ReadsAndLogsAsAPresetMapDoes)
{
    const Pegasus::CIMInstance instance = MixedInstance();
    const PropertyNameList names(kListedNames, std::size(kListedNames));
    for (const bool raw : {false, true}) {
        PropertyMap preset;
        for (const char* name : kListedNames) {
            preset[name] = "";
        }
        PropertyMap listed = {{"Stale", "left over"}};
        const auto presetRecords = RecordsOf([&] {
            if (raw) {
                CimFunc::GetProperties(Pegasus::CIMObject(instance), true, preset);
            } else {
                CimFunc::GetProperties(instance, preset);
            }
        });
        const auto listedRecords = RecordsOf([&] {
            if (raw) {
                CimFunc::GetListedRawProperties(Pegasus::CIMObject(instance), names, listed);
            } else {
                CimFunc::GetListedProperties(instance, names, listed);
            }
        });
        EXPECT_EQ(listed, preset) << "raw " << raw;
        EXPECT_EQ(listedRecords, presetRecords) << "raw " << raw;
    }
    Quillet::LogCapture capture(1);
    PropertyMap listed;
    CimFunc::GetListedProperties(instance, names, listed);
    EXPECT_EQ(CountStartingWith(capture, 1, kInstanceFailure), 1u);
    EXPECT_EQ(listed["ElementName"], "Carte r\xc3\xa9seau \xe2\x80\x93 ConnectX");
    EXPECT_EQ(listed["VersionString"], "20.35.1012");
    EXPECT_EQ(listed["InstanceID"], "ab");
    EXPECT_EQ(listed["Caption"], "");
    EXPECT_EQ(listed["deviceid"], "dev0");
    EXPECT_EQ(listed["ELEMENTNAME"], listed["ElementName"]);
    EXPECT_EQ(listed["HealthState"], "OK");
}
