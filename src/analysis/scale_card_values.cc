#include "analysis/scale_card_values.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "base/error.h"
#include "base/real_arithmetic.h"

namespace sizgen {
namespace {

// The card holds its value in the 8 columns 9-16, read as E8.0.  Values are
// searched decade by decade, [10**power, 10**(power + 1)), each with as
// many significant digits as 8 columns allow there: "12345-14" (the
// exponent without E, which the reader takes), "123456-9", ".0123456",
// ".1234567", "1.234567" to "1234567", "12345678", "123456+3".
// Below 1E-10 every list not FIXED is 1, as any list times the multiplier
// is below 1, so no smaller value gives another storage; above 2**31 every
// list not FIXED and not 0 leaves the 32-bit range, so 999999+4 is the
// largest value worth trying.
struct Decade {
  int power;
  int digits;
};

// clang-format off
constexpr std::array<Decade, 20> kDecades = {{
    {-10, 5}, {-9, 5}, {-8, 5}, {-7, 5}, {-6, 5}, {-5, 5},  // 12345-14 to 12345-9
    {-4, 6}, {-3, 6},                                       // 123456-9, 123456-8
    {-2, 6},                                                // .0123456
    {-1, 7},                                                // .1234567
    {0, 7}, {1, 7}, {2, 7}, {3, 7}, {4, 7}, {5, 7}, {6, 7}, // 1.234567 to 1234567
    {7, 8},                                                 // 12345678
    {8, 6}, {9, 6},                                         // 123456+3, 123456+4
}};
// clang-format on

constexpr std::int64_t powerOf10(int n) {
  std::int64_t p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

constexpr std::int64_t valuesIn(const Decade& decade) {
  return 9 * powerOf10(decade.digits - 1);
}

constexpr std::int64_t kValueCount = [] {
  std::int64_t count = 0;
  for (const Decade& decade : kDecades) count += valuesIn(decade);
  return count;
}();

constexpr std::size_t kColumns = 8;

// The text of mantissa x 10**exponent in at most 8 columns, as plain as
// it can be: "3.4", "0.05", "2.0", ".0123456", "1.2E-3", "123456-8".
std::string valueText(std::int64_t mantissa, int exponent) {
  while (mantissa % 10 == 0) {
    mantissa /= 10;
    ++exponent;
  }
  const std::string digits = std::to_string(mantissa);
  const auto count = static_cast<int>(digits.size());
  std::string plain;
  if (exponent >= 0) {
    plain = digits + std::string(static_cast<std::size_t>(exponent), '0');
    if (plain.size() + 2 <= kColumns) plain += ".0";
  } else if (-exponent < count) {
    const std::size_t whole = digits.size() - static_cast<std::size_t>(-exponent);
    plain = digits.substr(0, whole) + "." + digits.substr(whole);
  } else {
    plain = "0." + std::string(static_cast<std::size_t>(-exponent - count), '0') + digits;
    if (plain.size() > kColumns) plain.erase(0, 1);
  }
  if (plain.size() <= kColumns) return plain;
  const int scientific = exponent + count - 1;
  const std::string mantissaText = digits.substr(0, 1) + (count > 1 ? "." + digits.substr(1) : "");
  const std::string sign = scientific < 0 ? "-" : "+";
  const std::array<std::string, 3> forms = {
      mantissaText + "E" + std::to_string(scientific),
      mantissaText + sign + std::to_string(std::abs(scientific)),
      digits + (exponent < 0 ? "-" : "+") + std::to_string(std::abs(exponent))};
  const auto* fitting = std::find_if(
      forms.begin(), forms.end(), [](const std::string& text) { return text.size() <= kColumns; });
  if (fitting == forms.end())
    throw InternalError("no 8-column text for " + digits + "E" + std::to_string(exponent));
  return *fitting;
}

}  // namespace

std::int64_t scaleValueIndex(double r) {
  // The unit of the last digit of each decade, worked out once: a chart
  // looks up hundreds of values.
  static const std::array<long double, kDecades.size()> kUnits = [] {
    std::array<long double, kDecades.size()> units{};
    std::transform(kDecades.begin(), kDecades.end(), units.begin(), [](const Decade& decade) {
      return std::pow(10.0L, decade.power - decade.digits + 1);
    });
    return units;
  }();
  std::int64_t first = 0;
  std::int64_t index = 0;
  for (std::size_t d = 0; d < kDecades.size(); ++d) {
    const Decade& decade = kDecades[d];
    const long double unit = kUnits[d];
    const long double mantissa = std::floor(static_cast<long double>(r) / unit);
    const auto lowest = static_cast<long double>(powerOf10(decade.digits - 1));
    if (mantissa < lowest) break;
    index = first + static_cast<std::int64_t>(std::min(mantissa, 10 * lowest - 1) - lowest);
    first += valuesIn(decade);
  }
  // The quotient may be one off either way.
  while (index + 1 < kValueCount && scaleValue(index + 1).multiplier <= r) ++index;
  while (index > 0 && scaleValue(index).multiplier > r) --index;
  return index;
}

std::int64_t scaleValueCount() {
  return kValueCount;
}

ScaleValue scaleValue(std::int64_t index) {
  if (index < 0 || index >= kValueCount)
    throw InternalError("no card value " + std::to_string(index));
  for (const Decade& decade : kDecades) {
    if (index < valuesIn(decade)) {
      const std::int64_t mantissa = powerOf10(decade.digits - 1) + index;
      const int exponent = decade.power - decade.digits + 1;
      ScaleValue card;
      card.value = valueText(mantissa, exponent);
      // The exact decimal, correctly rounded, as the card reader rounds it.
      const std::string decimal = std::to_string(mantissa) + "e" + std::to_string(exponent);
      card.multiplier = std::strtod(decimal.c_str(), nullptr);
      return card;
    }
    index -= valuesIn(decade);
  }
  throw InternalError("no card value");
}

ScaleValue largestScaleValue() {
  return {"1797+305", 1.797e308};
}

std::string scaleCard(const ScaleValue& card) {
  return "SCALE   " + std::string(kColumns - std::min(kColumns, card.value.size()), ' ') +
         card.value;
}

}  // namespace sizgen
