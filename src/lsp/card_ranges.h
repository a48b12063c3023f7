#pragma once

// Where the columns of a card lie in the document.  The deck reader takes
// card N from the Nth line that ends at a line feed: a carriage return
// just before the line feed belongs to the line end, any other is a
// character of the card, and column c is the line's c-th byte (a tab is
// one column, a character outside ASCII as many columns as it has bytes).
// The protocol counts lines and characters otherwise (a lone carriage
// return ends a line there); this maps the one onto the other.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "lsp/text_positions.h"

namespace sizgen::lsp {

class CardRanges {
 public:
  // `text` must outlive the object unchanged.
  CardRanges(std::string_view text, PositionEncoding encoding);

  // The range of columns `first` to `last` of card `card` (from 1), within
  // the text the line holds: columns past its end give the end of the
  // line.  Card 0 (no card to blame) is the start of the document.
  Range columns(long card, int first, int last) const;

  // The card (from 1) and column at `position`: a position at or past the
  // end of a card's text is the column after its last.  Nothing past the
  // last card.
  struct CardColumn {
    long card = 0;
    int column = 0;
  };
  std::optional<CardColumn> at(Position position) const;

  // The number of cards the text holds.
  long count() const { return static_cast<long>(cards_.size()); }

 private:
  struct Card {
    std::size_t begin;
    std::size_t end;  // where its line end begins
  };
  std::string_view text_;
  PositionEncoding encoding_;
  LineIndex lines_;
  std::vector<Card> cards_;
};

}  // namespace sizgen::lsp
