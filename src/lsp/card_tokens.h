#pragma once

// The parts of each card as the reader took them, for highlighting:
// keywords, the fields' numbers, comments, and the text that is not read
// (past column 80, cards after the deck's end, columns no field reads).

#include <array>
#include <string_view>
#include <vector>

#include "model/deck_cards.h"

namespace sizgen::lsp {

struct CardToken {
  enum class Type { Keyword, Number, Comment, Unread };
  long card = 0;
  int firstColumn = 0;
  int lastColumn = 0;
  Type type = Type::Keyword;
  friend bool operator==(const CardToken&, const CardToken&) = default;
};

// The protocol's names of the types, in the order of Type: the legend.
// Text that is not read is a comment with the modifier "unread", so that a
// client that knows only the standard types still shows it as not read.
inline constexpr std::array<std::string_view, 3> kTokenTypeNames = {"keyword", "number", "comment"};
inline constexpr std::array<std::string_view, 1> kTokenModifierNames = {"unread"};

// The tokens of the cards of `reading`, in card and column order, none
// overlapping, none of blanks alone.
std::vector<CardToken> cardTokens(const DeckReading& reading);

}  // namespace sizgen::lsp
