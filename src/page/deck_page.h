#pragma once

// What --html prints: one self-contained HTML page of a deck.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/deck_cards.h"

namespace sizgen {

// The page of the deck of `reading`, which must have a plan, called
// `deckName`: LTLABL and the totals, the ten largest arrays, the treemap
// of the COMMON storage, the chart of the storage against the SCALE
// multiplier (with the card that fits `budget`, if given), each list's
// size and how it got it, and the deck annotated.  The same reading
// always gives the same bytes.
std::string deckPage(const DeckReading& reading, std::string_view deckName,
                     std::optional<std::int64_t> budget);

}  // namespace sizgen
