#pragma once

#include <array>
#include <cstdint>

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

// LSTNEW(74) before ROOT28: SCALE6 truncated.  Throws sizgen::Error when
// it does not fit 32 bits.
std::int32_t neighbourList(const DeckSettings& settings);

// Takes `step` on LSTNEW and records it in `history` as seen first by
// kGroups[group].
void takeLateStep(LateStep step, const DeckSettings& settings, ListSizes& LSTNEW,
                  ListHistory& history, int group);

}  // namespace sizgen
