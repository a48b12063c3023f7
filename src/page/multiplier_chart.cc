#include "page/multiplier_chart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>

#include "analysis/explanation.h"
#include "analysis/scale_card_values.h"
#include "analysis/storage.h"
#include "base/error.h"
#include "picture/chart.h"
#include "picture/markup.h"
#include "sizing/multiplier_bound.h"
#include "sizing/run_planning.h"

namespace sizgen {
namespace {

// The frame of the chart in pixels: the plot is kChartColumns wide.
constexpr double kLeft = 110.0;
constexpr double kTop = 16.0;
constexpr double kPlotHeight = 240.0;
constexpr double kWidth = kLeft + kChartColumns + 30.0;
constexpr double kHeight = kTop + kPlotHeight + 44.0;

// Above this the axis would be all overflow: a fit that large does not
// widen the axis.
constexpr double kWidestAxis = 1.0e9;

ScaleTrial planWith(const DeckSettings& settings, const ScaleValue& card) {
  ScaleTrial trial{card, std::nullopt, {}};
  try {
    trial.bytes = totalBytes(planRun(withMultiplier(settings, card.multiplier)));
  } catch (const Error& error) {
    trial.error = error.what();
  }
  return trial;
}

// The smallest value the card can hold with which the lists from the
// cards leave the 32-bit range: the resolution pass overflows at every
// value above one at which it overflows, so a bisection finds it.
std::optional<ScaleValue> resolutionOverflow(const DeckSettings& settings) {
  auto overflows = [&](std::int64_t index) {
    const double multiplier = scaleValue(index).multiplier;
    return resolutionOverflows(withMultiplier(settings, multiplier), multiplier);
  };
  std::int64_t hi = scaleValueCount() - 1;
  if (!overflows(hi)) return std::nullopt;
  std::int64_t lo = 0;
  if (overflows(lo)) return scaleValue(lo);
  while (hi - lo > 1) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    (overflows(mid) ? hi : lo) = mid;
  }
  return scaleValue(hi);
}

// The binary unit of the storage axis: the largest that leaves `most` at
// least 1.
struct ByteUnit {
  double bytes;
  const char* name;
};
ByteUnit byteUnit(std::int64_t most) {
  static constexpr std::array<ByteUnit, 5> kUnits = {{{1.0, "bytes"},
                                                      {1024.0, "KiB"},
                                                      {1048576.0, "MiB"},
                                                      {1073741824.0, "GiB"},
                                                      {1099511627776.0, "TiB"}}};
  // The largest unit that `most` reaches; the units are in increasing order.
  const auto* const past = std::find_if(kUnits.begin() + 1, kUnits.end(), [&](const ByteUnit& unit) {
    return static_cast<double>(most) < unit.bytes;
  });
  return *(past - 1);
}

std::string circle(double x, double y, double r, const std::string& attributes,
                   const std::string& title) {
  return R"(<circle cx=")" + pixels(x) + R"(" cy=")" + pixels(y) + R"(" r=")" + pixels(r) +
         R"(" )" + attributes + "><title>" + escaped(title) + "</title></circle>\n";
}

std::string line(double x1, double y1, double x2, double y2, std::string_view cls) {
  return R"(<line class=")" + std::string(cls) + R"(" x1=")" + pixels(x1) + R"(" y1=")" +
         pixels(y1) + R"(" x2=")" + pixels(x2) + R"(" y2=")" + pixels(y2) + "\"/>\n";
}

std::string label(double x, double y, std::string_view anchor, const std::string& text,
                  std::string_view cls = "axis") {
  return R"(<text class=")" + std::string(cls) + R"(" x=")" + pixels(x) + R"(" y=")" + pixels(y) +
         R"(" text-anchor=")" + std::string(anchor) + R"(">)" + escaped(text) + "</text>\n";
}

}  // namespace

MultiplierChart multiplierChart(const RunPlan& plan, std::optional<std::int64_t> budget) {
  const DeckSettings& settings = plan.settings;
  MultiplierChart chart;
  chart.deckHasScaleCard = settings.KSCALE != 0;
  chart.deckMultiplier = chart.deckHasScaleCard ? static_cast<double>(settings.FINMUL) : 1.0;
  chart.deckBytes = totalBytes(plan);
  chart.budget = budget;
  double widest = chart.deckMultiplier > 0.0 ? chart.deckMultiplier : 1.0;
  if (budget) {
    chart.fit = fitMemory(settings, *budget);
    chart.plansEvaluated += chart.fit->plansEvaluated;
    if (chart.fit->largest && chart.fit->largest->multiplier < kWidestAxis)
      widest = std::max(widest, chart.fit->largest->multiplier);
  }
  chart.lastMultiplier = 2.0 * widest;

  // Columns that fall on the same card value share its plan.
  std::map<std::int64_t, ScaleTrial> planned;
  for (int column = 0; column < kChartColumns; ++column) {
    const double wanted = chart.lastMultiplier * column / (kChartColumns - 1);
    const std::int64_t index = scaleValueIndex(wanted);
    auto found = planned.find(index);
    if (found == planned.end()) {
      found = planned.emplace(index, planWith(settings, scaleValue(index))).first;
      ++chart.plansEvaluated;
    }
    chart.points.push_back(found->second);
  }
  const auto failing = std::find_if(chart.points.begin(), chart.points.end(),
                                    [](const ScaleTrial& point) { return !point.bytes; });
  if (failing != chart.points.end()) {
    chart.overflow = *failing;
    chart.overflowOnChart = true;
  } else {
    chart.overflow = resolutionOverflow(settings);
  }
  return chart;
}

std::string multiplierChartSvg(const MultiplierChart& chart) {
  std::int64_t most = chart.deckBytes;
  for (const ScaleTrial& point : chart.points) most = std::max(most, point.bytes.value_or(0));
  if (chart.budget) most = std::max(most, *chart.budget);
  const ByteUnit unit = byteUnit(most);
  const double top = roundedUp(static_cast<double>(most) / unit.bytes) * unit.bytes;
  const LinearScale x{0.0, chart.lastMultiplier, kLeft, kLeft + kChartColumns - 1};
  const LinearScale y{0.0, top, kTop + kPlotHeight, kTop};

  std::string svg =
      R"(<svg class="chart" viewBox="0 0 )" + pixels(kWidth) + " " + pixels(kHeight) +
      R"(" style="max-width: )" + pixels(kWidth) +
      "px\" role=\"img\" aria-label=\"COMMON storage against the SCALE multiplier\">\n";
  // Axes, ticks and their labels.
  svg += line(kLeft, kTop + kPlotHeight, kLeft + kChartColumns, kTop + kPlotHeight, "axis");
  svg += line(kLeft, kTop, kLeft, kTop + kPlotHeight, "axis");
  for (double tick : axisTicks(0.0, chart.lastMultiplier, 6)) {
    svg += line(x(tick), kTop + kPlotHeight, x(tick), kTop + kPlotHeight + 5.0, "axis");
    svg += label(x(tick), kTop + kPlotHeight + 18.0, "middle", realText(tick));
  }
  for (double count : axisTicks(0.0, top / unit.bytes, 6)) {
    const double tick = count * unit.bytes;
    svg += line(kLeft - 5.0, y(tick), kLeft, y(tick), "axis");
    svg += line(kLeft, y(tick), kLeft + kChartColumns, y(tick), "grid");
    char text[32];
    std::snprintf(text, sizeof text, "%g %s", count, unit.name);
    svg += label(kLeft - 8.0, y(tick) + 4.0, "end", text);
  }
  svg += label(kLeft + kChartColumns / 2.0, kHeight - 6.0, "middle", "SCALE multiplier");

  // The curve, broken where a plan fails.
  std::string path;
  bool open = false;
  for (const ScaleTrial& point : chart.points) {
    if (!point.bytes) {
      open = false;
      continue;
    }
    path += (open ? " L" : (path.empty() ? "M" : " M")) + pixels(x(point.multiplier)) + " " +
            pixels(y(static_cast<double>(*point.bytes)));
    open = true;
  }
  if (!path.empty()) svg += R"(<path class="curve" d=")" + path + "\"/>\n";

  // The budget and the card that fits it.
  if (chart.budget) {
    svg += line(kLeft, y(static_cast<double>(*chart.budget)), kLeft + kChartColumns,
                y(static_cast<double>(*chart.budget)), "budget");
    svg += label(kLeft + kChartColumns - 4.0, y(static_cast<double>(*chart.budget)) - 4.0, "end",
                 "budget " + bytesText(*chart.budget), "budget");
  }
  if (chart.fit && chart.fit->largest && chart.fit->largest->multiplier <= chart.lastMultiplier) {
    const ScaleTrial& fit = *chart.fit->largest;
    svg += circle(
        x(fit.multiplier), y(static_cast<double>(*fit.bytes)), 5.0,
        R"(class="fit" data-multiplier=")" + realText(fit.multiplier) + R"(" data-card=")" +
            escaped(scaleCard(fit)) + R"(" data-bytes=")" + std::to_string(*fit.bytes) + R"(")",
        scaleCard(fit) + ": " + bytesText(*fit.bytes) + ", the largest within the budget");
  }

  // Every point, with what it was planned with.
  for (const ScaleTrial& point : chart.points) {
    const std::string card = scaleCard(point);
    const std::string common = R"(data-multiplier=")" + realText(point.multiplier) +
                               R"(" data-card=")" + escaped(card) + R"(")";
    if (point.bytes) {
      svg += circle(
          x(point.multiplier), y(static_cast<double>(*point.bytes)), 1.2,
          R"(class="point" )" + common + R"( data-bytes=")" + std::to_string(*point.bytes) + R"(")",
          card + ": " + bytesText(*point.bytes));
    } else {
      svg += circle(
          x(point.multiplier), kTop, 1.2,
          R"(class="point fails" )" + common + R"( data-error=")" + escaped(point.error) + R"(")",
          card + ": " + point.error);
    }
  }

  // Where a size leaves the 32-bit range, when that is on the chart.
  if (chart.overflow && chart.overflowOnChart) {
    const double at = x(chart.overflow->multiplier);
    svg += line(at, kTop, at, kTop + kPlotHeight, "overflow");
    svg += label(at + 4.0, kTop + 12.0, "start", "32-bit range left at " + chart.overflow->value,
                 "overflow");
  }

  // The deck's own multiplier and storage, last so that it is on top; a
  // negative multiplier is left of the axis, which holds the values the
  // card can hold from 0.
  if (chart.deckMultiplier < 0.0) return svg + "</svg>\n";
  const double deckX = x(chart.deckMultiplier);
  svg += line(deckX, kTop, deckX, kTop + kPlotHeight, "deck");
  svg += circle(
      deckX, y(static_cast<double>(chart.deckBytes)), 5.0,
      R"(class="deck" data-multiplier=")" + realText(chart.deckMultiplier) + R"(" data-bytes=")" +
          std::to_string(chart.deckBytes) + R"(")",
      std::string(chart.deckHasScaleCard ? "this deck's SCALE card" : "this deck (no SCALE card)") +
          ": multiplier " + realText(chart.deckMultiplier) + ", " + bytesText(chart.deckBytes));
  return svg + "</svg>\n";
}

}  // namespace sizgen
