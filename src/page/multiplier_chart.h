#pragma once

// The COMMON storage as a function of the SCALE multiplier: each point
// planned exactly as a run of the deck with that SCALE card, one point
// per pixel column of the chart.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/memory_fit.h"
#include "model/run_plan.h"

namespace sizgen {

// The plot's width in pixels: one point per column.  The chart is never
// drawn wider than it is, so that each column of the screen has its point.
inline constexpr int kChartColumns = 360;

struct MultiplierChart {
  double deckMultiplier = 1.0;  // FINMUL of the deck's SCALE card; 1 without one
  bool deckHasScaleCard = false;
  std::int64_t deckBytes = 0;   // the deck's own storage
  double lastMultiplier = 2.0;  // the right end of the axis; the left end is 0
  // In ascending order of multiplier, one per pixel column: the largest
  // value the card can hold at most the column's multiplier.
  std::vector<ScaleTrial> points;
  // The smallest SCALE card at which a size leaves the 32-bit range: the
  // first point that fails, else, beyond the chart, the smallest value at
  // which the lists from the cards do; nothing when no value fails.
  std::optional<ScaleValue> overflow;
  bool overflowOnChart = false;
  // With a memory budget: the budget and what --fit gives for it.
  std::optional<std::int64_t> budget;
  std::optional<MemoryFit> fit;
  int plansEvaluated = 0;
};

// The chart of the deck of `plan`; with `budget`, the fit for it too.
MultiplierChart multiplierChart(const RunPlan& plan, std::optional<std::int64_t> budget);

// The chart as an SVG element.  Every point carries data-multiplier,
// data-card (the SCALE card) and data-bytes, or data-error for a plan
// that fails; the deck's own point is the element of class "deck", drawn
// unless the deck's multiplier is negative.
std::string multiplierChartSvg(const MultiplierChart& chart);

}  // namespace sizgen
