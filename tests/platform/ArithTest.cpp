#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/UArith.h"
#include "platform/UErrors.h"

TEST(RoundToInt32, RoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(RoundToInt32(2.5), 2);
  EXPECT_EQ(RoundToInt32(3.5), 4);
  EXPECT_EQ(RoundToInt32(-2.5), -2);
  EXPECT_EQ(RoundToInt32(-3.5), -4);
  EXPECT_EQ(RoundToInt32(0.5), 0);
  EXPECT_EQ(RoundToInt32(1.4999999), 1);
  EXPECT_EQ(RoundToInt32(127.5L), 128);
}

TEST(RoundToInt32, AcceptsTheWholeInt32RangeAndNothingBeyond) {
  EXPECT_EQ(RoundToInt32(2147483647.0), 2147483647);
  EXPECT_EQ(RoundToInt32(-2147483648.0), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(RoundToInt32(-2147483648.4), std::numeric_limits<int32_t>::min());
  EXPECT_THROW(RoundToInt32(2147483647.5), ERangeError); // rounds to 2^31 (even)
  EXPECT_THROW(RoundToInt32(-2147483649.0), ERangeError);
  EXPECT_THROW(RoundToInt32(1e300), ERangeError);
}

TEST(RoundToInt32, RejectsNaNAndInfinities) {
  EXPECT_THROW(RoundToInt32(std::nan("")), ERangeError);
  EXPECT_THROW(RoundToInt32(std::numeric_limits<double>::infinity()), ERangeError);
  EXPECT_THROW(RoundToInt32(-std::numeric_limits<double>::infinity()), ERangeError);
  EXPECT_THROW(RoundToInt32(std::numeric_limits<long double>::quiet_NaN()), ERangeError);
}

TEST(CheckedArithmetic, RaisesInsteadOfWrapping) {
  EXPECT_EQ(CheckedAdd(int32_t{2147483646}, int32_t{1}), 2147483647);
  EXPECT_THROW(CheckedAdd(int32_t{2147483647}, int32_t{1}), ERangeError);
  EXPECT_THROW(CheckedAdd(std::numeric_limits<int64_t>::max(), int64_t{1}), ERangeError);
  EXPECT_THROW(CheckedMul(int32_t{65536}, int32_t{65536}), ERangeError);
  EXPECT_THROW(CheckListIndex(3, 3), ERangeError);
  EXPECT_THROW(CheckListIndex(-1, 3), ERangeError);
  EXPECT_NO_THROW(CheckListIndex(2, 3));
}
