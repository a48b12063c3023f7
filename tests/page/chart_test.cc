// The chart's geometry and the page's text: axis ticks over random
// ranges, and the printing of coordinates and escaped text.

#include "picture/chart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "picture/markup.h"

namespace sizgen {
namespace {

// Whether `value` is 1, 2 or 5 times a power of ten, up to rounding.
bool roundNumber(double value) {
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double factor : {1.0, 2.0, 5.0, 10.0}) {
    if (std::abs(value - factor * power) <= 1e-9 * value) return true;
  }
  return false;
}

TEST(ChartAxis, TicksAreRoundFewEnoughAndWithinTheRange) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> exponent(-6.0, 12.0);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::uniform_int_distribution<int> most(2, 12);
  for (int trial = 0; trial < 2000; ++trial) {
    const double hi = std::pow(10.0, exponent(random));
    const double lo = unit(random) < 0.5 ? 0.0 : hi * unit(random);
    const int count = most(random);
    const std::vector<double> ticks = axisTicks(lo, hi, count);
    ASSERT_FALSE(ticks.empty());
    EXPECT_LE(static_cast<int>(ticks.size()), count) << lo << " " << hi;
    const double step = ticks.size() > 1 ? ticks[1] - ticks[0] : 0.0;
    for (std::size_t n = 0; n < ticks.size(); ++n) {
      EXPECT_GE(ticks[n], lo - 1e-9 * hi);
      EXPECT_LE(ticks[n], hi + 1e-9 * hi);
      if (n > 0) {
        EXPECT_NEAR(ticks[n] - ticks[n - 1], step, 1e-9 * hi);
      }
    }
    if (ticks.size() > 1) {
      EXPECT_TRUE(roundNumber(step)) << step;
      // The next smaller step of 1, 2, 5, 10, ... would give too many.
      const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
      const double smaller = step * (std::abs(mantissa - 5.0) < 1e-6 ? 0.4 : 0.5);
      const double more = std::floor(hi / smaller + 1e-9) - std::ceil(lo / smaller - 1e-9) + 1;
      EXPECT_GT(more, count) << lo << " " << hi << " step " << step;
    }
    const double top = roundedUp(hi);
    EXPECT_GE(top, hi);
    EXPECT_LT(top, hi * 2.5 + 1e-9 * hi);
    EXPECT_TRUE(roundNumber(top)) << top;
  }
  EXPECT_EQ(axisTicks(3.0, 3.0, 5), std::vector<double>{3.0});
  EXPECT_EQ(axisTicks(0.0, 2.0, 5), (std::vector<double>{0.0, 0.5, 1.0, 1.5, 2.0}));
}

TEST(PageText, CoordinatesAndEscapes) {
  struct Case {
    double value;
    std::string printed;
  };
  const Case cases[] = {
      {0.0, "0"},       {-0.001, "0"},    {12.5, "12.5"}, {3.0, "3"},       {0.07, "0.07"},
      {959.995, "960"}, {-4.25, "-4.25"}, {1.10, "1.1"},  {540.004, "540"}, {-0.5, "-0.5"},
  };
  for (const Case& c : cases) EXPECT_EQ(pixels(c.value), c.printed) << c.value;
  EXPECT_EQ(escaped("a<b & \"c\" 'd'>"), "a&lt;b &amp; &quot;c&quot; &#39;d&#39;&gt;");
  EXPECT_EQ(escaped("KARRAY (row 122)"), "KARRAY (row 122)");
}

}  // namespace
}  // namespace sizgen
