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
// deck's COMMON storage within a budget, among the positive values the
// SCALE card can hold (0 gives what the smallest gives; negative values
// are not searched).  The deck's own SCALE card is ignored; everything
// else (FIXED flags, DEFAULT, ROUND UP, ...) is honoured.
struct MemoryFit {
  // Nothing when no card fits; the largest value the card can hold when
  // the storage does not depend on the multiplier.
  std::optional<ScaleTrial> largest;
  // The next larger value the card can hold, which does not fit; nothing
  // when `largest` is the largest value the card can hold, or nothing fits.
  std::optional<ScaleTrial> next;
  // When nothing fits: the least storage that any positive value gives,
  // proven by the bounds of the search (not only the least of the values
  // tried), with the largest value that gives it; nothing when every
  // value leaves the 32-bit range.
  std::optional<ScaleTrial> least;
  // The line number of the deck's own SCALE card, which overrides a SCALE
  // card put before it; 0 when the deck has none.
  long ownScaleCard = 0;
  // The smallest value searched: every smaller positive multiplier gives
  // the same storage.
  ScaleTrial smallest;
  int plansEvaluated = 0;  // for the tests of its cost
};

MemoryFit fitMemory(const DeckSettings& settings, std::int64_t budget);

}  // namespace sizgen
