#pragma once

// The complete result of a run, computed before anything is written: every
// list size as each group sees it, every array's declaration, the storage
// totals and the entries of DIMDEF.  The writers of the listing and of the
// generated files only render it; other code may read it.

#include <array>
#include <cstdint>
#include <vector>

#include "model/catalog.h"
#include "model/deck_settings.h"
#include "model/list_history.h"

namespace sizgen {

// One catalogue row as it is declared in newmods.for.
struct PlannedArray {
  int row = 0;
  std::int32_t list = 0;       // the list that dimensions it: 99 for row 122
  std::int32_t extent = 0;     // that list's size when the row's group is generated
  std::int32_t dimension = 0;  // the declared dimension, after any byte rounding
  std::int32_t typeCode = 0;   // the declared type: CHARACTER*6 rounded becomes CHARACTER*1
  bool rounded = false;        // the dimension was raised to a whole number of quanta
};

// A (list number, size) pair of a chain block of DIMDEF.
struct ListPair {
  std::int32_t list;        // the list
  std::int32_t dimdefList;  // the number DIMDEF hands out for it: 0 for list 99
  std::int32_t size;
};

// One generated subroutine.
struct PlannedGroup {
  const Group* group = nullptr;  // its row of kGroups
  ListSizes LSTNEW;              // the list sizes its rows are generated with
  std::vector<ListPair> pairs;   // its chain block of DIMDEF (none for ROOT10)
};

// The six values that debug.lis reports, in its order.
struct DebugValues {
  std::int32_t totalBefore = 0;  // MTOT before the modify step
  std::int32_t list1 = 0;        // LSTNEW(1)
  std::int32_t list7 = 0;        // LSTNEW(7)
  std::int32_t totalAfter = 0;   // MTOT after it: LTLABL
  std::int32_t list29Before = 0;
  std::int32_t list29After = 0;  // LTLABL after a RAM TABLES card
};

struct RunPlan {
  DeckSettings settings;
  ListSizes resolved;            // after resolution, adjustments and derived lists
  bool finalSizesShown = false;  // the listing shows the "Final List Sizes"
  std::int32_t MTOT = 0;         // storage of the ROOT10 arrays in INTEGER words
  std::int32_t LTLABL = 0;       // MTOT after the modify step: the size of LABCOM
  DebugValues debug;
  // DIMDEF's NCHAIN = 0 block: LSIZE(1..NLISTS); LSIZE(NLISTS + 1) is LTLABL
  std::vector<std::int32_t> firstBlock;
  std::array<PlannedArray, kCatalogRows> arrays;  // row i at index i - 1
  std::array<PlannedGroup, kGroups.size()> groups;
  // The steps that set each list, in order, as the planning took them.
  ListHistory history;
  // What the planned sizes show that was probably not meant (the deck's
  // own warnings are in `settings`).
  Warnings warnings;

  const PlannedArray& array(int row) const { return arrays[static_cast<std::size_t>(row - 1)]; }
};

// The warnings of the deck, then those of the planned sizes.
inline Warnings allWarnings(const RunPlan& plan) {
  Warnings all = plan.settings.warnings;
  all.insert(all.end(), plan.warnings.begin(), plan.warnings.end());
  return all;
}

}  // namespace sizgen
