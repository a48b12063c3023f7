#pragma once

// Lower bounds of a deck's arrays over a range of final multipliers (a
// SCALE card of each value), for a search over the multiplier that must
// not plan every value.  See note [bounds over multipliers].

#include <array>
#include <optional>

#include "model/catalog.h"
#include "model/deck_settings.h"
#include "model/run_plan.h"

namespace sizgen {

// The settings with a SCALE card of `multiplier` in force.
DeckSettings withMultiplier(DeckSettings settings, double multiplier);

// Whether a list leaves the 32-bit range in the resolution pass with the
// final multiplier `multiplier` (worked out without the exception that
// the pass throws).  If it does at r, it does at every larger r.
bool resolutionOverflows(const DeckSettings& settings, double multiplier);

// The rows dimensioned by lists that the resolution pass sets (not list
// 29, which RAM TABLES replaces), each with the size the pass gives its
// list and its type before any rounding; every other row has dimension 0.
// Each array is no larger than in the plan with `multiplier`, and no
// larger than with any greater multiplier.  Nothing when the pass
// overflows.
std::optional<std::array<PlannedArray, kCatalogRows>> resolvedArrays(const DeckSettings& settings,
                                                                     double multiplier);

// A plan whose every array has at most the dimension, and the same type,
// as in the plan with any multiplier in [lo, hi] that does not overflow.
// Nothing when every multiplier in [lo, hi] overflows.
std::optional<RunPlan> lowerBoundPlan(const DeckSettings& settings, double lo, double hi);

}  // namespace sizgen
