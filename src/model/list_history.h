#pragma once

// The steps that gave each list its size, recorded by the sizing code at
// the moment it stores the size, so that an explanation of a list can
// only repeat what the computation did.

#include <cstdint>
#include <vector>

#include "base/fortran_array.h"
#include "model/deck_settings.h"

namespace sizgen {

enum class ListStepKind {
  FromCard,             // the value a card gave (lists 1 to 40)
  FromDefault,          // LSTDEF(k) x DEFMUL, truncated: a = LSTDEF(k), factor = DEFMUL
  FinalMultiplier,      // size x FINMUL, truncated: factor = FINMUL
  FixedExempt,          // a SCALE card was read but the list is FIXED: unchanged
  FloorAtOne,           // a size of 0 or less becomes 1
  MultipleOf4,          // list 15 not a multiple of 4: plus 2
  PlusTwo,              // list 1 plus 2
  AtLeast,              // list 19 at least 23, list 26 at least 10: a = the minimum
  MadeEven,             // lists 1, 7, 15, 16 and 27 odd: plus 1
  Derived,              // a list 51 to 74 by its formula: a, b = the operands' values
  DerivedWhenL11IsOne,  // the value a derived list takes when L11 is 1
  FirstOffset,          // list 99 = LSTSUP(1) in the modify step
  RamTables,            // list 29 = LTLABL in the modify step, after a RAM TABLES card
  PlotList,             // list 71 before ROOT23: a = LSTSUP(2)
  SquareRootRule,       // lists 71 and 73 before ROOT25: see below
  NeighbourList,        // list 74 before ROOT28: factor = SCALE6
};

struct ListStep {
  ListStepKind kind;
  std::int32_t before = 0;  // the size before the step
  std::int32_t after = 0;   // the size it stored
  std::int64_t a = 0;       // operands, by kind
  std::int64_t b = 0;
  double factor = 0.0;
  // SquareRootRule: which supplemental offset (4 or 1) gave V = a; the
  // root n = b and 0.98 x n = reduced.
  std::int32_t offset = 0;
  std::int64_t reduced = 0;
  // A step taken between groups: the index in kGroups of the first group
  // that sees the new size (0 for the steps before ROOT10).
  int group = 0;

  friend bool operator==(const ListStep&, const ListStep&) = default;
};

// The steps of lists 1 to 99, each in the order taken.
using ListHistory = FortranArray<std::vector<ListStep>, 99>;

// Stores `value` as list k and records `step`, with the size before and
// after, in its history.
// cppcheck-suppress constParameter ; LSTNEW(k) = ... stores into the table
inline void storeStep(ListSizes& LSTNEW, ListHistory& history, std::size_t k, std::int32_t value,
                      ListStep step) {
  step.before = LSTNEW(k);
  step.after = value;
  LSTNEW(k) = value;
  history(k).push_back(step);
}

}  // namespace sizgen
