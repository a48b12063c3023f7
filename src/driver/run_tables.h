#pragma once

#include <cstdint>

#include "input/deck_settings.h"

namespace sizgen {

// The run-wide values that the steps of a run hand on to each other.
struct RunTables {
  DeckSettings settings;    // recorded from the cards
  ListSizes LSTNEW;         // list sizes, 0 until set
  std::int32_t MTOT = 0;    // storage total of the ROOT10 arrays
  std::int32_t LTLABL = 0;  // MTOT after the modify step: the size of LABCOM
};

}  // namespace sizgen
