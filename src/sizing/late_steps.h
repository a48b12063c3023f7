#pragma once

#include <array>
#include <cstdint>

#include "base/real_arithmetic.h"
#include "model/catalog.h"
#include "model/deck_settings.h"
#include "model/list_history.h"

namespace sizgen {

// List sizes set during generation, between the generated subroutines.
// Each returns the new size; the generation walk stores it at its point.

// LSTNEW(99), before DIMDEF: the first supplemental offset.
inline constexpr std::int32_t kSupplementalListOffset = 1;
std::int32_t supplementalList(const DeckSettings& settings);

// The lists that the steps between groups may set, so that they are not
// the same size for every group: the modify step after ROOT10 sets list
// 99 (and list 29 after a RAM TABLES card), the late steps set lists 71,
// 73 and 74 before later groups.
inline constexpr std::array<std::int32_t, 5> kListsSetBetweenGroups = {29, 71, 73, 74,
                                                                       kSupplementalList};

// LSTNEW(71) before ROOT23: LSTSUP(2) when it is greater than 500, else 500.
inline constexpr std::int32_t kPlotListOffset = 2;
inline constexpr std::int32_t kPlotListFloor = 500;
std::int32_t plotList(const DeckSettings& settings);

// LSTNEW(71) and LSTNEW(73) before ROOT25, by the square-root rule.
struct SquareRootLists {
  std::int32_t list71;
  std::int32_t list73;
  // How they were found: V, the supplemental offset it came from (4, or 1
  // when LSTSUP(4) is 0), the root n and 0.98 x n before the minimum of 2,
  // and whether that minimum applied.
  std::int32_t V = 0;
  std::int32_t offset = 0;
  std::int32_t root = 0;
  std::int32_t reduced = 0;
  bool raised = false;
};
// The least n of the square-root rule, before it is made even.
inline constexpr std::int32_t kRootFloor = 2;
SquareRootLists squareRootLists(const DeckSettings& settings);

// The square-root rule's arithmetic for q = V / NWRAT: the positive root n
// of 10.875 n**2 + 32.25 n + 9 = q (1040.0625 is 32.25 squared) and 0.98 x
// n, both truncated, computed in Real (see note [real products]); both 0
// when there is no root.
struct QuadraticRoot {
  std::int32_t root = 0;
  std::int32_t reduced = 0;
};
template <class Real>
QuadraticRoot quadraticRoot(std::int32_t q) {
  const Real x = Real(1040.0625) - Real(9 - std::int64_t{q}) * Real(43.5);
  if (x < Real(0)) return {};
  const std::int32_t root =
      *extended::truncateToInteger((extended::squareRoot(x) - Real(32.25)) / Real(21.75));
  // 0.98 in single precision, 0.980000019073486328125: 50 gives 49.
  return {root, *extended::truncatedProduct<Real>(root, 0.98F)};
}

// LSTNEW(74) before ROOT28: SCALE6 truncated.  Throws sizgen::Error when
// it does not fit 32 bits.
std::int32_t neighbourList(const DeckSettings& settings);

// Takes `step` on LSTNEW and records it in `history` as seen first by
// kGroups[group].
void takeLateStep(LateStep step, const DeckSettings& settings, ListSizes& LSTNEW,
                  ListHistory& history, int group);

}  // namespace sizgen
