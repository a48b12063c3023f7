#pragma once

#include <array>
#include <cstdint>

#include "input/deck_settings.h"

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

// Resolution pass over lists 1 to NLISTS: a list left at 0 takes its
// default times DEFMUL; after a SCALE card every list not FIXED is
// multiplied by FINMUL; no list stays below 1.
void resolveCardLists(const DeckSettings& settings, ListSizes& LSTNEW);

// The fixed adjustments that follow: list 15 a multiple of 4, list 1 two
// larger, minimums for lists 19 and 26, lists 1, 7, 15, 16 and 27 even.
void adjustLists(ListSizes& LSTNEW);

// Lists 51 to 74, derived from lists 1 to 30 and SCALE6.
void deriveLists(const DeckSettings& settings, ListSizes& LSTNEW);

// Whether the listing shows the "Final List Sizes": when a multiplier is
// in force.
bool finalSizesShown(const DeckSettings& settings);

// Every function here throws sizgen::Error when a size it stores does not
// fit 32 bits.

}  // namespace sizgen
