// CIMDateTime: the three forms seen on the wire (time stamp, interval,
// wildcarded), rejection of malformed text and the microsecond arithmetic.
#include <gtest/gtest.h>

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/Exception.h>

using namespace Pegasus;

namespace {

TEST(CIMDateTimeTest, RecordedFormsRoundTrip)
{
    const char* forms[] = {
        "20240115103000.123456+060",
        "00000030000000.000000:000",
        "20210101000000.******+000",
        "20200803120000.000000-300",
        "2021010100****.******+000",
    };
    for (const char* text : forms)
        EXPECT_EQ(CIMDateTime(text).toString(), text);
    EXPECT_TRUE(CIMDateTime("00000030000000.000000:000").isInterval());
    EXPECT_TRUE(CIMDateTime("20240115103000.123456+060").isTimeStamp());
    EXPECT_EQ(CIMDateTime().toString(), "00000000000000.000000:000");
}

TEST(CIMDateTimeTest, MalformedTextIsRejected)
{
    const char* bad[] = {
        "",
        "20240115103000.123456+06",    // 24 characters
        "20240115103000,123456+060",   // no dot
        "20240115103000.123456*060",   // bad sign
        "00000030000000.000000:001",   // interval not ending :000
        "2024011510*000.123456+060",   // wildcard followed by a digit
        "2024011510300a.123456+060",
    };
    for (const char* text : bad)
        EXPECT_THROW(CIMDateTime{String(text)}, InvalidDateTimeFormatException) << text;
}

// Well-formed but impossible: OpenPegasus's other exception.
TEST(CIMDateTimeTest, FieldsOutOfRangeAreTheirOwnFailure)
{
    const char* bad[] = {
        "20241315103000.123456+060",   // month 13
        "20240100103000.123456+060",   // day 0
        "20230229103000.123456+060",   // 29 February of a common year
        "20240431103000.123456+060",   // 31 April
        "20240115243000.123456+060",   // hour 24
        "20240115103060.123456+060",   // second 60
        "00000030006000.000000:000",   // interval minute 60
    };
    for (const char* text : bad)
        EXPECT_THROW(CIMDateTime{String(text)}, DateTimeOutOfRangeException) << text;
    EXPECT_NO_THROW(CIMDateTime{String("20240229103000.123456+060")});
    EXPECT_NO_THROW(CIMDateTime{String("2024023*******.******+060")});
}

TEST(CIMDateTimeTest, MicrosecondsAndOffsets)
{
    EXPECT_EQ(CIMDateTime("00000001000000.000001:000").toMicroSeconds(), 86400000001ULL);
    // The same instant written in two zones.
    CIMDateTime east("20240115113000.000000+060");
    CIMDateTime utc("20240115103000.000000+000");
    EXPECT_TRUE(east == utc);
    EXPECT_EQ(CIMDateTime::getDifference(utc, CIMDateTime("20240115103001.000000+000")), 1000000);
    EXPECT_FALSE(utc.equal(CIMDateTime("00000000000000.000000:000")));
    EXPECT_THROW(CIMDateTime::getDifference(utc, CIMDateTime()), InvalidDateTimeFormatException);
    EXPECT_TRUE(CIMDateTime("20240115103000.000000+000") < CIMDateTime("20240115103000.000001+000"));
}

TEST(CIMDateTimeTest, WildcardedFieldsMatchAnything)
{
    EXPECT_TRUE(CIMDateTime("20210101000000.******+000") == CIMDateTime("20210101000000.123456+000"));
    EXPECT_FALSE(CIMDateTime("20210101000000.******+000") == CIMDateTime("20210101000001.000000+000"));
}

TEST(CIMDateTimeTest, BuiltFromNumbersAndComponents)
{
    CIMDateTime interval(Uint64(90061000001ULL), true);
    EXPECT_EQ(interval.toString(), "00000001010101.000001:000");

    CIMDateTime stamp(2024, 1, 15, 10, 30, 0, 123456, 6, 60);
    EXPECT_EQ(stamp.toString(), "20240115103000.123456+060");
    CIMDateTime fromMicroseconds(stamp.toMicroSeconds(), false);
    EXPECT_EQ(fromMicroseconds.toString(), "20240115093000.123456+000");

    CIMDateTime coarse(2021, 1, 1, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(coarse.toString(), "20210101000000.******+000");
    EXPECT_EQ(CIMDateTime(2021, 1, 1, CIMDateTime::WILDCARD, CIMDateTime::WILDCARD,
                  CIMDateTime::WILDCARD, 0, 0, 0).toString(),
        "20210101******.******+000");
    EXPECT_THROW(CIMDateTime(2021, 13, 1, 0, 0, 0, 0, 6, 0), DateTimeOutOfRangeException);
}

TEST(CIMDateTimeTest, CurrentTimeIsAValidTimeStamp)
{
    CIMDateTime now = CIMDateTime::getCurrentDateTime();
    EXPECT_TRUE(now.isTimeStamp());
    EXPECT_NO_THROW(CIMDateTime(now.toString()));
}

}  // namespace
