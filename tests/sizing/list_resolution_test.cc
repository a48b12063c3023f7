#include "sizing/list_resolution.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "base/real_arithmetic.h"
#include "support/resolution.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::errorOf;
using testing::resolved;

using Sizes = std::vector<std::int32_t>;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// LSTNEW(first..last).
Sizes lists(const ListSizes& LSTNEW, std::size_t first, std::size_t last) {
  auto range = LSTNEW.range(first, last);
  return Sizes(range.begin(), range.end());
}

// Lists 1 to 30 all FIXED.
DeckSettings allFixed() {
  DeckSettings settings;
  for (std::size_t k = 1; k <= 30; ++k) settings.LSTFIX(k) = 1;
  return settings;
}

// ---------------------------------------------------------------------------
// Resolution of the cards, adjustments and derived lists

TEST(ListResolution, EmptyDeck) {
  ListSizes LSTNEW = resolved(DeckSettings{});
  EXPECT_EQ(
      lists(LSTNEW, 1, 31),
      (Sizes{252, 300, 500,  50,  2500, 40,  700,  1750, 75,  160, 50, 50,   5000, 20, 3600, 40,
             4,   5,   1600, 860, 100,  350, 4000, 3,    400, 84,  26, 7000, 1,    2,  10}));
  EXPECT_EQ(LSTNEW(32), 0);  // only a fourth list-size card brings list 32
  EXPECT_EQ(lists(LSTNEW, 51, 74),
            (Sizes{100, 200, 85,  2520, 79,  200, 756, 200, 168, 80, 0,  20,
                   120, 160, 404, 96,   480, 240, 120, 252, 504, 9,  80, 100}));
  EXPECT_EQ(lists(LSTNEW, 33, 50), Sizes(18, 0));
  EXPECT_EQ(lists(LSTNEW, 75, 99), Sizes(25, 0));
  EXPECT_FALSE(finalSizesShown(DeckSettings{}));
}

TEST(ListResolution, DefaultMultiplierSevenTenths) {
  DeckSettings settings;
  settings.DEFMUL = 0.7;
  ListSizes pass;
  testing::passOver(settings, pass);
  EXPECT_EQ(pass(1), 174);  // not 175
  EXPECT_EQ(pass(21), 69);
  EXPECT_EQ(pass(6), 27);
  EXPECT_EQ(pass(28), 4899);
  EXPECT_EQ(pass(15), 2519);
  EXPECT_EQ(pass(31), 6);

  ListSizes LSTNEW = resolved(settings);
  EXPECT_EQ(LSTNEW(1), 176);
  // List 15: 2519 leaves 3 over a multiple of 4 and ends 5 higher.
  EXPECT_EQ(
      lists(LSTNEW, 1, 31),
      (Sizes{176, 209, 349,  34,  1749, 27,  490,  1224, 52,  111, 34, 34,   3499, 13, 2524, 28,
             2,   3,   1119, 601, 69,   244, 2799, 2,    279, 58,  18, 4899, 1,    1,  6}));
  EXPECT_EQ(lists(LSTNEW, 51, 74),
            (Sizes{68, 136, 59,  1762, 54,  135, 352, 136, 116, 54, 0,  12,
                   81, 108, 202, 48,   336, 168, 60,  172, 352, 6,  54, 68}));
  EXPECT_TRUE(finalSizesShown(settings));
}

TEST(ListResolution, TinyDefaultMultiplier) {
  // Every default comes out 0 and becomes 1; the adjustments then give
  // list 1 4, lists 7, 16 and 27 2, list 15 4, list 19 23 and list 26 10,
  // and with L11 = 1 lists 65 to 70 take their fixed values.
  DeckSettings settings;
  settings.DEFMUL = 0.0001;
  ListSizes LSTNEW = resolved(settings);
  EXPECT_EQ(lists(LSTNEW, 1, 31), (Sizes{4, 1, 1,  1, 1, 1, 2, 1, 1, 1,  1, 1, 1, 1, 4, 2,
                                         1, 1, 23, 1, 1, 1, 1, 1, 1, 10, 2, 1, 1, 1, 1}));
  EXPECT_EQ(lists(LSTNEW, 51, 74),
            (Sizes{2, 4, 1, 2, 2, 5, 4, 4, 20, 2, 0, 4, 3, 4, 1, 1, 1, 1, 27, 2, 8, 6, 2, 2}));
  EXPECT_TRUE(finalSizesShown(settings));
}

TEST(ListResolution, BlankFinalMultiplierMakesEveryListOne) {
  // A SCALE card with a blank value: FINMUL 0 multiplies everything to 0,
  // so the result is that of a tiny default multiplier.
  DeckSettings blankScale;
  blankScale.KSCALE = 1;
  blankScale.FINMUL = 0.0;
  DeckSettings tiny;
  tiny.DEFMUL = 0.0001;
  EXPECT_EQ(lists(resolved(blankScale), 1, 99), lists(resolved(tiny), 1, 99));
}

TEST(ListResolution, List15EndsAMultipleOfFour) {
  struct Case {
    std::int32_t card, expected;
  };
  for (Case c : {Case{3597, 3600}, Case{3598, 3600}, Case{3599, 3604}, Case{3600, 3600}, Case{1, 4},
                 Case{2, 4}, Case{3, 8}, Case{4, 4}}) {
    ListSizes LSTNEW;
    LSTNEW(15) = c.card;
    LSTNEW = resolved(DeckSettings{}, LSTNEW);
    EXPECT_EQ(LSTNEW(15), c.expected) << "card " << c.card;
  }
}

TEST(ListResolution, AdjustmentsOnly) {
  // Lists 1, 7, 16 and 27 are made even; list 1 first gains 2.
  ListSizes LSTNEW;
  for (std::size_t k = 1; k <= 30; ++k) LSTNEW(k) = 101;
  LSTNEW(15) = 100;
  ListHistory history;
  adjustLists(DeckSettings{}, LSTNEW, history);
  EXPECT_EQ(LSTNEW(1), 104);  // 101 + 2 = 103, odd
  EXPECT_EQ(LSTNEW(7), 102);
  EXPECT_EQ(LSTNEW(15), 100);
  EXPECT_EQ(LSTNEW(16), 102);
  EXPECT_EQ(LSTNEW(27), 102);
  // Other odd lists stay odd.
  for (std::size_t k : {2, 3, 6, 8, 17, 19, 26, 28, 30}) EXPECT_EQ(LSTNEW(k), 101) << "list " << k;
  ListSizes even;
  even(1) = 250;
  even(19) = 24;
  even(26) = 11;
  adjustLists(DeckSettings{}, even, history);
  EXPECT_EQ(even(1), 252);
  EXPECT_EQ(even(19), 24);
  EXPECT_EQ(even(26), 11);
}

TEST(ListResolution, MinimumsOfLists19And26) {
  ListSizes cards;
  cards(19) = 5;
  cards(26) = 3;
  ListSizes LSTNEW = resolved(DeckSettings{}, cards);
  EXPECT_EQ(LSTNEW(19), 23);
  EXPECT_EQ(LSTNEW(26), 10);
  EXPECT_EQ(LSTNEW(59), 20);
  cards(19) = 23;
  cards(26) = 10;
  LSTNEW = resolved(DeckSettings{}, cards);
  EXPECT_EQ(LSTNEW(19), 23);
  EXPECT_EQ(LSTNEW(26), 10);
  cards(19) = 24;
  cards(26) = 11;
  LSTNEW = resolved(DeckSettings{}, cards);
  EXPECT_EQ(LSTNEW(19), 24);
  EXPECT_EQ(LSTNEW(26), 11);
  EXPECT_EQ(LSTNEW(59), 22);
}

TEST(ListResolution, List11OfOne) {
  ListSizes cards;
  cards(11) = 1;
  ListSizes LSTNEW = resolved(DeckSettings{}, cards);
  EXPECT_EQ(lists(LSTNEW, 65, 70), (Sizes{1, 1, 1, 1, 27, 2}));
  // Any other value takes the formulas: L17 = 4, L16 = 40.
  cards(11) = 2;
  LSTNEW = resolved(DeckSettings{}, cards);
  EXPECT_EQ(lists(LSTNEW, 65, 70), (Sizes{404, 96, 480, 240, 120, 12}));
}

TEST(ListResolution, List53DividesAfterMultiplying) {
  ListSizes cards;
  cards(25) = 37;  // 111 / 112 = 0
  EXPECT_EQ(resolved(DeckSettings{}, cards)(53), 75);
  cards(25) = 38;  // 114 / 112 = 1
  EXPECT_EQ(resolved(DeckSettings{}, cards)(53), 76);
}

TEST(ListResolution, FinalMultiplierOfOne) {
  DeckSettings settings;
  settings.KSCALE = 1;
  settings.FINMUL = 1.0;
  EXPECT_EQ(lists(resolved(settings), 1, 99), lists(resolved(DeckSettings{}), 1, 99));
  EXPECT_TRUE(finalSizesShown(settings));
  // A DEFAULT card of exactly 1 shows nothing.
  DeckSettings one;
  one.DEFMUL = 1.0;
  EXPECT_FALSE(finalSizesShown(one));
  one.DEFMUL = 1.0000001;
  EXPECT_TRUE(finalSizesShown(one));
}

TEST(ListResolution, FinalMultiplierAppliesToCardsAndDefaults) {
  DeckSettings settings;
  settings.DEFMUL = 0.5;
  settings.KSCALE = 1;
  settings.FINMUL = 3.0;
  settings.LSTFIX(2) = 1;
  settings.LSTFIX(4) = -1;  // any nonzero flag
  ListSizes LSTNEW;
  LSTNEW(3) = 1000;
  LSTNEW(4) = 9;
  testing::passOver(settings, LSTNEW);
  EXPECT_EQ(LSTNEW(2), 150);   // fixed: 300 x 0.5
  EXPECT_EQ(LSTNEW(3), 3000);  // card value scaled
  EXPECT_EQ(LSTNEW(4), 9);     // fixed card value
  EXPECT_EQ(LSTNEW(5), 3750);  // 2500 x 0.5 x 3
  EXPECT_EQ(LSTNEW(31), 15);   // 10 x 0.5 x 3
  EXPECT_EQ(LSTNEW(32), 0);    // not resolved without the fourth card
}

TEST(ListResolution, Lists31And32HaveNoFixedFlag) {
  DeckSettings settings = allFixed();
  settings.KSCALE = 1;
  settings.FINMUL = 2.0;
  settings.NLISTS = 32;
  ListSizes LSTNEW;
  testing::passOver(settings, LSTNEW);
  for (std::size_t k = 1; k <= 30; ++k) EXPECT_EQ(LSTNEW(k), LSTDEF[k - 1]) << "list " << k;
  EXPECT_EQ(LSTNEW(31), 20);
  EXPECT_EQ(LSTNEW(32), 200);
}

TEST(ListResolution, FourthCardResolvesList32Only) {
  DeckSettings settings;
  settings.NLISTS = 32;
  ListSizes LSTNEW;
  LSTNEW(33) = -3;  // lists 33 to 40 are kept as the card gave them
  LSTNEW(40) = 77;
  testing::passOver(settings, LSTNEW);
  EXPECT_EQ(LSTNEW(32), 100);
  EXPECT_EQ(LSTNEW(33), -3);
  EXPECT_EQ(LSTNEW(34), 0);
  EXPECT_EQ(LSTNEW(40), 77);

  DeckSettings without;  // NLISTS 31
  ListSizes untouched;
  untouched(32) = -3;
  testing::passOver(without, untouched);
  EXPECT_EQ(untouched(32), -3);
}

TEST(ListResolution, SizesNeverBelowOne) {
  ListSizes cards;
  cards(2) = -7;
  cards(3) = kMin;
  ListSizes LSTNEW = cards;
  testing::passOver(DeckSettings{}, LSTNEW);
  EXPECT_EQ(LSTNEW(2), 1);
  EXPECT_EQ(LSTNEW(3), 1);
  EXPECT_EQ(LSTNEW(4), 50);

  DeckSettings doubled;
  doubled.KSCALE = 1;
  doubled.FINMUL = 2.0;
  LSTNEW = {};
  LSTNEW(2) = -7;
  testing::passOver(doubled, LSTNEW);
  EXPECT_EQ(LSTNEW(2), 1);  // -14

  // A negative multiplier turns the defaults negative (then 1) and a
  // negative card value positive.
  DeckSettings negative;
  negative.KSCALE = 1;
  negative.FINMUL = -1.0;
  LSTNEW = {};
  LSTNEW(3) = -5;
  testing::passOver(negative, LSTNEW);
  EXPECT_EQ(LSTNEW(3), 5);
  EXPECT_EQ(LSTNEW(4), 1);
}

TEST(ListResolution, FinalMultiplierPrecision) {
  DeckSettings settings;
  settings.KSCALE = 1;
  settings.FINMUL = 0.004117;
  ListSizes LSTNEW;
  LSTNEW(3) = 1000000;
  testing::passOver(settings, LSTNEW);
  EXPECT_EQ(LSTNEW(3), 4117);
}

TEST(ListResolution, TruncationAtThe32BitLimit) {
  // Every list but 29 given on a card, so that only list 29 (default 1)
  // meets the multiplier.
  ListSizes cards;
  for (std::size_t k = 1; k <= 31; ++k) cards(k) = k == 29 ? 0 : 5;
  DeckSettings settings;
  settings.DEFMUL = 2147483647.9;
  ListSizes LSTNEW = cards;
  testing::passOver(settings, LSTNEW);
  EXPECT_EQ(LSTNEW(29), kMax);
  settings.DEFMUL = -2147483648.9;  // fits, then raised to 1
  LSTNEW = cards;
  testing::passOver(settings, LSTNEW);
  EXPECT_EQ(LSTNEW(29), 1);
  settings.DEFMUL = 2147483648.0;
  LSTNEW = cards;
  EXPECT_EQ(errorOf([&] { testing::passOver(settings, LSTNEW); }),
            "list 29 (LSTDEF x DEFMUL) is out of the 32-bit range");
  settings.DEFMUL = -2147483649.0;
  LSTNEW = cards;
  EXPECT_EQ(errorOf([&] { testing::passOver(settings, LSTNEW); }),
            "list 29 (LSTDEF x DEFMUL) is out of the 32-bit range");
  // A multiplier that no product meets does not matter.
  settings.DEFMUL = std::numeric_limits<double>::infinity();
  cards(29) = 1;
  LSTNEW = cards;
  testing::passOver(settings, LSTNEW);
  EXPECT_EQ(LSTNEW(29), 1);
}

TEST(ListResolution, OverflowingProducts) {
  const double infinity = std::numeric_limits<double>::infinity();
  ListSizes LSTNEW;
  // 2500 x 1e6 is the first default out of range.
  DeckSettings settings;
  settings.DEFMUL = 1e6;
  EXPECT_EQ(errorOf([&] { testing::passOver(settings, LSTNEW); }),
            "list 5 (LSTDEF x DEFMUL) is out of the 32-bit range");
  // Out of range below is an error too, not a size to be raised to 1.
  settings.DEFMUL = -1e6;
  LSTNEW = {};
  EXPECT_EQ(errorOf([&] { testing::passOver(settings, LSTNEW); }),
            "list 5 (LSTDEF x DEFMUL) is out of the 32-bit range");
  settings.DEFMUL = 1e300;
  LSTNEW = {};
  EXPECT_EQ(errorOf([&] { testing::passOver(settings, LSTNEW); }),
            "list 1 (LSTDEF x DEFMUL) is out of the 32-bit range");
  settings.DEFMUL = infinity;
  LSTNEW = {};
  EXPECT_EQ(errorOf([&] { testing::passOver(settings, LSTNEW); }),
            "list 1 (LSTDEF x DEFMUL) is out of the 32-bit range");

  // The final multiplier, on a default and on a card value.
  DeckSettings scaled;
  scaled.KSCALE = 1;
  scaled.FINMUL = -1e9;
  LSTNEW = {};
  EXPECT_EQ(errorOf([&] { testing::passOver(scaled, LSTNEW); }),
            "list 1 (size x FINMUL) is out of the 32-bit range");
  scaled = allFixed();
  scaled.KSCALE = 1;
  scaled.FINMUL = 1.0000001;
  LSTNEW = {};
  LSTNEW(31) = kMax;
  EXPECT_EQ(errorOf([&] { testing::passOver(scaled, LSTNEW); }),
            "list 31 (size x FINMUL) is out of the 32-bit range");
  scaled.FINMUL = 1.0;
  LSTNEW = {};
  LSTNEW(31) = kMax;
  testing::passOver(scaled, LSTNEW);
  EXPECT_EQ(LSTNEW(31), kMax);
  // An infinite final multiplier, even against a size of 0.
  DeckSettings zero;
  zero.DEFMUL = 0.0;
  zero.KSCALE = 1;
  zero.FINMUL = infinity;
  LSTNEW = {};
  EXPECT_EQ(errorOf([&] { testing::passOver(zero, LSTNEW); }),
            "list 1 (size x FINMUL) is out of the 32-bit range");
}

TEST(ListResolution, OverflowingAdjustments) {
  auto adjusting = [](std::size_t k, std::int32_t size) {
    ListSizes LSTNEW = resolved(DeckSettings{});
    LSTNEW(k) = size;
    ListHistory history;
    return errorOf([&] { adjustLists(DeckSettings{}, LSTNEW, history); });
  };
  EXPECT_EQ(adjusting(1, kMax - 1), "list 1 (L1 + 2) is out of the 32-bit range");
  EXPECT_EQ(adjusting(1, kMax - 2), "list 1 (L1 + 1) is out of the 32-bit range");
  EXPECT_EQ(adjusting(1, kMax - 3), "(no error)");  // kMax - 1, even
  EXPECT_EQ(adjusting(7, kMax), "list 7 (L7 + 1) is out of the 32-bit range");
  EXPECT_EQ(adjusting(16, kMax), "list 16 (L16 + 1) is out of the 32-bit range");
  EXPECT_EQ(adjusting(27, kMax), "list 27 (L27 + 1) is out of the 32-bit range");
  EXPECT_EQ(adjusting(15, kMax), "list 15 (L15 + 2) is out of the 32-bit range");
  EXPECT_EQ(adjusting(15, kMax - 2), "list 15 (L15 + 1) is out of the 32-bit range");
  // 2147483643: + 2, + 1, and the last + 2 goes over.
  EXPECT_EQ(adjusting(15, kMax - 4), "list 15 (L15 + 2) is out of the 32-bit range");
  EXPECT_EQ(adjusting(15, kMax - 3), "(no error)");  // a multiple of 4
}

TEST(ListResolution, OverflowingDerivedLists) {
  auto deriving = [](std::size_t k, std::int32_t size, double SCALE6 = 5.0) {
    ListSizes LSTNEW = resolved(DeckSettings{});
    DeckSettings settings;
    settings.SCALE6 = SCALE6;
    LSTNEW(k) = size;
    ListHistory history;
    return errorOf([&] { deriveLists(settings, LSTNEW, history); });
  };
  // L24 = 3: L1 x L24 out of range from L1 = 715827883 on.
  EXPECT_EQ(deriving(1, 715827882), "(no error)");
  EXPECT_EQ(deriving(1, 715827883), "list 57 (L1 x L24) is out of the 32-bit range");
  EXPECT_EQ(deriving(17, 21262214), "(no error)");
  EXPECT_EQ(deriving(17, 21262215), "list 65 (101 x L17) is out of the 32-bit range");
  EXPECT_EQ(deriving(6, 40, 1e9), "list 56 (L6 x SCALE6) is out of the 32-bit range");
  EXPECT_EQ(deriving(6, 40, -1e9), "list 56 (L6 x SCALE6) is out of the 32-bit range");
  EXPECT_EQ(deriving(6, 1, std::numeric_limits<double>::infinity()),
            "list 56 (L6 x SCALE6) is out of the 32-bit range");
  EXPECT_EQ(deriving(6, 1, -2147483648.5), "(no error)");
  EXPECT_EQ(deriving(11, 429496729), "(no error)");
  EXPECT_EQ(deriving(11, 429496730), "list 70 (5 x L11 + 2) is out of the 32-bit range");
  EXPECT_EQ(deriving(5, kMax), "list 54 (L14 + L5) is out of the 32-bit range");
  EXPECT_EQ(deriving(30, 715827882), "list 72 (3 x L30 + 3) is out of the 32-bit range");
}

TEST(ListResolution, DerivedListsWithWideIntermediates) {
  DeckSettings settings;
  ListSizes LSTNEW = resolved(settings);
  LSTNEW(1) = 46340;
  LSTNEW(24) = 46341;
  LSTNEW(25) = kMax;  // 3 x L25 is above 2**32
  LSTNEW(11) = 429496729;
  ListHistory history;
  deriveLists(settings, LSTNEW, history);
  EXPECT_EQ(LSTNEW(57), 2147441940);
  EXPECT_EQ(LSTNEW(53), 75 + 57521883);
  EXPECT_EQ(LSTNEW(70), kMax);
  // With L6 = 1 list 56 is SCALE6 truncated, as low as -2**31.
  settings.SCALE6 = -2147483648.5;
  LSTNEW(6) = 1;
  deriveLists(settings, LSTNEW, history);
  EXPECT_EQ(LSTNEW(56), kMin);
}

}  // namespace
}  // namespace sizgen
