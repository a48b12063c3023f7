#pragma once

#include "model/deck_settings.h"
#include "model/run_plan.h"

namespace sizgen {

// The plan of a run, in the stages at which the listing shows them: the
// resolution pass (resolveCardLists), then the adjusted and derived lists,
// then everything else.  Each stage is a pure function and throws
// sizgen::Error on the first size out of the 32-bit range, in the order in
// which the sizes are settled, before anything is written.

// Lists 1 to 74 after the fixed adjustments and the derived lists, from
// the lists the resolution pass left.
// The first form records each step in `history`.
ListSizes settleLists(const DeckSettings& settings, ListSizes passed, ListHistory& history);
ListSizes settleLists(const DeckSettings& settings, const ListSizes& passed);

// The whole result of the run from the settled lists: the storage total,
// the declarations of ROOT10, the modify step, the list sizes that change
// between groups and the declarations and DIMDEF pairs of every group.
// `history` holds the steps that led to the settled lists; the plan's
// history adds those taken here.
RunPlan planRun(const DeckSettings& settings, const ListSizes& settled, ListHistory history = {});

// All stages at once, for callers that show no listing; the plan's
// history holds every step.
RunPlan planRun(const DeckSettings& settings);

}  // namespace sizgen
