#pragma once

#include <cstdint>
#include <string_view>

#include "base/fortran_array.h"

namespace sizgen {

// The list sizes LSTNEW(1..99), 0 until a card or the resolution sets them.
using ListSizes = FortranArray<std::int32_t, 99>;

// The card a value of the deck was read from.  Nothing here changes what
// a run computes or writes; it says why a list has its size.
struct CardOrigin {
  long card = 0;            // the card's line number in the deck; 0: no card gave it
  std::string_view what;    // the card: "2nd list-size card", or its keyword: "SCALE"
  int field = 0;            // the field of the card, from 1; 0: the card's one value
  int firstColumn = 0;      // the columns the field was really read from, commas
  int lastColumn = 0;       // included
  std::int32_t value = 0;   // the value read, as an integer
  bool readAsReal = false;  // the card was read as reals: `real` was truncated
  double real = 0.0;        // the value read, as a real (real fields)
};

// Where each recorded value came from; the last card to set a value wins.
struct DeckOrigins {
  CardOrigin DEFMUL;                    // the DEFAULT card
  CardOrigin FINMUL;                    // the SCALE card
  FortranArray<CardOrigin, 32> LSTFIX;  // flag k of the FIXED card
  CardOrigin SCALE6;                    // the NBHDSW card
  CardOrigin KRAMTB;                    // the RAM TABLES card
  CardOrigin NQUANT;                    // the ROUND UP card
  FortranArray<CardOrigin, 7> LSTSUP;   // the supplemental-offsets card
  FortranArray<CardOrigin, 40> LSTNEW;  // the list-size cards and the CARDS card
};

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
  DeckOrigins origins;
};

}  // namespace sizgen
