#pragma once

#include <optional>
#include <string>

#include "model/run_plan.h"

namespace sizgen {

// How list `list` (1 to 99) got its size, step by step with the numbers;
// every list with nothing for `list`.  Lines end with '\n'.
std::string explainLists(const RunPlan& plan, std::optional<int> list);

}  // namespace sizgen
