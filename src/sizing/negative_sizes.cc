#include "sizing/negative_sizes.h"

#include <string>

#include "model/catalog.h"
#include "sizing/size_sources.h"

namespace sizgen {

namespace {

// The card that made list k negative: the negative NBHDSW factor of a list
// it scales, else the card of its largest factor.
std::optional<CardOrigin> negativeSource(const RunPlan& plan, std::size_t k) {
  const DeckSettings& settings = plan.settings;
  for (const ListStep& step : plan.history(k)) {
    const auto* derived = std::get_if<step::Derived>(&step.rule);
    if ((derived && derived->SCALE6 < 0 && step.after < 0 && settings.SCALE6.origin.card != 0) ||
        std::holds_alternative<step::NeighbourList>(step.rule))
      return settings.SCALE6.origin;
  }
  return listSource(settings, plan.history, k);
}

}  // namespace

std::optional<Warning> negativeSizeWarning(const RunPlan& plan) {
  const PlannedArray* lowest = nullptr;
  int negative = 0;
  for (const PlannedArray& array : plan.arrays) {
    if (array.dimension >= 0) continue;
    ++negative;
    if (!lowest || array.dimension < lowest->dimension) lowest = &array;
  }
  if (!lowest && plan.LTLABL >= 0) return std::nullopt;

  // The list to blame: the lowest array's, or the most negative list of
  // the total.
  std::size_t list = 0;
  if (lowest) {
    list = static_cast<std::size_t>(lowest->list);
  } else {
    for (std::size_t k = 1; k <= kLists; ++k) {
      if (plan.resolved(k) < 0 && (list == 0 || plan.resolved(k) < plan.resolved(list))) list = k;
    }
  }
  std::string message;
  if (lowest) {
    message = std::to_string(negative) + (negative == 1 ? " array is" : " arrays are") +
              " declared with a negative dimension (the lowest: row " +
              std::to_string(lowest->row) + " " +
              std::string(trimmedName(catalogRow(lowest->row).name)) + ", " +
              std::to_string(lowest->dimension) + ", list " + std::to_string(lowest->list) + ")";
  }
  if (plan.LTLABL < 0)
    message += std::string(lowest ? " and " : "") + "LTLABL is " + std::to_string(plan.LTLABL);
  message += "; a negative size declares no storage";
  Warning warning{Warning::Kind::NegativeSize, 0, 0, 0, message};
  if (list != 0) {
    if (const auto source = negativeSource(plan, list); source && source->card != 0) {
      warning.card = source->card;
      warning.firstColumn = source->firstColumn;
      warning.lastColumn = source->lastColumn;
      warning.message =
          std::string(source->what) + " sets list " + std::to_string(list) + " below 0: " + message;
    }
  }
  return warning;
}

}  // namespace sizgen
