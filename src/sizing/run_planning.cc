#include "sizing/run_planning.h"

#include <utility>

#include "base/error.h"
#include "model/catalog.h"
#include "sizing/declaration.h"
#include "sizing/late_steps.h"
#include "sizing/list_resolution.h"
#include "sizing/negative_sizes.h"
#include "sizing/size_sources.h"
#include "sizing/storage_total.h"

namespace sizgen {
namespace {

// The declaration of row i, whose list L has `size` elements.  A
// dimension out of range blames the card of the larger factor of its
// rounding: the card that gave the list's size (its bytes) or the ROUND UP
// card (the quantum).
Declaration declared(int i, std::int32_t L, std::int32_t size, const DeckSettings& settings,
                     const ListHistory& history) {
  try {
    return declaration(i, size, settings.NQUANT);
  } catch (const Error& error) {
    const double bytes =
        static_cast<double>(size) * bytesPerElement(effectiveTypeCode(catalogRow(i)));
    const CardPlace place =
        largerFactorText(bytes, listSource(settings, history, static_cast<std::size_t>(L)),
                         settings.NQUANT, settings.NQUANT.origin)
            .place;
    if (place.card == 0) throw;
    throw ValueError(error.what(), place);
  }
}

// The rows of `planned`'s group, declared with the sizes it sees, and its
// DIMDEF pairs: one for each list new within the group, in row order.
void planGroup(PlannedGroup& planned, RunPlan& plan, const ListHistory& history) {
  const Group& group = *planned.group;
  for (int i = group.firstRow; i <= group.lastRow; ++i) {
    const std::int32_t L = generatedListNumber(i);
    const std::int32_t size = planned.LSTNEW(static_cast<std::size_t>(L));
    const Declaration row = declared(i, L, size, plan.settings, history);
    plan.arrays[static_cast<std::size_t>(i - 1)] = {
        i, L, size, row.dimension, row.typeCode, row.rounded};
    // DIMDEF writes list 99 as list 0.
    if (group.selector != 0 && isFirstOccurrence(group, i))
      planned.pairs.push_back({L, L == kSupplementalList ? 0 : L, size});
  }
}

}  // namespace

void Planner::take(Step from, Step to) {
  if (done_ != from) throw InternalError("a planning step out of order");
  done_ = to;
}

const ListSizes& Planner::resolveCards() {
  take(Step::Start, Step::CardsResolved);
  lists_ = resolveCardLists(settings_, history_);
  return lists_;
}

const ListSizes& Planner::settleLists() {
  take(Step::CardsResolved, Step::ListsSettled);
  adjustLists(settings_, lists_, history_);
  deriveLists(settings_, lists_, history_);
  return lists_;
}

RunPlan Planner::finish() {
  take(Step::ListsSettled, Step::Finished);
  return planSettledLists(settings_, lists_, std::move(history_));
}

RunPlan planRun(const DeckSettings& settings) {
  Planner planner(settings);
  planner.resolveCards();
  planner.settleLists();
  return planner.finish();
}

RunPlan planSettledLists(const DeckSettings& settings, const ListSizes& settled,
                         ListHistory&& history) {
  RunPlan plan;
  plan.settings = settings;
  plan.resolved = settled;
  plan.finalSizesShown = finalSizesShown(settings);
  for (std::size_t g = 0; g < kGroups.size(); ++g) plan.groups[g].group = &kGroups[g];

  // ROOT10 is totalled and generated with the sizes of the resolution.
  ListSizes LSTNEW = settled;
  plan.MTOT = storageTotal(settings, LSTNEW, history);
  plan.groups[0].LSTNEW = LSTNEW;
  planGroup(plan.groups[0], plan, history);

  // LTLABL, list 99 and, after RAM TABLES, list 29; DIMDEF's first block
  // shows them.
  plan.debug = modifyStep(plan.MTOT, settings, LSTNEW, history);
  plan.LTLABL = plan.debug.totalAfter;
  for (std::size_t k = 1; k <= static_cast<std::size_t>(settings.NLISTS); ++k)
    plan.firstBlock.push_back(LSTNEW(k));

  // The other eight groups, each with the sizes of its moment.
  for (std::size_t g = 1; g < kGroups.size(); ++g) {
    takeLateStep(kGroups[g].lateStep, settings, LSTNEW, history, static_cast<int>(g));
    plan.groups[g].LSTNEW = LSTNEW;
    planGroup(plan.groups[g], plan, history);
  }
  plan.history = std::move(history);
  if (auto negative = negativeSizeWarning(plan)) plan.warnings.push_back(std::move(*negative));
  return plan;
}

}  // namespace sizgen
