#pragma once

#include <string>

#include "base/sink.h"
#include "model/deck_cards.h"

namespace sizgen {

// The deck of `reading` card by card under a column ruler, as --annotate
// prints it: each card, then what it was read as, each field with its
// columns, text, value read, what it sets and, where it differs, the size
// its list ends with and the step that gave it; the warnings and the error
// beneath the card they belong to, marked at their columns.  Lines end
// with '\n'.  Written on `out` card by card, as text, then flushed.
void annotateDeck(const DeckReading& reading, Sink& out);
// The same text, held whole.
std::string annotateDeck(const DeckReading& reading);

}  // namespace sizgen
