// String, CString and Char16: UTF-8 in and out, UTF-16 indexing, shared
// buffers and the text operations the module and the codec rely on.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/String.h>

using namespace Pegasus;

namespace {

std::string utf8(const String& text)
{
    return std::string(static_cast<const char*>(text.getCString()));
}

TEST(StringUtf8, NonAsciiTextCountsUtf16UnitsAndRoundTrips)
{
    // "réseau" has one two-byte character; U+1F600 needs a surrogate pair.
    String accented("r\xC3\xA9seau");
    EXPECT_EQ(accented.size(), 6u);
    EXPECT_EQ(Uint16(accented[1]), 0xE9);
    EXPECT_EQ(utf8(accented), "r\xC3\xA9seau");

    String emoji("a\xF0\x9F\x98\x80z");
    EXPECT_EQ(emoji.size(), 4u);
    EXPECT_EQ(Uint16(emoji[1]), 0xD83D);
    EXPECT_EQ(Uint16(emoji[2]), 0xDE00);
    EXPECT_EQ(utf8(emoji), "a\xF0\x9F\x98\x80z");
}

TEST(StringUtf8, MalformedInputIsRejectedWithItsOffset)
{
    const char* bad[] = {
        "ab\xC3",              // truncated sequence
        "ab\xC0\xAF",          // overlong '/'
        "ab\xED\xA0\x80",      // encoded surrogate
        "ab\xF5\x80\x80\x80",  // beyond U+10FFFF
        "ab\x80",              // stray continuation byte
    };
    for (const char* text : bad)
    {
        try
        {
            String s(text);
            ADD_FAILURE() << "accepted " << text;
        }
        catch (const Exception& e)
        {
            EXPECT_NE(utf8(e.getMessage()).find("index 2"), std::string::npos)
                << utf8(e.getMessage());
        }
    }
}

TEST(StringUtf8, LengthLimitedConstructionStopsAtTheCount)
{
    EXPECT_EQ(String("abcdef", 3), "abc");
    EXPECT_EQ(String("a\0b", 3).size(), 3u);
    EXPECT_EQ(String(String("abc"), 2), "ab");
    EXPECT_THROW(String(String("abc"), 4), IndexOutOfBoundsException);
}

TEST(StringSharing, CopiesAreIndependentOnceModified)
{
    String original("value");
    String copy(original);
    copy[0] = Char16('V');
    copy.append("s");
    EXPECT_EQ(original, "value");
    EXPECT_EQ(copy, "Values");

    String other = original;
    other.toUpper();
    EXPECT_EQ(original, "value");
    EXPECT_EQ(other, "VALUE");
}

TEST(StringSharing, AppendingPartOfItselfIsSafe)
{
    String text("abc");
    text.append(text);
    EXPECT_EQ(text, "abcabc");
    text.append(text.getChar16Data() + 1, 2);
    EXPECT_EQ(text, "abcabcbc");
}

TEST(StringSharing, ManyAppendsGrowAnUnsharedBufferInPlace)
{
    // Each append once reallocated at twice the capacity, as if the buffer
    // were shared, and ran out of room after about thirty calls.
    const Char16 unit('x');
    String text;
    String fromChars;
    String fromUnits;
    for (int i = 0; i < 1000; i++)
    {
        text.append("ab");
        fromChars.append(Char16('y'));
        fromUnits.append(&unit, 1);
    }
    ASSERT_EQ(text.size(), 2000u);
    EXPECT_EQ(utf8(text).substr(1994), "ababab");
    EXPECT_EQ(fromChars.size(), 1000u);
    EXPECT_EQ(utf8(fromUnits), std::string(1000, 'x'));

    // A copy taken in between still shares, and keeps its text.
    String snapshot(text);
    text.append("c");
    EXPECT_EQ(snapshot.size(), 2000u);
    EXPECT_EQ(text.size(), 2001u);
    text.reserveCapacity(4096);
    text.append(text.getChar16Data(), 4);
    EXPECT_EQ(utf8(text).substr(1999), "bcabab");
}

TEST(StringAccess, IndexBeyondTheEndThrows)
{
    String text("ab");
    const String& view = text;
    EXPECT_EQ(view[1], 'b');
    EXPECT_THROW(view[2], IndexOutOfBoundsException);
    EXPECT_THROW(text[2], IndexOutOfBoundsException);
    EXPECT_THROW(String()[0], IndexOutOfBoundsException);
}

TEST(StringSearch, FindReverseFindAndSubString)
{
    String path("MLNX_PCIDevice.DeviceID=\"0000:03:00.0\"");
    EXPECT_EQ(path.find('.'), 14u);
    EXPECT_EQ(path.find(15, '.'), 35u);
    EXPECT_EQ(path.reverseFind('.'), 35u);
    EXPECT_EQ(path.find(String("DeviceID")), 15u);
    EXPECT_EQ(path.find("nothere"), PEG_NOT_FOUND);
    EXPECT_EQ(path.find('#'), PEG_NOT_FOUND);
    EXPECT_EQ(path.subString(15, 8), "DeviceID");
    EXPECT_EQ(path.subString(34), "0.0\"");
    EXPECT_EQ(path.subString(100), "");
    EXPECT_EQ(path.subString(0, PEG_NOT_FOUND), path);
}

TEST(StringModification, RemoveChecksItsRange)
{
    String text("abcdef");
    text.remove(4);
    EXPECT_EQ(text, "abcd");
    text.remove(1, 2);
    EXPECT_EQ(text, "ad");
    EXPECT_THROW(text.remove(1, 2), IndexOutOfBoundsException);
    EXPECT_THROW(text.remove(3), IndexOutOfBoundsException);
    text.remove(2);
    EXPECT_EQ(text, "ad");
}

TEST(StringComparison, CaseRulesAndOrdering)
{
    EXPECT_TRUE(String::equal("abc", "abc"));
    EXPECT_FALSE(String::equal("abc", "ABC"));
    EXPECT_TRUE(String::equalNoCase("DeviceID", "deviceid"));
    EXPECT_TRUE(String::equalNoCase(String("R\xC3\x89SEAU"), String("r\xC3\xA9seau")));
    EXPECT_FALSE(String::equalNoCase("abc", "abcd"));
    EXPECT_LT(String::compare("abc", "abd"), 0);
    EXPECT_GT(String::compare("abcd", "abc"), 0);
    EXPECT_EQ(String::compare("abcx", "abcy", 3), 0);
    EXPECT_EQ(String::compareNoCase("ABC", "abc"), 0);
    // Folding goes to lower case: '_' sorts before letters.
    EXPECT_LT(String::compareNoCase("A_B", "AAB"), 0);
    EXPECT_TRUE(String("a") < String("b"));
    EXPECT_TRUE(String("b") >= String("b"));
    EXPECT_TRUE(String("r\xC3\xA9seau") == "r\xC3\xA9seau");
    EXPECT_TRUE("x" != String("y"));
}

TEST(StringText, ConcatenationPrintfAndStreams)
{
    String text = String("a") + "b" + String("c");
    EXPECT_EQ(text, "abc");
    text.appendPrintf("-%d-%s", 42, "x");
    EXPECT_EQ(text, "abc-42-x");

    std::ostringstream out;
    out << String("r\xC3\xA9seau");
    EXPECT_EQ(out.str(), "r\xC3\xA9seau");
}

TEST(StringText, EmptyAndCStringCopies)
{
    EXPECT_EQ(String::EMPTY.size(), 0u);
    EXPECT_STREQ(static_cast<const char*>(String().getCString()), "");
    CString first = String("kept").getCString();
    CString second(first);
    first = String("changed").getCString();
    EXPECT_STREQ(second, "kept");
    EXPECT_STREQ(first, "changed");
}

TEST(Char16Test, ComparesWithCharsAndConvertsToUint16)
{
    Char16 c('x');
    EXPECT_TRUE(c == 'x');
    EXPECT_TRUE('y' != c);
    EXPECT_EQ(Uint16(Char16(0x263A)), 0x263A);
    EXPECT_TRUE(Char16('a') < Char16('b'));
}

}  // namespace
