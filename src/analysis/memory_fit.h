#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/deck_settings.h"

namespace sizgen {

// The largest final multiplier that the SCALE card can hold for which the
// deck's COMMON storage stays within a budget.
struct MemoryFit {
  std::string card;     // the SCALE card to put in the deck, 16 columns
  double multiplier;    // the value the card is read as
  std::int64_t bytes;   // the COMMON storage with that card
};

// The deck's own SCALE card is ignored; everything else is honoured.
// Nothing when even the smallest positive multiplier the card can hold
// does not fit.
std::optional<MemoryFit> fitMemory(const DeckSettings& settings, std::int64_t budget);

}  // namespace sizgen
