#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/scale_card_values.h"
#include "model/deck_settings.h"

namespace sizgen {

// A SCALE card tried on the deck, and what it gives.
struct ScaleTrial : ScaleValue {
  std::optional<std::int64_t> bytes;  // the COMMON storage; nothing when a size
  std::string error;                  // is out of the 32-bit range, and then why
};

// The result of the search for the largest final multiplier that keeps the
// deck's COMMON storage within a budget, among the values the SCALE card
// can hold.  The deck's own SCALE card is ignored; everything else
// (FIXED flags, DEFAULT, ROUND UP, ...) is honoured.
struct MemoryFit {
  std::optional<ScaleTrial> largest;  // nothing when no card fits
  // The next larger value the card can hold, which does not fit; nothing
  // when `largest` is the largest value searched (then no list depends on
  // the multiplier) or nothing fits.
  std::optional<ScaleTrial> next;
  // The smallest value searched: every smaller positive multiplier gives
  // the same storage.
  ScaleTrial smallest;
  int plansEvaluated = 0;  // for the tests of its cost
};

MemoryFit fitMemory(const DeckSettings& settings, std::int64_t budget);

}  // namespace sizgen
