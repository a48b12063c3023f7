#pragma once

#include <cstdint>
#include <string_view>

#include "base/fortran_array.h"
#include "model/card_place.h"
#include "model/warning.h"

namespace sizgen {

// The list sizes LSTNEW(1..99), 0 until a card or the resolution sets them.
inline constexpr std::size_t kLists = 99;
using ListSizes = FortranArray<std::int32_t, kLists>;

// Lists 1 to 40 can be given on cards.
inline constexpr std::size_t kCardLists = 40;

// The card a value of the deck was read from.  Nothing here changes what
// a run computes or writes; it says why a list has its size.
struct CardOrigin {
  long card = 0;            // the card's line number in the deck; 0: no card gave it
  std::string_view what;    // the card: "2nd list-size card", or its keyword: "SCALE"
  int field = 0;            // the field of the card, from 1; 0: the card's one value
  int firstColumn = 0;      // the columns the field was really read from, commas
  int lastColumn = 0;       // included
  std::int32_t value = 0;   // the value read, as an integer (what a card replaced, too)
  bool readAsReal = false;  // the card was read as reals: `real` was truncated
  double real = 0.0;        // the value read, as a real (real fields)
};

// Where on its card a value was read.
inline CardPlace placeOf(const CardOrigin& origin) {
  return {.card = origin.card,
          .firstColumn = origin.firstColumn,
          .lastColumn = origin.lastColumn,
          .kind = origin.what,
          .field = origin.field};
}

// A value of the deck and the card that gave it.  It reads as its value;
// a value given without a card (a start-up value, or one set by the
// program) has an origin whose `card` is 0.
template <class T>
struct Recorded {
  T value{};
  CardOrigin origin;

  Recorded() = default;
  // Implicit both ways: a setting is read and set as its value.
  // cppcheck-suppress noExplicitConstructor
  Recorded(T given) : value(given) {}
  Recorded(T given, const CardOrigin& from) : value(given), origin(from) {}
  operator const T&() const { return value; }
};

// What the card deck records, each with the value in force before the
// first card is read and the card that last set it.
struct DeckSettings {
  Recorded<double> DEFMUL = 1.0;  // default multiplier (DEFAULT card)
  std::int32_t KSCALE = 0;        // 1 once a SCALE card was read (or a multiplier is tried)
  Recorded<double> FINMUL = 0.0;  // final multiplier, used when KSCALE is 1
  // nonzero: list exempt from FINMUL (flag k of the FIXED card)
  FortranArray<Recorded<std::int32_t>, 32> LSTFIX;
  Recorded<double> SCALE6 = 5.0;      // factor for lists 56 and 74 (NBHDSW card)
  Recorded<std::int32_t> KRAMTB = 0;  // 1 after a RAM TABLES card
  Recorded<std::int32_t> NQUANT = 0;  // byte quantum (ROUND UP card), 0 = none
  std::int32_t NLISTS = 31;           // 32 with the optional fourth list-size card
  // seven supplemental offsets (the fifth list-size card), 70000 each at start-up
  FortranArray<Recorded<std::int32_t>, 7> LSTSUP =
      FortranArray<Recorded<std::int32_t>, 7>::filled(70000);
  // lists 1 to 40 as the list-size cards and the CARDS card gave them; 0: not given
  FortranArray<Recorded<std::int32_t>, kCardLists> LSTNEW;
  // What the cards say that is probably not what was meant, in card order.
  Warnings warnings;
};

// Whether a multiplier is in force, a SCALE card or a DEFAULT multiplier
// other than 1: the listing then shows the final list sizes.
inline bool finalSizesShown(const DeckSettings& settings) {
  return settings.KSCALE != 0 || settings.DEFMUL != 1.0;
}

}  // namespace sizgen
