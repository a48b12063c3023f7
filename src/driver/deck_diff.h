#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace sizgen {

// How many lines a line-by-line difference of two texts removes from
// `before` and adds from `after` (the lines outside their longest common
// subsequence).
struct LineChanges {
  std::int64_t removed = 0;
  std::int64_t added = 0;
};
LineChanges lineChanges(std::string_view before, std::string_view after);

// What --diff prints: the difference between the deck file `oldDeck` ("-":
// standard input) and the deck `deck` called `deckName`, as text or as
// JSON.  Both decks are read and planned as a run reads them, and their
// files rendered in memory; nothing is written.  Throws sizgen::Error for
// a deck that cannot be processed, its message after the deck's name.
std::string deckDiff(const std::string& oldDeck, std::FILE* deck, const std::string& deckName,
                     bool json);

}  // namespace sizgen
