#include "sizing/late_steps.h"

#include "base/real_arithmetic.h"
#include "model/catalog.h"
#include "sizing/size_sources.h"

namespace sizgen {

std::int32_t supplementalList(const DeckSettings& settings) {
  return settings.LSTSUP(kSupplementalListOffset);
}

std::int32_t plotList(const DeckSettings& settings) {
  const std::int32_t offset = settings.LSTSUP(kPlotListOffset);
  return offset > kPlotListFloor ? offset : kPlotListFloor;
}

SquareRootLists squareRootLists(const DeckSettings& settings) {
  // INTEGER words per REAL*8 element.
  constexpr std::int32_t NWRAT = wordsPerElement(kReal8) / wordsPerElement(kInteger4);
  const std::int32_t offset = settings.LSTSUP(4) != 0 ? 4 : 1;
  std::int32_t V = settings.LSTSUP(static_cast<std::size_t>(offset));
  const auto [root, reduced] = quadraticRoot<Extended>(V / NWRAT);
  std::int32_t n = reduced;  // no root leaves 0: raised to the floor below
  const bool raised = n < kRootFloor;
  if (raised) n = kRootFloor;
  std::int32_t even = n % 2 != 0 ? n - 1 : n;
  return {even, even + 1, V, offset, root, reduced, raised};
}

std::int32_t neighbourList(const DeckSettings& settings) {
  return stored(truncateToInteger(Extended(settings.SCALE6.value)), "list 74 (SCALE6)", [&] {
    const CardOrigin& origin = settings.SCALE6.origin;
    return origin.card != 0 ? ValueSource{"it comes from " + sourceText(origin), placeOf(origin)}
                            : ValueSource{};
  });
}

void takeLateStep(LateStep step, const DeckSettings& settings, ListSizes& LSTNEW,
                  ListHistory& history, int group) {
  switch (step) {
    case LateStep::None:
      break;
    case LateStep::PlotList: {
      const std::int32_t list71 = plotList(settings);
      storeStep(LSTNEW, history, 71, list71,
                step::PlotList{kPlotListOffset, kPlotListFloor, list71 != kPlotListFloor}, group);
      break;
    }
    case LateStep::SquareRootLists: {
      const SquareRootLists lists = squareRootLists(settings);
      step::SquareRootRule rule = {.offset = lists.offset,
                                   .V = lists.V,
                                   .root = lists.root,
                                   .reduced = lists.reduced,
                                   .minimum = kRootFloor,
                                   .raised = lists.raised,
                                   .even = lists.list71,
                                   .plusOne = false};
      storeStep(LSTNEW, history, 71, lists.list71, rule, group);
      rule.plusOne = true;
      storeStep(LSTNEW, history, 73, lists.list73, rule, group);
      break;
    }
    case LateStep::NeighbourList:
      storeStep(LSTNEW, history, 74, neighbourList(settings), step::NeighbourList{settings.SCALE6},
                group);
      break;
  }
}

}  // namespace sizgen
