#pragma once

#include <optional>

#include "model/run_plan.h"
#include "model/warning.h"

namespace sizgen {

// One warning when the plan declares an array with a negative dimension
// or has a negative LTLABL, at the card that set the most negative list:
// a negative size is written as it is and declares no storage.
std::optional<Warning> negativeSizeWarning(const RunPlan& plan);

}  // namespace sizgen
