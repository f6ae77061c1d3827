#include <gtest/gtest.h>

#include "log.h"

namespace {

TEST(LogCapture, RecordsLevelTextAndPlaceOfEachMessage)
{
    Quillet::LogCapture capture(4);
    {
        Quillet::Log record(2, "some/file.cpp", 42);
        record.Stream() << "Property " << "X" << " is not found!";
    }
    const std::vector<Quillet::LogRecord> records = capture.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].level, 2u);
    EXPECT_EQ(records[0].file, "some/file.cpp");
    EXPECT_EQ(records[0].line, 42);
    EXPECT_EQ(records[0].message, "Property X is not found!");
    EXPECT_EQ(capture.Count(2, "Property X is not found!"), 1u);
}

TEST(LogCapture, SetsThresholdWhileAliveAndRestoresIt)
{
    Quillet::Log::SetMinLogLevel(1);
    {
        Quillet::LogCapture capture(3);
        EXPECT_EQ(Quillet::Log::GetMinLogLevel(), 3u);
    }
    EXPECT_EQ(Quillet::Log::GetMinLogLevel(), 1u);
}

TEST(LogCapture, NestedCaptureHandsBackToTheOuterOneWithItsThreshold)
{
    Quillet::LogCapture outer(2);
    {
        Quillet::LogCapture inner(4);
        { Quillet::Log(4, "f.cpp", 1).Stream() << "inner"; }
        EXPECT_EQ(inner.Messages(), std::vector<std::string>{"inner"});
    }
    EXPECT_EQ(Quillet::Log::GetMinLogLevel(), 2u);
    testing::internal::CaptureStderr();
    { Quillet::Log(1, "f.cpp", 2).Stream() << "outer"; }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "the default sink came back too early";
    EXPECT_EQ(outer.Messages(), std::vector<std::string>{"outer"});
}

TEST(LogSink, DefaultSinkWritesTimeLevelAndPlaceToStderr)
{
    Quillet::Log::SetSink(Quillet::Log::Sink());
    testing::internal::CaptureStderr();
    { Quillet::Log(1, "dir/x.cpp", 7).Stream() << "boom"; }
    const std::string text = testing::internal::GetCapturedStderr();
    EXPECT_NE(text.find("[1] dir/x.cpp:7 boom\n"), std::string::npos) << text;
    EXPECT_EQ(text.find('T'), 10u) << "ISO date first: " << text;
}

}  // namespace
