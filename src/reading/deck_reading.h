#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "model/deck_cards.h"

namespace sizgen {

// Reads the deck `deck` (called `name` in messages) as a run reads it,
// recording every card, and plans it.  A deck that cannot be processed
// gives the cards up to the one that failed and the error, the message a
// run would stop with; nothing is thrown for it.
DeckReading readDeckCards(std::FILE* deck, const std::string& name = "standard input");

// The same for a deck held whole in memory, as an editor holds it: the
// bytes after the last card read (past the cards that follow the deck's
// end that the reader looks at) are kept in `unread`.  A pure function.
DeckReading readDeckText(std::string_view deck);

}  // namespace sizgen
