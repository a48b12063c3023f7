#pragma once

#include <string_view>

#include "driver/formatted_io.h"
#include "input/card_reader.h"
#include "input/deck_settings.h"

namespace sizgen {

// What a card is, decided by its leading columns.
enum class CardKind {
  Comment,            // "C "
  DefaultMultiplier,  // "DEFAULT"
  FinalMultiplier,    // "SCALE "
  FixedLists,         // "FIXED "
  CardLimit,          // "CARDS "
  List6Scale,         // "NBHDSW"
  RamTables,          // "RAM TABLES"
  Quantum,            // "ROUND UP"
  ListSize,           // anything else
};

// The first keyword, in this order, that the card's leading columns spell
// exactly (case and blanks included), or ListSize.
CardKind classifyCard(std::string_view image);

// Reads the deck until its end (end of input, or the supplemental-offsets
// card), echoes each card on the listing with what it was taken for, and
// records what the cards say in `settings` and LSTNEW(1..40).  Nothing is
// computed here.
void readDeck(CardReader& cards, const fio::Unit& listing, DeckSettings& settings,
              ListSizes& LSTNEW);

}  // namespace sizgen
