#pragma once

#include <cstdint>

#include "base/fortran_array.h"

namespace sizgen {

// The list sizes LSTNEW(1..99), 0 until a card or the resolution sets them.
using ListSizes = FortranArray<std::int32_t, 99>;

// What the card deck records, each with the value in force before the
// first card is read.
struct DeckSettings {
  double DEFMUL = 1.0;                    // default multiplier (DEFAULT card)
  std::int32_t KSCALE = 0;                // 1 once a SCALE card was read
  double FINMUL = 0.0;                    // final multiplier, used when KSCALE is 1
  FortranArray<std::int32_t, 32> LSTFIX;  // nonzero: list exempt from FINMUL
  double SCALE6 = 5.0;                    // factor for lists 56 and 74 (NBHDSW card)
  std::int32_t KRAMTB = 0;                // 1 after a RAM TABLES card
  std::int32_t NQUANT = 0;                // byte quantum (ROUND UP card), 0 = none
  std::int32_t NLISTS = 31;               // 32 with the optional fourth list-size card
  // seven supplemental offsets (the fifth list-size card), 70000 each at start-up
  FortranArray<std::int32_t, 7> LSTSUP = FortranArray<std::int32_t, 7>::filled(70000);
  // lists 1 to 40 as the list-size cards and the CARDS card gave them; 0: not given
  ListSizes LSTNEW;
};

}  // namespace sizgen
