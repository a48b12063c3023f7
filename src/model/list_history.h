#pragma once

// The steps that gave each list its size, recorded by the sizing code at
// the moment it stores the size, with the facts of the rule that applied,
// so that an explanation of a list can only repeat what the computation
// did.

#include <cstdint>
#include <variant>
#include <vector>

#include "base/fortran_array.h"
#include "model/deck_settings.h"

namespace sizgen {

struct DerivedFormula;

// One struct per rule that sets a list; its fields are what the rule used.
namespace step {

// The value a card gave (lists 1 to 40).  `passedOn`: the resolution pass
// takes the list; a list beyond NLISTS is read by no rule and no array.
struct FromCard {
  bool passedOn;
};
// The resolution pass does not reach the list: it needs the fourth
// list-size card.  Stores nothing.
struct WithoutFourthCard {};
// LSTDEF(k) x DEFMUL, truncated.
struct FromDefault {
  std::int32_t LSTDEF;
  double DEFMUL;
};
// The size x FINMUL, truncated.
struct FinalMultiplier {
  double FINMUL;
};
// A SCALE card was read but the list is FIXED: unchanged.
struct FixedExempt {};
// A size of 0 or less becomes 1.
struct FloorAtOne {};
// List 15 not a multiple of 4: `added` to it.
struct MultipleOf4 {
  std::int32_t added;
};
// List 1 `added` to.
struct PlusTwo {
  std::int32_t added;
};
// Raised to `minimum` (lists 19 and 26).
struct AtLeast {
  std::int32_t minimum;
};
// An odd list made even: `added` to it.
struct MadeEven {
  std::int32_t added;
};
// A list 51 to 74 by its formula, with the values of its operands.
struct Derived {
  const DerivedFormula* formula;
  std::int64_t a;
  std::int64_t b;
  double SCALE6;
};
// The value a derived list takes when L11 is 1, instead of `formula`.
struct DerivedWhenL11IsOne {
  const DerivedFormula* formula;
};
// List 99 = the supplemental offset LSTSUP(offset) in the modify step.
struct FirstOffset {
  std::int32_t offset;
};
// List 29 = LTLABL in the modify step, after a RAM TABLES card.
struct RamTables {};
// List 71 before ROOT23: the supplemental offset LSTSUP(offset) when it
// is above `floor`, else `floor`.
struct PlotList {
  std::int32_t offset;
  std::int32_t floor;
  bool aboveFloor;
};
// Lists 71 and 73 before ROOT25: V from supplemental offset `offset` (4,
// or 1 when LSTSUP(4) is 0), its root, 0.98 x root = `reduced`, raised to
// `minimum` when at most 1 (`raised`), made `even`; list 73 is one more.
struct SquareRootRule {
  std::int32_t offset;
  std::int32_t V;
  std::int32_t root;
  std::int32_t reduced;
  std::int32_t minimum;
  bool raised;
  std::int32_t even;
  bool plusOne;
};
// List 74 before ROOT28: SCALE6 truncated.
struct NeighbourList {
  double SCALE6;
};

}  // namespace step

using ListRule =
    std::variant<step::FromCard, step::WithoutFourthCard, step::FromDefault, step::FinalMultiplier,
                 step::FixedExempt, step::FloorAtOne, step::MultipleOf4, step::PlusTwo,
                 step::AtLeast, step::MadeEven, step::Derived, step::DerivedWhenL11IsOne,
                 step::FirstOffset, step::RamTables, step::PlotList, step::SquareRootRule,
                 step::NeighbourList>;

struct ListStep {
  ListRule rule;
  std::int32_t before = 0;  // the size before the step
  std::int32_t after = 0;   // the size it stored
  // A step taken between groups: the index in kGroups of the first group
  // that sees the new size (0 for the steps before ROOT10).
  int group = 0;
};

// The steps of lists 1 to 99, each in the order taken.
using ListHistory = FortranArray<std::vector<ListStep>, 99>;

// Stores `value` as list k and records that `rule` set it, seen first by
// kGroups[group], with the size before and after, in its history.
// cppcheck-suppress constParameter ; LSTNEW(k) = ... stores into the table
inline void storeStep(ListSizes& LSTNEW, ListHistory& history, std::size_t k, std::int32_t value,
                      ListRule rule, int group = 0) {
  history(k).push_back({rule, LSTNEW(k), value, group});
  LSTNEW(k) = value;
}

}  // namespace sizgen
