#pragma once

#include "model/deck_settings.h"
#include "model/list_history.h"
#include "model/run_plan.h"

namespace sizgen {

// The plan of a run, in the steps at which the listing shows the lists:
// the resolution pass over the cards, then the fixed adjustments and the
// derived lists, then everything else.  Each step records what it does in
// the history that the plan carries, and throws sizgen::Error on the first
// size out of the 32-bit range, in the order in which the sizes are
// settled, before anything is written.
//
// The steps are taken once each, in that order; another order is a fault
// of the program (sizgen::InternalError).  `settings` must outlive the
// planner.
class Planner {
 public:
  explicit Planner(const DeckSettings& settings) : settings_(settings) {}

  // The resolution pass: lists 1 to NLISTS from the cards, the defaults
  // and the multipliers.
  const ListSizes& resolveCards();
  // Lists 1 to 74 after the fixed adjustments and the derived lists.
  const ListSizes& settleLists();
  // The whole result of the run from the settled lists.
  RunPlan finish();

 private:
  enum class Step { Start, CardsResolved, ListsSettled, Finished };
  void take(Step from, Step to);

  const DeckSettings& settings_;
  Step done_ = Step::Start;
  ListSizes lists_;
  ListHistory history_;
};

// Every step at once: the plan of the deck's run.
RunPlan planRun(const DeckSettings& settings);

// The last step alone, from lists settled some other way: the storage
// total, the declarations of ROOT10, the modify step, the list sizes that
// change between groups and the declarations and DIMDEF pairs of every
// group.  `history` holds the steps that led to `settled`; the plan's
// history adds those taken here.
RunPlan planSettledLists(const DeckSettings& settings, const ListSizes& settled,
                         ListHistory&& history);

}  // namespace sizgen
