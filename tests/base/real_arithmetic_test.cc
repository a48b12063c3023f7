// Products of list sizes and card reals as the host program computes them,
// and the 32-bit range of what is stored.

#include "base/real_arithmetic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::errorOf;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(RealProducts, TruncateWithoutRoundingToDouble) {
  // 0.7 is stored slightly below seven tenths; the product keeps that.
  EXPECT_EQ(truncatedProduct(100, 0.7), 69);
  EXPECT_EQ(truncatedProduct(250, 0.7), 174);  // 175 if rounded to double first
  EXPECT_EQ(truncatedProduct(40, 0.7), 27);
  EXPECT_EQ(truncatedProduct(7000, 0.7), 4899);
  // 0.004117 is stored a little below, but by less than half a unit of the
  // 64-bit significand: the product rounds to 4117 exactly.
  EXPECT_EQ(truncatedProduct(1000000, 0.004117), 4117);
  EXPECT_EQ(truncatedProduct(7, 0.5), 3);
  EXPECT_EQ(truncatedProduct(-7, 0.5), -3);  // toward zero
  EXPECT_EQ(truncatedProduct(3, -0.9), -2);
}

TEST(RealProducts, OnlyResultsThatFit32BitsAreValues) {
  EXPECT_EQ(truncateToInteger(2147483647.9), kMax);
  EXPECT_EQ(truncateToInteger(-2147483648.9), kMin);
  EXPECT_EQ(truncateToInteger(2147483648.0), std::nullopt);
  EXPECT_EQ(truncateToInteger(-2147483649.0), std::nullopt);
  EXPECT_EQ(truncateToInteger(1e300), std::nullopt);
  EXPECT_EQ(truncateToInteger(std::numeric_limits<Extended>::infinity()), std::nullopt);
  EXPECT_EQ(truncateToInteger(std::numeric_limits<Extended>::quiet_NaN()), std::nullopt);
  EXPECT_EQ(truncateToInteger(-0.9), 0);
  // An infinite factor is out of range even against 0.
  EXPECT_EQ(truncatedProduct(0, std::numeric_limits<double>::infinity()), std::nullopt);
  EXPECT_EQ(truncatedProduct(0, 1e300), 0);
}

TEST(RealProducts, StoredValues) {
  EXPECT_EQ(stored(std::int64_t{kMax}, "x"), kMax);
  EXPECT_EQ(stored(std::int64_t{kMin}, "x"), kMin);
  EXPECT_EQ(errorOf([] { stored(std::int64_t{kMax} + 1, "list 9 (test)"); }),
            "list 9 (test) is out of the 32-bit range");
  EXPECT_EQ(errorOf([] { stored(std::int64_t{kMin} - 1, "list 9 (test)"); }),
            "list 9 (test) is out of the 32-bit range");
  EXPECT_EQ(errorOf([] { stored(std::optional<std::int32_t>{}, "LTLABL"); }),
            "LTLABL is out of the 32-bit range");
}

}  // namespace
}  // namespace sizgen
