#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/deck_settings.h"
#include "model/list_history.h"

namespace sizgen {

// The built-in default sizes LSTDEF(1..32) of the card-settable lists.
// clang-format off
inline constexpr std::array<std::int32_t, 32> LSTDEF = {
//    1     2     3     4     5     6     7     8     9    10    11    12    13    14    15    16
    250,  300,  500,   50, 2500,   40,  700, 1750,   75,  160,   50,   50, 5000,   20, 3600,   40,
//   17    18    19    20    21    22    23    24    25    26    27    28    29    30    31    32
      4,    5, 1600,  860,  100,  350, 4000,    3,  400,   84,   25, 7000,    1,    2,   10,  100,
};
// clang-format on

// How a derived list is computed from lists 1 to 30 (Ln is LSTNEW(n)).
struct DerivedFormula {
  enum class Shape {
    Scaled,        // factor x La + addend
    SumWithShare,  // La + factor x Lb / divisor (integer division), or La + Lb
    Product,       // La x Lb
    RealScaled,    // La x SCALE6, a real product truncated
  };
  std::int32_t list;
  Shape shape;
  std::int32_t a;
  std::int32_t factor = 1;
  std::int32_t b = 0;
  std::int32_t divisor = 1;
  std::int32_t addend = 0;
  std::optional<std::int32_t> whenL11IsOne = {};  // the value taken when L11 is exactly 1
};

// Lists 51 to 74, in order; list 61 is not derived and stays 0.
// clang-format off
inline constexpr std::array<DerivedFormula, 23> kDerivedLists = {{
    //  list  shape                                     a  factor   b  divisor addend  L11 = 1
    {51, DerivedFormula::Shape::Scaled,       12,   2},
    {52, DerivedFormula::Shape::Scaled,        4,   4},
    {53, DerivedFormula::Shape::SumWithShare,  9,   3,  25, 112},
    {54, DerivedFormula::Shape::SumWithShare, 14,   1,   5},
    {55, DerivedFormula::Shape::SumWithShare,  9,   1,  17},
    {56, DerivedFormula::Shape::RealScaled,    6},
    {57, DerivedFormula::Shape::Product,       1,   1,  24},
    {58, DerivedFormula::Shape::Scaled,       12,   4},
    {59, DerivedFormula::Shape::Scaled,       26,   2},
    {60, DerivedFormula::Shape::Scaled,        6,   2},
    {62, DerivedFormula::Shape::Scaled,       18,   4},
    {63, DerivedFormula::Shape::Scaled,        6,   3},
    {64, DerivedFormula::Shape::Scaled,        6,   4},
    {65, DerivedFormula::Shape::Scaled,       17, 101,   0,   1,  0,  1},
    {66, DerivedFormula::Shape::Scaled,       17,  24,   0,   1,  0,  1},
    {67, DerivedFormula::Shape::Scaled,       16,  12,   0,   1,  0,  1},
    {68, DerivedFormula::Shape::Scaled,       16,   6,   0,   1,  0,  1},
    {69, DerivedFormula::Shape::Scaled,       17,  30,   0,   1,  0, 27},
    {70, DerivedFormula::Shape::Scaled,       11,   5,   0,   1,  2,  2},
    {71, DerivedFormula::Shape::Scaled,        1,   2},
    {72, DerivedFormula::Shape::Scaled,       30,   3,   0,   1,  3},
    {73, DerivedFormula::Shape::Scaled,        6,   2},
    {74, DerivedFormula::Shape::Scaled,       12,   2},
}};
// clang-format on

// The formula as the user reads it, such as "L9 + 3 x L25 / 112".
std::string formulaText(const DerivedFormula& formula);
// The same with the operands written as given: the texts of La, Lb and
// SCALE6, such as "75 + 3 x 400 / 112".
std::string formulaText(const DerivedFormula& formula, const std::string& a, const std::string& b,
                        const std::string& scale6);

// The stages of the list sizes, in order; each records every step it
// takes in `history`, and says where a size came from (the cards of
// `settings`, followed through `history`) when one leaves the range.

// Resolution pass over lists 1 to NLISTS: a list left at 0 takes its
// default times DEFMUL; after a SCALE card every list not FIXED is
// multiplied by FINMUL; no list stays below 1.  Starts from the lists the
// cards gave.
ListSizes resolveCardLists(const DeckSettings& settings, ListHistory& history);

// The fixed adjustments that follow: list 15 a multiple of 4, list 1 two
// larger, minimums for lists 19 and 26, lists 1, 7, 15, 16 and 27 even.
void adjustLists(const DeckSettings& settings, ListSizes& LSTNEW, ListHistory& history);

// Lists 51 to 74, derived from lists 1 to 30 and SCALE6.
void deriveLists(const DeckSettings& settings, ListSizes& LSTNEW, ListHistory& history);

// Every function here throws sizgen::Error when a size it stores does not
// fit 32 bits.

}  // namespace sizgen
