// Array<T>: bounds checks, copy on write and the editing operations.
#include <gtest/gtest.h>

#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/String.h>

using namespace Pegasus;

namespace {

TEST(ArrayTest, IndexingOutOfRangeThrowsIndexOutOfBounds)
{
    Array<String> values;
    values.append("a");
    const Array<String>& view = values;
    EXPECT_EQ(view[0], "a");
    EXPECT_THROW(view[1], IndexOutOfBoundsException);
    EXPECT_THROW(values[1], IndexOutOfBoundsException);
    EXPECT_THROW(Array<Uint16>()[0], IndexOutOfBoundsException);
}

TEST(ArrayTest, CopiesShareUntilOneIsWritten)
{
    Array<Uint32> original;
    original.append(1);
    original.append(2);
    Array<Uint32> copy(original);
    EXPECT_EQ(copy.getData(), original.getData());

    copy[0] = 10;
    copy.append(3);
    EXPECT_EQ(original.size(), 2u);
    EXPECT_EQ(original[0], 1u);
    EXPECT_EQ(copy[0], 10u);
    EXPECT_EQ(copy.size(), 3u);
}

TEST(ArrayTest, EditingOperationsKeepOrder)
{
    Array<Sint16> values(2, Sint16(7));
    values.prepend(1);
    values.insert(2, 5);
    values.appendArray(values);
    ASSERT_EQ(values.size(), 8u);
    EXPECT_EQ(values[0], 1);
    EXPECT_EQ(values[2], 5);
    values.remove(0);
    values.remove(1, 3);
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0], 7);
    EXPECT_EQ(values[2], 5);
    EXPECT_THROW(values.remove(3, 2), IndexOutOfBoundsException);
    EXPECT_THROW(values.insert(5, 1), IndexOutOfBoundsException);
    values.clear();
    EXPECT_EQ(values.size(), 0u);
}

TEST(ArrayTest, BooleanArraysExposeContiguousData)
{
    Array<Boolean> flags;
    flags.append(true);
    flags.append(false);
    flags.append(true);
    const Boolean* data = flags.getData();
    EXPECT_TRUE(data[0]);
    EXPECT_FALSE(data[1]);
    EXPECT_TRUE(data[2]);
    flags[1] = true;
    EXPECT_TRUE(flags.getData()[1]);
}

TEST(ArrayTest, EqualityComparesElements)
{
    Array<String> a;
    a.append("x");
    Array<String> b(a);
    b.append("y");
    EXPECT_FALSE(a == b);
    a.append("y");
    EXPECT_TRUE(a == b);
}

}  // namespace
