#pragma once

// The squarified treemap: boxes whose areas are given weights' shares of
// a rectangle, laid out in rows so that each box stays close to a square.

#include <span>
#include <vector>

namespace sizgen {

// A rectangle in pixels, y growing downwards.
struct Box {
  double x = 0.0;
  double y = 0.0;
  double width = 0.0;
  double height = 0.0;
};

// The boxes of `weights` (each > 0) in `area`, in the order of `weights`:
// box i has the area weights[i] / sum(weights) * area, the boxes tile
// `area` without overlapping.  Exact, not rounded; an empty span gives no
// box.
std::vector<Box> squarify(std::span<const double> weights, const Box& area);

// The same two levels deep: groups share `area` by the sums of their
// weights, and each group's weights share its box.  Every weight is > 0;
// a group without weights gets no box.  `groups[g]` gives `boxes[g]`.
struct NestedBoxes {
  std::vector<Box> groups;
  std::vector<std::vector<Box>> items;
};
NestedBoxes squarifyNested(std::span<const std::vector<double>> groups, const Box& area);

// The box with its corners rounded to the hundredths of a pixel that the
// page prints: two boxes that share an edge still share it, so rounding
// makes no overlap and no gap.
Box snapped(const Box& box);

}  // namespace sizgen
