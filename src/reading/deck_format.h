#pragma once

#include <optional>
#include <string>

#include "model/deck_cards.h"

namespace sizgen {

// The deck of `reading` in its canonical layout: each value right-aligned
// in the columns it is read from, the blanks inside it removed, trailing
// blanks dropped, and nothing changed that any card reads.  Comments, the
// cards after the deck's end and the bytes not read as cards stay as they
// are, and so does a value whose text runs on across an edge of its
// columns (moving it is for the user to decide) or that text right after
// its columns would then touch.  Nothing for a deck with
// an error.  Formatting the result again gives the same text.
std::optional<std::string> formatDeck(const DeckReading& reading);

// One card in its canonical layout, without its line end.
std::string formatCard(const DeckCard& card);

}  // namespace sizgen
