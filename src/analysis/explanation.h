#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "model/run_plan.h"

namespace sizgen {

// How list `list` (1 to 99) got its size, step by step with the numbers;
// every list with nothing for `list`.  Lines end with '\n'.
std::string explainLists(const RunPlan& plan, std::optional<int> list);

// The wording of the explanation, for other analyses that quote it.

// The lines of the steps that set list k, one per step as --explain
// words them, without indent (a step may take two lines).
std::vector<std::string> stepLines(const RunPlan& plan, std::size_t k);

// What a step did, in a few words: "default", "plus 2", "made even".
std::string stepReason(const ListStep& step);

// The size of list k as the groups see it: "504, then 70000 from ROOT23".
std::string sizeHeadline(const RunPlan& plan, std::size_t k);

// A REAL as its shortest exact decimal, always with a point: 0.7, 1.0.
std::string realText(double value);

}  // namespace sizgen
