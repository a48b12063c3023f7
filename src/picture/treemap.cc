#include "picture/treemap.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace sizgen {
namespace {

// The worst ratio of long to short side of a row of boxes with the
// areas `sum` in all, the largest `largest` and the smallest `smallest`,
// laid along a side of length `side`.
double worstRatio(double sum, double largest, double smallest, double side) {
  const double side2 = side * side;
  const double sum2 = sum * sum;
  return std::max(side2 * largest / sum2, sum2 / (side2 * smallest));
}

// Lays the boxes of `row` (their areas in pixels in `areas`) as a strip
// along the shorter side of `free`, and takes the strip off `free`; the
// last box of the strip ends where the strip ends.
void placeRow(std::span<const std::size_t> row, std::span<const double> areas, bool lastRow,
              Box& free, std::vector<Box>& boxes) {
  const double sum = std::accumulate(row.begin(), row.end(), 0.0,
                                     [&](double total, std::size_t i) { return total + areas[i]; });
  // The last strip is what is left, whatever the rounding of the others.
  if (free.width >= free.height) {
    // A column at the left: its width is the row's area over the height.
    const double width = lastRow ? free.width : free.height > 0.0 ? sum / free.height : 0.0;
    double y = free.y;
    for (std::size_t n = 0; n < row.size(); ++n) {
      const bool last = n + 1 == row.size();
      const double height = last ? free.y + free.height - y : areas[row[n]] / width;
      boxes[row[n]] = {free.x, y, width, height};
      y += height;
    }
    free.x += width;
    free.width -= width;
  } else {
    const double height = lastRow ? free.height : free.width > 0.0 ? sum / free.width : 0.0;
    double x = free.x;
    for (std::size_t n = 0; n < row.size(); ++n) {
      const bool last = n + 1 == row.size();
      const double width = last ? free.x + free.width - x : areas[row[n]] / height;
      boxes[row[n]] = {x, free.y, width, height};
      x += width;
    }
    free.y += height;
    free.height -= height;
  }
  // A strip may take a rounding more than was left.
  free.width = std::max(free.width, 0.0);
  free.height = std::max(free.height, 0.0);
}

}  // namespace

std::vector<Box> squarify(std::span<const double> weights, const Box& area) {
  std::vector<Box> boxes(weights.size());
  if (weights.empty()) return boxes;
  const double total = std::accumulate(weights.begin(), weights.end(), 0.0);
  std::vector<double> areas(weights.size());
  const double scale = area.width * area.height / total;
  std::transform(weights.begin(), weights.end(), areas.begin(),
                 [scale](double w) { return w * scale; });
  // Largest first, ties in the given order: the same weights give the same boxes.
  std::vector<std::size_t> order(weights.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return areas[a] > areas[b]; });

  Box free = area;
  std::size_t first = 0;
  while (first < order.size()) {
    const double side = std::min(free.width, free.height);
    std::size_t last = first + 1;
    double sum = areas[order[first]];
    double worst = worstRatio(sum, areas[order[first]], areas[order[first]], side);
    // Add boxes to the row while they make its worst ratio no worse.
    while (last < order.size()) {
      const double next = sum + areas[order[last]];
      const double ratio = worstRatio(next, areas[order[first]], areas[order[last]], side);
      if (ratio > worst) break;
      worst = ratio;
      sum = next;
      ++last;
    }
    placeRow(std::span<const std::size_t>(order.data() + first, last - first), areas,
             last == order.size(), free, boxes);
    first = last;
  }
  return boxes;
}

NestedBoxes squarifyNested(std::span<const std::vector<double>> groups, const Box& area) {
  std::vector<double> sums;
  std::vector<std::size_t> present;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    if (groups[g].empty()) continue;
    sums.push_back(std::accumulate(groups[g].begin(), groups[g].end(), 0.0));
    present.push_back(g);
  }
  const std::vector<Box> outer = squarify(sums, area);
  NestedBoxes nested{std::vector<Box>(groups.size()), std::vector<std::vector<Box>>(groups.size())};
  for (std::size_t n = 0; n < present.size(); ++n) {
    nested.groups[present[n]] = outer[n];
    nested.items[present[n]] = squarify(groups[present[n]], outer[n]);
  }
  return nested;
}

Box snapped(const Box& box) {
  auto snap = [](double v) { return std::round(v * 100.0) / 100.0; };
  const double x = snap(box.x);
  const double y = snap(box.y);
  return {x, y, snap(box.x + box.width) - x, snap(box.y + box.height) - y};
}

}  // namespace sizgen
