// CIMValue: typed storage with set/get for every CIM type, null values,
// type checks, and the toString() renderings the module prints.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMValue.h>

using namespace Pegasus;

namespace {

std::string text(const CIMValue& value)
{
    return std::string(static_cast<const char*>(value.toString().getCString()));
}

template<class T>
void expectRoundTrip(const T& x, CIMType type)
{
    CIMValue value(x);
    EXPECT_EQ(value.getType(), type);
    EXPECT_FALSE(value.isArray());
    EXPECT_FALSE(value.isNull());
    T back{};
    value.get(back);
    EXPECT_TRUE(back == x) << cimTypeToString(type);

    Array<T> items;
    items.append(x);
    items.append(x);
    CIMValue array(items);
    EXPECT_EQ(array.getType(), type);
    EXPECT_TRUE(array.isArray());
    EXPECT_EQ(array.getArraySize(), 2u);
    Array<T> itemsBack;
    array.get(itemsBack);
    EXPECT_EQ(itemsBack.size(), 2u);
}

TEST(CIMValueTypes, EveryTypeStoresAndReturnsItsValue)
{
    expectRoundTrip(Boolean(true), CIMTYPE_BOOLEAN);
    expectRoundTrip(Uint8(200), CIMTYPE_UINT8);
    expectRoundTrip(Sint8(-100), CIMTYPE_SINT8);
    expectRoundTrip(Uint16(65535), CIMTYPE_UINT16);
    expectRoundTrip(Sint16(-32768), CIMTYPE_SINT16);
    expectRoundTrip(Uint32(4000000000u), CIMTYPE_UINT32);
    expectRoundTrip(Sint32(-2000000000), CIMTYPE_SINT32);
    expectRoundTrip(Uint64(18446744073709551615ULL), CIMTYPE_UINT64);
    expectRoundTrip(Sint64(-9223372036854775807LL - 1), CIMTYPE_SINT64);
    expectRoundTrip(Real32(1.5f), CIMTYPE_REAL32);
    expectRoundTrip(Real64(-2.25), CIMTYPE_REAL64);
    expectRoundTrip(Char16(0xE9), CIMTYPE_CHAR16);
    expectRoundTrip(String("r\xC3\xA9seau"), CIMTYPE_STRING);
    expectRoundTrip(CIMDateTime("20240115103000.123456+060"), CIMTYPE_DATETIME);
    expectRoundTrip(CIMObjectPath("Cls.k=\"v\""), CIMTYPE_REFERENCE);
}

TEST(CIMValueTypes, GetOfAnotherTypeThrowsAndNullLeavesTheTargetAlone)
{
    CIMValue value(Uint16(5));
    Uint32 wide = 7;
    EXPECT_THROW(value.get(wide), TypeMismatchException);
    Array<Uint16> array;
    EXPECT_THROW(value.get(array), TypeMismatchException);

    CIMValue null(CIMTYPE_UINT32, false);
    EXPECT_TRUE(null.isNull());
    null.get(wide);
    EXPECT_EQ(wide, 7u);

    CIMValue byDefault;
    EXPECT_TRUE(byDefault.isNull());
    EXPECT_EQ(byDefault.getType(), CIMTYPE_BOOLEAN);
    EXPECT_FALSE(byDefault.isArray());
}

TEST(CIMValueTypes, SetChangesTypeAndCopiesStayApart)
{
    CIMValue value(Uint8(1));
    CIMValue copy(value);
    value.set(String("now text"));
    EXPECT_EQ(value.getType(), CIMTYPE_STRING);
    EXPECT_EQ(copy.getType(), CIMTYPE_UINT8);
    value.setNullValue(CIMTYPE_DATETIME, true);
    EXPECT_TRUE(value.isNull());
    EXPECT_TRUE(value.isArray());
    EXPECT_EQ(value.getType(), CIMTYPE_DATETIME);
    EXPECT_EQ(value.getArraySize(), 0u);
    value.clear();
    EXPECT_EQ(value.getType(), CIMTYPE_BOOLEAN);
}

TEST(CIMValueTypes, EqualValuesStayIndependent)
{
    // Small integers and nulls may share storage; writing one must not
    // change the other.
    CIMValue a(Uint16(5));
    CIMValue b(Uint16(5));
    a.set(Uint16(7));
    Uint16 x = 0;
    b.get(x);
    EXPECT_EQ(x, 5);
    CIMValue nullA(CIMTYPE_STRING, false);
    CIMValue nullB(CIMTYPE_STRING, false);
    nullA.set(String("set"));
    EXPECT_TRUE(nullB.isNull());
    EXPECT_EQ(nullB.getType(), CIMTYPE_STRING);
}

TEST(CIMValueTypes, EqualityNeedsSameTypeArrayFlagAndValue)
{
    EXPECT_TRUE(CIMValue(Uint16(3)) == CIMValue(Uint16(3)));
    EXPECT_FALSE(CIMValue(Uint16(3)) == CIMValue(Uint32(3)));
    EXPECT_FALSE(CIMValue(Uint16(3)) == CIMValue(CIMTYPE_UINT16, false));
    EXPECT_TRUE(CIMValue(CIMTYPE_STRING, true) == CIMValue(CIMTYPE_STRING, true));
    EXPECT_TRUE(CIMValue(CIMObjectPath("A.k=1")) == CIMValue(CIMObjectPath("a.K=1")));
    EXPECT_TRUE(CIMValue(Uint16(3)).typeCompatible(CIMValue(CIMTYPE_UINT16, false)));
}

TEST(CIMValueText, ScalarsRenderAsOpenPegasusDoes)
{
    EXPECT_EQ(text(CIMValue(true)), "TRUE");
    EXPECT_EQ(text(CIMValue(false)), "FALSE");
    EXPECT_EQ(text(CIMValue(Sint8(-128))), "-128");
    EXPECT_EQ(text(CIMValue(Uint64(100000000000ULL))), "100000000000");
    EXPECT_EQ(text(CIMValue(Sint64(-9223372036854775807LL - 1))), "-9223372036854775808");
    EXPECT_EQ(text(CIMValue(Real64(1.5))), "1.5000000000000000e+00");
    EXPECT_EQ(text(CIMValue(Real64(-12345.678))), "-1.2345678000000000e+04");
    EXPECT_EQ(text(CIMValue(Real64(1e-300))), "1.0000000000000000e-300");
    // real32 is widened first, so its binary approximation shows.
    EXPECT_EQ(text(CIMValue(Real32(0.1f))), "1.0000000149011612e-01");
    EXPECT_EQ(text(CIMValue(Char16(0xE9))), "\xC3\xA9");
    EXPECT_EQ(text(CIMValue(String(" two  blanks\r\n"))), " two  blanks\r\n");
    EXPECT_EQ(text(CIMValue(CIMDateTime("20210101000000.******+000"))), "20210101000000.******+000");
    EXPECT_EQ(text(CIMValue(CIMObjectPath("//vm/root/cimv2:Cls.b=\"x\",a=TRUE"))),
        "//vm/root/cimv2:Cls.a=TRUE,b=\"x\"");
}

TEST(CIMValueText, NullAndEmptyRenderAsNothing)
{
    EXPECT_EQ(text(CIMValue()), "");
    EXPECT_EQ(text(CIMValue(CIMTYPE_UINT16, true)), "");
    EXPECT_EQ(text(CIMValue(Array<String>())), "");
    EXPECT_EQ(text(CIMValue(String())), "");
}

TEST(CIMValueText, ArrayElementsAreEachFollowedByOneBlank)
{
    Array<Uint16> status;
    status.append(2);
    status.append(32768);
    EXPECT_EQ(text(CIMValue(status)), "2 32768 ");

    Array<String> descriptions;
    descriptions.append("OK");
    descriptions.append("Link degraded");
    descriptions.append("");
    EXPECT_EQ(text(CIMValue(descriptions)), "OK Link degraded  ");

    Array<Boolean> flags;
    flags.append(true);
    flags.append(false);
    EXPECT_EQ(text(CIMValue(flags)), "TRUE FALSE ");

    Array<Real32> reals;
    reals.append(2.0f);
    EXPECT_EQ(text(CIMValue(reals)), "2.0000000000000000e+00 ");
}

TEST(CIMValueText, NulInsideAStringEndsTheText)
{
    Char16 units[] = {'a', 0, 'b'};
    EXPECT_EQ(text(CIMValue(String(units, 3))), "a");
}

TEST(CIMValueObjects, EmbeddedInstancesAreCopiedWhenStored)
{
    CIMInstance embedded(CIMName("Inner"));
    embedded.addProperty(CIMProperty(CIMName("Size"), CIMValue(Uint32(1))));
    CIMValue value(embedded);
    EXPECT_EQ(value.getType(), CIMTYPE_INSTANCE);
    embedded.addProperty(CIMProperty(CIMName("Later"), CIMValue(true)));

    CIMInstance stored;
    value.get(stored);
    EXPECT_EQ(stored.getPropertyCount(), 1u);
    EXPECT_THROW(CIMValue{CIMInstance()}, UninitializedObjectException);

    CIMValue object{CIMObject(stored)};
    EXPECT_EQ(object.getType(), CIMTYPE_OBJECT);
    EXPECT_THROW(object.get(stored), TypeMismatchException);
}

// As OpenPegasus: an embedded object's text is its INSTANCE element, the
// form in which it travels, with an embedded object inside escaped once
// more.
TEST(CIMValueObjects, TextIsTheInstanceElement)
{
    CIMInstance inner(CIMName("Inner"));
    inner.addProperty(CIMProperty(CIMName("Note"), CIMValue(String("a<b"))));
    CIMInstance outer(CIMName("Outer"));
    outer.addQualifier(CIMQualifier(CIMName("Description"), CIMValue(String("x")),
                                    CIMFlavor(CIMFlavor::TOSUBCLASS)));
    outer.addProperty(CIMProperty(CIMName("Size"), CIMValue(Uint32(1)), 0, CIMName(),
                                  CIMName("Base"), true));
    Array<Uint16> codes;
    codes.append(2);
    outer.addProperty(CIMProperty(CIMName("Codes"), CIMValue(codes)));
    outer.addProperty(CIMProperty(CIMName("Unset"), CIMValue(CIMTYPE_STRING, false)));
    outer.addProperty(CIMProperty(CIMName("Owner"), CIMValue(CIMObjectPath("X.K=1")), 0,
                                  CIMName("X")));
    outer.addProperty(CIMProperty(CIMName("Inner"), CIMValue(inner)));

    EXPECT_EQ(text(CIMValue(outer)),
              "<INSTANCE CLASSNAME=\"Outer\" >\n"
              "<QUALIFIER NAME=\"Description\" TYPE=\"string\" OVERRIDABLE=\"false\">\n"
              "<VALUE>x</VALUE>\n</QUALIFIER>\n"
              "<PROPERTY NAME=\"Size\"  CLASSORIGIN=\"Base\" PROPAGATED=\"true\" TYPE=\"uint32\">\n"
              "<VALUE>1</VALUE>\n</PROPERTY>\n"
              "<PROPERTY.ARRAY NAME=\"Codes\"  TYPE=\"uint16\">\n"
              "<VALUE.ARRAY>\n<VALUE>2</VALUE>\n</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n"
              "<PROPERTY NAME=\"Unset\"  TYPE=\"string\">\n</PROPERTY>\n"
              "<PROPERTY.REFERENCE NAME=\"Owner\"  REFERENCECLASS=\"X\">\n"
              "<VALUE.REFERENCE>\n<INSTANCENAME CLASSNAME=\"X\">\n<KEYBINDING NAME=\"K\">\n"
              "<KEYVALUE VALUETYPE=\"numeric\">1</KEYVALUE>\n</KEYBINDING>\n</INSTANCENAME>\n"
              "</VALUE.REFERENCE>\n</PROPERTY.REFERENCE>\n"
              "<PROPERTY NAME=\"Inner\"  TYPE=\"string\" EmbeddedObject=\"instance\" "
              "EMBEDDEDOBJECT=\"instance\">\n"
              "<VALUE>&lt;INSTANCE CLASSNAME=&quot;Inner&quot; &gt;&#10;"
              "&lt;PROPERTY NAME=&quot;Note&quot; &#32;TYPE=&quot;string&quot;&gt;&#10;"  // a second blank escaped
              "&lt;VALUE&gt;a&amp;lt;b&lt;/VALUE&gt;&#10;&lt;/PROPERTY&gt;&#10;"
              "&lt;/INSTANCE&gt;&#10;</VALUE>\n</PROPERTY>\n"
              "</INSTANCE>\n");

    // Arrays: each element's text followed by a blank, as for any array.
    Array<CIMObject> objects;
    objects.append(CIMObject(inner));
    objects.append(CIMObject(inner));
    const std::string one = text(CIMValue(CIMObject(inner)));
    EXPECT_EQ(text(CIMValue(objects)), one + " " + one + " ");
    EXPECT_EQ(CIMValue(objects).getArraySize(), 2u);
}

}  // namespace
