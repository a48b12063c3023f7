#pragma once

#include "model/deck_settings.h"
#include "sizing/list_resolution.h"

namespace sizgen::testing {

// The resolution pass over `cards`, the lists as the cards gave them.
inline void passOver(DeckSettings settings, ListSizes& cards) {
  for (std::size_t k = 1; k <= kCardLists; ++k) settings.LSTNEW(k) = cards(k);
  cards = resolveCardLists(settings);
}

// The whole resolution after the cards: the pass over the cards, the
// adjustments and the derived lists.
inline ListSizes resolved(const DeckSettings& settings = {}, ListSizes cards = {}) {
  passOver(settings, cards);
  adjustLists(cards);
  deriveLists(settings, cards);
  return cards;
}

}  // namespace sizgen::testing
