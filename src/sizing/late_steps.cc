#include "sizing/late_steps.h"

#include "base/real_arithmetic.h"
#include "model/catalog.h"

namespace sizgen {

std::int32_t supplementalList(const DeckSettings& settings) {
  return settings.LSTSUP(1);
}

std::int32_t plotList(const DeckSettings& settings) {
  return settings.LSTSUP(2) > 500 ? settings.LSTSUP(2) : 500;
}

SquareRootLists squareRootLists(const DeckSettings& settings) {
  // INTEGER words per REAL*8 element.
  constexpr std::int32_t NWRAT = wordsPerElement(kReal8) / wordsPerElement(kInteger4);
  const std::int32_t offset = settings.LSTSUP(4) != 0 ? 4 : 1;
  std::int32_t V = settings.LSTSUP(static_cast<std::size_t>(offset));
  const auto [root, reduced] = quadraticRoot<Extended>(V / NWRAT);
  std::int32_t n = reduced;  // no root leaves 0: n becomes 2 below
  if (n <= 1) n = 2;
  std::int32_t even = n % 2 != 0 ? n - 1 : n;
  return {even, even + 1, V, offset, root, reduced};
}

std::int32_t neighbourList(const DeckSettings& settings) {
  return stored(truncateToInteger(settings.SCALE6), "list 74 (SCALE6)");
}

void takeLateStep(LateStep step, const DeckSettings& settings, ListSizes& LSTNEW,
                  ListHistory& history, int group) {
  using Kind = ListStepKind;
  switch (step) {
    case LateStep::None:
      break;
    case LateStep::PlotList:
      storeStep(LSTNEW, history, 71, plotList(settings),
                {.kind = Kind::PlotList, .a = settings.LSTSUP(2), .group = group});
      break;
    case LateStep::SquareRootLists: {
      SquareRootLists lists = squareRootLists(settings);
      const ListStep rule = {.kind = Kind::SquareRootRule,
                             .a = lists.V,
                             .b = lists.root,
                             .offset = lists.offset,
                             .reduced = lists.reduced,
                             .group = group};
      storeStep(LSTNEW, history, 71, lists.list71, rule);
      storeStep(LSTNEW, history, 73, lists.list73, rule);
      break;
    }
    case LateStep::NeighbourList:
      storeStep(LSTNEW, history, 74, neighbourList(settings),
                {.kind = Kind::NeighbourList, .factor = settings.SCALE6, .group = group});
      break;
  }
}

}  // namespace sizgen
