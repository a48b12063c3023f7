#pragma once

#include <cstdint>

#include "model/deck_settings.h"
#include "model/list_history.h"
#include "model/run_plan.h"

namespace sizgen {

// MTOT: the storage of the ROOT10 arrays (rows 1 to 110) in INTEGER
// words, each list size times the words per element of the row's type.
// Throws sizgen::Error when the total does not fit 32 bits, saying which
// lists hold most of it and where, by the deck's `settings` and the
// `history` of the lists, they came from.
std::int32_t storageTotal(const DeckSettings& settings, const ListSizes& LSTNEW,
                          const ListHistory& history);

// LTLABL: MTOT less (L1 + L7) / 2 and (7 x L15) / 4.  Throws
// sizgen::Error when it does not fit 32 bits, saying where MTOT came from
// as storageTotal does.
std::int32_t adjustedTotal(std::int32_t MTOT, const DeckSettings& settings, const ListSizes& LSTNEW,
                           const ListHistory& history);

// The modify step after ROOT10: LTLABL from MTOT, LSTNEW(99) from the
// first supplemental offset and, after a RAM TABLES card, LTLABL as the
// size of list 29.  Returns the values that debug.lis reports; LTLABL is
// their totalAfter.
// The changes of lists 99 and 29 are recorded in `history`.
DebugValues modifyStep(std::int32_t MTOT, const DeckSettings& settings, ListSizes& LSTNEW,
                       ListHistory& history);

}  // namespace sizgen
