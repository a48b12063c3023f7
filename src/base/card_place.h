#pragma once

#include <string_view>

namespace sizgen {

// A place on a card: where a value came from, where an error or a warning
// is marked.  Card 0: no card.
struct CardPlace {
  long card = 0;        // the card's line number in the deck
  int firstColumn = 0;  // the columns; 0: the whole card
  int lastColumn = 0;
  std::string_view kind{};  // what the card is: "2nd list-size card", "SCALE"; empty: not said
  int field = 0;            // the field of the card, from 1; 0: not said
  // A card error names the columns a field was read from as a range even
  // when there is one ("columns 9-9"); every other text says "column 9".
  bool columnsAsRange = false;
};

}  // namespace sizgen
