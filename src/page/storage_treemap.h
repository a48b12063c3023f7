#pragma once

// The treemap of a plan's COMMON storage: one box per subroutine, split
// into one box per array with storage, each box's area its share of the
// bytes.

#include <functional>
#include <string>

#include "model/run_plan.h"
#include "picture/treemap.h"

namespace sizgen {

// How an array's box is drawn: its fill colour and a line added to its
// hover text (empty: none).
struct ArrayTint {
  std::string fill;
  std::string note;
};
using ArrayTinting = std::function<ArrayTint(const PlannedArray& array)>;

// The size of the treemap's canvas in pixels (the SVG scales with the page).
inline constexpr Box kTreemapCanvas = {0.0, 0.0, 960.0, 540.0};

// The SVG element of the treemap of `plan`, tinted by `tint`; every box
// carries data-array, data-row, data-group, data-bytes and, in its
// <title>, the array, its type, declared dimension, list, bytes and share
// of the total.  Arrays without storage get no box.
std::string storageTreemap(const RunPlan& plan, const ArrayTinting& tint);

// The fill of each declared type, for the treemap of a deck, and the
// legend that names them.
ArrayTint typeTint(const PlannedArray& array);
std::string typeLegend();

}  // namespace sizgen
