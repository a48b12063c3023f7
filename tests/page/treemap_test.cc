// The squarified treemap, on random weights and on a wide and a narrow
// canvas: every box has its share of the area within the rounding of the
// printed coordinates, no two boxes overlap, every box lies inside its
// parent, and the boxes of a parent fill it.

#include "picture/treemap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace sizgen {
namespace {

// The printed coordinates are hundredths: each edge moves by at most half
// of one, so a width or a height by at most one.
constexpr double kEdge = 0.01;

double area(const Box& box) {
  return box.width * box.height;
}

// The area two boxes share (0 for boxes that only touch).
double overlap(const Box& a, const Box& b) {
  const double w = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
  const double h = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
  return w > 0 && h > 0 ? w * h : 0.0;
}

bool inside(const Box& inner, const Box& outer) {
  constexpr double kSlack = 1e-9;
  return inner.x >= outer.x - kSlack && inner.y >= outer.y - kSlack &&
         inner.x + inner.width <= outer.x + outer.width + kSlack &&
         inner.y + inner.height <= outer.y + outer.height + kSlack;
}

// Weights as the storage of arrays gives them: spread over many orders of
// magnitude, with repeats.
std::vector<double> randomWeights(std::mt19937_64& random, std::size_t count) {
  std::uniform_real_distribution<double> exponent(0.0, 9.0);
  std::uniform_int_distribution<int> repeat(0, 4);
  std::vector<double> weights;
  while (weights.size() < count) {
    const double w = std::floor(std::pow(10.0, exponent(random)));
    weights.push_back(std::max(w, 1.0));
    if (repeat(random) == 0 && weights.size() < count) weights.push_back(weights.back());
  }
  return weights;
}

// Checks the boxes of `weights` in `parent`, exact and as printed.
void checkBoxes(const std::vector<double>& weights, const std::vector<Box>& boxes,
                const Box& parent, double parentWeight) {
  ASSERT_EQ(boxes.size(), weights.size());
  double covered = 0.0;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const Box printed = snapped(boxes[i]);
    const double expected = weights[i] / parentWeight * area(parent);
    // Exact, up to the arithmetic; printed, up to the rounding of edges.
    EXPECT_NEAR(area(boxes[i]), expected, 1e-6 * std::max(1.0, expected)) << "box " << i;
    EXPECT_NEAR(area(printed), expected,
                kEdge * (boxes[i].width + boxes[i].height) + kEdge * kEdge + 1e-6)
        << "box " << i;
    EXPECT_TRUE(inside(boxes[i], parent)) << "box " << i;
    EXPECT_TRUE(inside(printed, snapped(parent))) << "box " << i;
    covered += area(boxes[i]);
    for (std::size_t j = 0; j < i; ++j) {
      EXPECT_LT(overlap(boxes[i], boxes[j]), 1e-6) << "boxes " << j << " and " << i;
      // Printed edges that two boxes share are the same decimals; the
      // doubles that hold them differ by an ulp at most.
      EXPECT_LT(overlap(printed, snapped(boxes[j])), 1e-9) << "boxes " << j << " and " << i;
    }
  }
  EXPECT_NEAR(covered, area(parent), 1e-6 * area(parent));
}

TEST(Treemap, BoxesHaveTheirShareDoNotOverlapAndStayInside) {
  const Box canvases[] = {
      {0.0, 0.0, 960.0, 540.0},  // wide
      {0.0, 0.0, 240.0, 900.0},  // narrow
      {12.5, 3.25, 97.0, 11.0},  // small, off the origin
  };
  std::mt19937_64 random(20261209);
  std::uniform_int_distribution<std::size_t> groupCount(1, 9);
  std::uniform_int_distribution<std::size_t> itemCount(0, 40);
  for (const Box& canvas : canvases) {
    for (int trial = 0; trial < 200; ++trial) {
      std::vector<std::vector<double>> groups(groupCount(random));
      for (auto& group : groups) group = randomWeights(random, itemCount(random));
      if (std::all_of(groups.begin(), groups.end(), [](const auto& g) { return g.empty(); }))
        groups.front().push_back(1.0);
      std::vector<double> sums;
      for (const auto& group : groups)
        sums.push_back(std::accumulate(group.begin(), group.end(), 0.0));
      const double total = std::accumulate(sums.begin(), sums.end(), 0.0);
      const NestedBoxes nested = squarifyNested(groups, canvas);

      std::vector<double> present;
      std::vector<Box> outer;
      std::vector<Box> all;
      std::vector<double> allWeights;
      for (std::size_t g = 0; g < groups.size(); ++g) {
        if (groups[g].empty()) {
          EXPECT_TRUE(nested.items[g].empty());
          continue;
        }
        present.push_back(sums[g]);
        outer.push_back(nested.groups[g]);
        checkBoxes(groups[g], nested.items[g], nested.groups[g], sums[g]);
        all.insert(all.end(), nested.items[g].begin(), nested.items[g].end());
        allWeights.insert(allWeights.end(), groups[g].begin(), groups[g].end());
      }
      checkBoxes(present, outer, canvas, total);
      // Every array's share of the whole canvas, across the groups too.
      checkBoxes(allWeights, all, canvas, total);
      if (HasFailure()) return;
    }
  }
}

}  // namespace
}  // namespace sizgen
