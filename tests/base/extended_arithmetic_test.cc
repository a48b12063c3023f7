// The software extended type against the processor's x87 long double, on
// the operations sizing evaluates (see note [real products]): both must
// give the same value in every bit, and the same integers.  Where long
// double is not the x87 format there is nothing to compare against.
//
// SIZGEN_EXTENDED_OPERANDS sets how many operands each family draws (a
// million by default; the families with a fixed set keep theirs).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <limits>
#include <random>
#include <string>

#include "base/real_arithmetic.h"
#include "base/software_extended.h"
#include "sizing/late_steps.h"
#include "sizing/list_resolution.h"

namespace sizgen {
namespace {

#ifdef SIZGEN_X87_LONG_DOUBLE

using Hard = long double;
using Soft = SoftwareExtended;

std::int64_t operandCount() {
  const char* text = std::getenv("SIZGEN_EXTENDED_OPERANDS");
  return text != nullptr ? std::atoll(text) : 1000000;
}

// Draws operands the way cards and plans produce them.
class Operands {
 public:
  explicit Operands(std::uint64_t seed) : random_(seed) {}

  // A list size: small counts, every magnitude up to 2**31, either sign.
  std::int64_t listSize() {
    const int bits = std::uniform_int_distribution<int>(0, 31)(random_);
    std::int64_t n =
        std::uniform_int_distribution<std::int64_t>(0, (std::int64_t{1} << bits) - 1)(random_);
    return chance(8) ? -n : n;
  }

  // What an 8-column real field holds: 1 to 7 significant digits at a
  // decimal exponent of -12 to 12, read as the nearest double.
  double cardReal() {
    const int digits = std::uniform_int_distribution<int>(1, 7)(random_);
    const auto mantissa =
        std::uniform_int_distribution<std::int64_t>(1, ipow10(digits) - 1)(random_);
    const int exponent = std::uniform_int_distribution<int>(-12, 12)(random_);
    const std::string text = std::to_string(mantissa) + "e" + std::to_string(exponent - digits + 1);
    const double value = std::strtod(text.c_str(), nullptr);
    return chance(16) ? -value : value;
  }

  // Any double with a full significand, at a binary exponent of -80 to 80.
  double anyReal() {
    const double fraction = std::uniform_real_distribution<double>(1.0, 2.0)(random_);
    return std::ldexp(fraction, std::uniform_int_distribution<int>(-80, 80)(random_));
  }

  // A multiplier r whose product with n lies within two units of the last
  // place of an integer k: r is k / n rounded, or a neighbour of it.
  double nextToInteger(std::int64_t n) {
    const std::int64_t k = listSize();
    double r = static_cast<double>(k) / static_cast<double>(n);
    for (int step = std::uniform_int_distribution<int>(-2, 2)(random_); step != 0;
         step += step > 0 ? -1 : 1)
      r = std::nextafter(r, step > 0 ? HUGE_VAL : -HUGE_VAL);
    return r;
  }

  // An odd n and an r whose exact product ends, below the 64 bits kept, in
  // exactly one half: a tie, which rounds to the even neighbour (six in ten
  // are; in the others the product has one bit less, and the half falls a
  // bit lower).
  std::pair<std::int64_t, double> tie() {
    // n of 21 to 31 bits, odd; r = m * 2**e with m of 53 bits.  n * m has
    // 74 to 84 bits; its low (bits - 64) bits must read 100...0.
    const int bits = std::uniform_int_distribution<int>(21, 31)(random_);
    const std::uint64_t n =
        std::uniform_int_distribution<std::uint64_t>(std::uint64_t{1} << (bits - 1),
                                                     (std::uint64_t{1} << bits) - 1)(random_) |
        1;
    const int low = bits + 53 - 64;  // bits below the kept 64 (the product may have one less)
    const std::uint64_t mask = (std::uint64_t{1} << low) - 1;
    // m = half * n**-1 modulo 2**low, with its upper bits drawn.
    std::uint64_t inverse = n;  // Newton's iteration for the inverse modulo 2**64
    for (int i = 0; i < 6; ++i) inverse *= 2 - n * inverse;
    const std::uint64_t half = std::uint64_t{1} << (low - 1);
    const std::uint64_t m =
        (std::uint64_t{1} << 52) |
        (std::uniform_int_distribution<std::uint64_t>(0, (std::uint64_t{1} << 52) - 1)(random_) &
         ~mask) |
        ((half * inverse) & mask);
    const int exponent = std::uniform_int_distribution<int>(-90, -40)(random_);
    return {static_cast<std::int64_t>(n), std::ldexp(static_cast<double>(m), exponent)};
  }

  bool chance(int oneIn) { return std::uniform_int_distribution<int>(1, oneIn)(random_) == 1; }

 private:
  static std::int64_t ipow10(int power) {
    std::int64_t result = 1;
    while (power-- > 0) result *= 10;
    return result;
  }

  std::mt19937_64 random_;
};

// Counts the operands compared and the differences, and shows the first few.
struct Tally {
  std::int64_t operands = 0;
  std::int64_t differences = 0;

  void compare(bool same, const std::function<std::string()>& describe) {
    ++operands;
    if (same) return;
    if (++differences <= 5) ADD_FAILURE() << describe();
  }
};

std::string show(Hard value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.21Lg", value);
  return text;
}

// n * r both ways: the product to the bit, and its truncation.
void compareProduct(Tally& tally, std::int64_t n, double r) {
  const Hard hard = static_cast<Hard>(n) * static_cast<Hard>(r);
  const Soft soft = Soft(n) * Soft(r);
  const auto hardInteger = extended::truncatedProduct<Hard>(n, r);
  const auto softInteger = extended::truncatedProduct<Soft>(n, r);
  tally.compare(Soft(hard) == soft && hardInteger == softInteger, [&] {
    return std::to_string(n) + " x " + show(r) + ": x87 " + show(hard) + ", software " +
           soft.str(25);
  });
}

// A quotient, a difference and a square root both ways; the difference
// only where the software type takes it right (base/software_extended.h).
void compareQuotientAndRoot(Tally& tally, Hard a, Hard b) {
  int aExponent = 0;
  int bExponent = 0;
  std::frexp(a, &aExponent);
  std::frexp(b, &bExponent);
  const bool differenceTaken = std::abs(aExponent - bExponent) != 65;
  const bool same =
      Soft(a / b) == Soft(a) / Soft(b) && (!differenceTaken || Soft(a - b) == Soft(a) - Soft(b)) &&
      Soft(std::sqrt(std::fabs(a))) == extended::squareRoot(Soft(std::fabs(a))) &&
      extended::truncateToInteger(a / b) == extended::truncateToInteger(Soft(a) / Soft(b));
  tally.compare(same, [&] { return show(a) + " and " + show(b); });
}

void report(const char* family, const Tally& tally) {
  std::cout << "[ operands ] " << family << ": " << tally.operands << " compared, "
            << tally.differences << " differences\n";
  EXPECT_EQ(tally.differences, 0) << family;
}

TEST(ExtendedArithmetic, ProductsOfListSizesAndCardReals) {
  Operands draw(1);
  Tally tally;
  for (std::int64_t i = 0; i < operandCount(); ++i)
    compareProduct(tally, draw.listSize(), draw.cardReal());
  report("list size x card real", tally);
}

TEST(ExtendedArithmetic, ProductsOfEveryMagnitude) {
  Operands draw(2);
  Tally tally;
  for (std::int64_t i = 0; i < operandCount(); ++i) {
    const std::int64_t n =
        draw.chance(4) ? std::int64_t{1} << 40 | draw.listSize() : draw.listSize();
    compareProduct(tally, n, draw.anyReal());
  }
  report("any size x any real", tally);
}

TEST(ExtendedArithmetic, ProductsNextToIntegersAndTies) {
  Operands draw(3);
  Tally tally;
  for (std::int64_t i = 0; i < operandCount() / 2; ++i) {
    std::int64_t n = draw.listSize();
    if (n == 0) n = 1;
    compareProduct(tally, n, draw.nextToInteger(n));
    const auto [odd, r] = draw.tie();
    compareProduct(tally, odd, r);
  }
  report("products next to integers and ties", tally);
}

TEST(ExtendedArithmetic, DefaultsTimesEveryThreeDigitMultiplier) {
  // Every default list size times every multiplier 0.001 to 9.999 in steps
  // of 0.001, as a DEFAULT or SCALE card gives them.
  Tally tally;
  for (std::int32_t size : LSTDEF)
    for (int thousandths = 1; thousandths < 10000; ++thousandths) {
      char card[16];
      std::snprintf(card, sizeof card, "%d.%03d", thousandths / 1000, thousandths % 1000);
      compareProduct(tally, size, std::strtod(card, nullptr));
    }
  report("defaults x multipliers", tally);
}

TEST(ExtendedArithmetic, QuotientsDifferencesAndRoots) {
  Operands draw(4);
  Tally tally;
  for (std::int64_t i = 0; i < operandCount(); ++i) {
    // Products with a full 64-bit significand, as sizing makes them, and
    // plain doubles.
    const Hard a = static_cast<Hard>(draw.listSize()) * static_cast<Hard>(draw.anyReal());
    const Hard b = draw.chance(2) ? static_cast<Hard>(draw.listSize() | 1) * draw.anyReal()
                                  : static_cast<Hard>(draw.cardReal());
    compareQuotientAndRoot(tally, a, b);
  }
  report("quotients, differences, roots", tally);
}

TEST(ExtendedArithmetic, SquareRootRuleForEveryOffset) {
  // Every q up to 200000, then the q around each whole root n (where the
  // square root lands next to an integer) and drawn q up to 2**30.
  Tally tally;
  auto compareRoot = [&tally](std::int32_t q) {
    const QuadraticRoot hard = quadraticRoot<Hard>(q);
    const QuadraticRoot soft = quadraticRoot<Soft>(q);
    tally.compare(hard.root == soft.root && hard.reduced == soft.reduced,
                  [&] { return "q = " + std::to_string(q); });
  };
  for (std::int32_t q = -20; q <= 200000; ++q) compareRoot(q);
  for (std::int64_t n = 1; n < 10000; ++n) {
    const auto q = static_cast<std::int32_t>(10.875 * n * n + 32.25 * n + 9);
    for (std::int32_t d = -2; d <= 2; ++d) compareRoot(q + d);
  }
  Operands draw(5);
  for (std::int64_t i = 0; i < operandCount() / 4; ++i)
    compareRoot(static_cast<std::int32_t>(draw.listSize() & 0x3fffffff));
  report("square-root rule", tally);
}

TEST(ExtendedArithmetic, TruncationOfCardReals) {
  Operands draw(6);
  Tally tally;
  auto compareTruncation = [&tally](double value) {
    tally.compare(extended::truncateToInteger(static_cast<Hard>(value)) ==
                      extended::truncateToInteger(Soft(value)),
                  [&] { return show(value); });
  };
  for (double edge :
       {2147483647.0, 2147483647.99, 2147483648.0, -2147483648.0, -2147483648.99, -2147483649.0,
        0.0, -0.0, 0.5, -0.5, 1e300, -1e300, std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN()})
    compareTruncation(edge);
  for (std::int64_t i = 0; i < operandCount(); ++i) {
    const double value = draw.cardReal();
    compareTruncation(value * 1e6);
    compareTruncation(std::nextafter(std::round(value), draw.chance(2) ? HUGE_VAL : -HUGE_VAL));
  }
  report("truncation", tally);
}

#else

TEST(ExtendedArithmetic, NothingToCompareWithoutX87) {
  GTEST_SKIP() << "long double is not the x87 extended format here: sizgen uses the software "
                  "type alone, compared with x87 on x86-64";
}

#endif

}  // namespace
}  // namespace sizgen
