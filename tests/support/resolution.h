#pragma once

#include "model/deck_settings.h"
#include "sizing/list_resolution.h"
#include "sizing/run_planning.h"

namespace sizgen::testing {

// The settings with the lists `cards` as the list-size cards gave them.
inline DeckSettings withCards(DeckSettings settings, const ListSizes& cards) {
  for (std::size_t k = 1; k <= kCardLists; ++k) settings.LSTNEW(k) = cards(k);
  return settings;
}

// The resolution pass over `cards`, the lists as the cards gave them.
inline void passOver(const DeckSettings& settings, ListSizes& cards) {
  const DeckSettings given = withCards(settings, cards);
  Planner planner(given);
  cards = planner.resolveCards();
}

// The whole resolution after the cards: the pass over the cards, the
// adjustments and the derived lists.
inline ListSizes resolved(const DeckSettings& settings = {}, const ListSizes& cards = {}) {
  const DeckSettings given = withCards(settings, cards);
  Planner planner(given);
  planner.resolveCards();
  return planner.settleLists();
}

}  // namespace sizgen::testing
