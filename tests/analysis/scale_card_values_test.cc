// The values the SCALE card can hold: each reads back as the value the
// search takes, in order, with as many digits as 8 columns hold.

#include "analysis/scale_card_values.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "fortran/formatted_io.h"

namespace sizgen {
namespace {

TEST(ScaleValues, TheCardReaderReadsEachAsTheSearchDoes) {
  const std::int64_t count = scaleValueCount();
  std::vector<std::int64_t> indices;
  for (std::int64_t i = 0; i < count; i += count / 997) indices.push_back(i);
  // Around the ends of the decades too.
  for (std::int64_t i = 0; i < count; ++i) {
    if (i > 200) break;
    indices.push_back(i);
    indices.push_back(count - 1 - i);
  }
  double previous = 0;
  std::int64_t previousIndex = -1;
  for (std::int64_t i : indices) {
    const ScaleValue value = scaleValue(i);
    const std::string card = scaleCard(value);
    ASSERT_EQ(card.size(), 16u) << value.value;
    std::array<double, 1> read{};
    ASSERT_FALSE(fio::readRecord(card, "(8X,E8.0)", read).has_value()) << card;
    EXPECT_EQ(read[0], value.multiplier) << card;
    if (i == previousIndex + 1) {
      EXPECT_GT(value.multiplier, previous) << card;
    }
    previous = value.multiplier;
    previousIndex = i;
  }
  EXPECT_EQ(scaleValue(0).value, "1E-10");
  EXPECT_EQ(scaleValue(count - 1).value, "999999+4");
}

// The largest value the card holds reads back as itself; the next one
// with as many digits is beyond the largest double.
TEST(ScaleValues, TheLargestValueTheCardHolds) {
  const ScaleValue largest = largestScaleValue();
  std::array<double, 1> read{};
  ASSERT_FALSE(fio::readRecord(scaleCard(largest), "(8X,E8.0)", read).has_value());
  EXPECT_EQ(read[0], largest.multiplier);
  EXPECT_GT(largest.multiplier, scaleValue(scaleValueCount() - 1).multiplier);
  read[0] = 0;
  const auto failure = fio::readRecord("SCALE   1798+305", "(8X,E8.0)", read);
  EXPECT_TRUE(failure.has_value() || !std::isfinite(read[0])) << read[0];
}

TEST(ScaleValues, DecadesHaveTheMostDigitsEightColumnsHold) {
  struct Expected {
    double multiplier;
    const char* text;
  };
  // The value at or below each multiplier, and its text.
  for (auto [multiplier, text] : {Expected{3.4, "3.4"},
                                  Expected{3.4000009, "3.4"},
                                  Expected{0.00123456, "123456-8"},
                                  Expected{0.0123456, ".0123456"},
                                  Expected{0.1234567, ".1234567"},
                                  Expected{0.5, "0.5"},
                                  Expected{0.05, "0.05"},
                                  Expected{2.0, "2.0"},
                                  Expected{1234567.0, "1234567"},
                                  Expected{12345678.0, "12345678"},
                                  Expected{1.23456e8, "123456+3"},
                                  Expected{1.2e9, "1.2E9"},
                                  Expected{1.2345e-7, "1.2345-7"},
                                  Expected{1.23456e-5, "1.2345-5"},
                                  Expected{1.23456e-6, "1.2345-6"},
                                  Expected{1.234567e-4, "123456-9"},
                                  Expected{9.87654e-9, "9.8765-9"},
                                  Expected{1.0e-4, "0.0001"},
                                  Expected{1.0e-6, "0.000001"},
                                  Expected{1.0e-7, ".0000001"},
                                  Expected{1.0e-8, "1E-8"},
                                  Expected{1.0e-12, "1E-10"},
                                  Expected{1.0e12, "999999+4"}}) {
    const ScaleValue value = scaleValue(scaleValueIndex(multiplier));
    EXPECT_EQ(value.value, text) << multiplier;
    EXPECT_LE(value.value.size(), 8u);
  }
  EXPECT_EQ(scaleValueCount(), std::int64_t{6} * 90000 + std::int64_t{3} * 900000 +
                                   std::int64_t{8} * 9000000 + 90000000 + std::int64_t{2} * 900000);
}

}  // namespace
}  // namespace sizgen
