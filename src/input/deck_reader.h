#pragma once

#include <string_view>

#include "base/sink.h"
#include "input/card_reader.h"
#include "input/keywords.h"
#include "model/deck_cards.h"
#include "model/deck_settings.h"

namespace sizgen {

// The first keyword, in this order, that the card's leading columns spell
// exactly (case and blanks included), or ListSize.
CardKind classifyCard(std::string_view image);

// Reads the deck until its end (end of input, or the supplemental-offsets
// card), echoes each card on the listing with what it was taken for, and
// returns what the cards say, lists 1 to 40 included.  Nothing is
// computed here.  With `record`, also records each card read in its
// `cards` (from a reader that keeps its lines), and when a card cannot be
// read, the warnings of the cards before it in its `warnings`.
DeckSettings readDeck(CardReader& cards, Sink& listing, DeckReading* record = nullptr);

// The same for a deck that no listing shows: no echo line is made.
DeckSettings readDeck(CardReader& cards, DeckReading* record = nullptr);

}  // namespace sizgen
