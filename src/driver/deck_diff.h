#pragma once

#include <cstdio>
#include <string>

#include "analysis/plan_diff.h"
#include "model/run_plan.h"

namespace sizgen {

// A deck being read, and how messages call it.
struct DeckStream {
  std::FILE* file;
  std::string name;
};

// The plans of the old deck and of the new one, and their difference,
// read and planned as deckDiff reads and plans them.
struct DeckDifference {
  RunPlan before;
  RunPlan after;
  PlanDiff diff;
};
DeckDifference diffDecks(const DeckStream& old, const DeckStream& deck, std::FILE* warnings);

// What --diff prints: the difference between the deck `old` and the deck
// `deck`, as text or as JSON.  Both decks are read and planned as a run
// reads them, the old one first, and their files rendered in memory;
// nothing is written.  The warnings of each deck go on `warnings` (null:
// nowhere) as a run prints them, after the deck's name.  Throws
// sizgen::Error for a deck that cannot be processed, its message after
// the deck's name.
std::string deckDiff(const DeckStream& old, const DeckStream& deck, bool json, std::FILE* warnings);

}  // namespace sizgen
