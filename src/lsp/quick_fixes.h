#pragma once

// The quick fixes of a deck's warnings: the card rewritten as it was
// probably meant, offered only for a warning that has exactly one such
// reading.  A number beside the value columns of a keyword card, with
// those columns otherwise blank, goes right-aligned into them.  The other
// kinds have no fix: which reading was meant cannot be told from the card
// (see the README).

#include <string>
#include <vector>

#include "model/deck_cards.h"

namespace sizgen::lsp {

struct QuickFix {
  Warning warning;       // the warning it fixes
  std::string title;     // what the fix does, as the editor lists it
  std::string cardText;  // the card's new text, without its line end
};

// A fix is kept only when the deck with it reads the number that the
// warning names as the card's value, and warns no longer of that card.
std::vector<QuickFix> quickFixes(const DeckReading& reading);

// The deck of `reading` with card `line`'s text replaced by `text`.
std::string deckWithCard(const DeckReading& reading, long line, const std::string& text);

}  // namespace sizgen::lsp
