#pragma once

#include "input/deck_settings.h"
#include "sizing/list_resolution.h"

namespace sizgen::testing {

// The whole resolution after the cards: the pass over the cards, the
// adjustments and the derived lists.
inline ListSizes resolved(const DeckSettings& settings = {}, ListSizes cards = {}) {
  resolveCardLists(settings, cards);
  adjustLists(cards);
  deriveLists(settings, cards);
  return cards;
}

}  // namespace sizgen::testing
