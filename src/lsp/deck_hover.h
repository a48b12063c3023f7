#pragma once

// What the server says of the column under the cursor: the field there
// (its columns, the text and the value read, what it sets, whether a
// later card overrides it, the size its list ends with and the first step
// that set it), the keyword (what the card does and which columns it
// reads), or why a comment or a card after the deck's end is not read.

#include <optional>
#include <string>

#include "model/deck_cards.h"

namespace sizgen::lsp {

struct DeckHover {
  long card = 0;
  int firstColumn = 0;  // the columns the hover is about
  int lastColumn = 0;
  std::string markdown;
};

// The hover of column `column` of line `line` (both from 1) of the deck
// read as `reading`; nothing where nothing is read and nothing is to say
// (blank columns between fields, a card the reading did not reach).
std::optional<DeckHover> deckHover(const DeckReading& reading, long line, int column);

}  // namespace sizgen::lsp
