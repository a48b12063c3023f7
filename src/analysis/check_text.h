#pragma once

#include <string>

#include "model/run_plan.h"

namespace sizgen {

// What --check prints for a sound deck: "deck is sound: LTLABL = N words,
// COMMON storage = B bytes", then the deck's and the plan's warnings, one
// a line after "warning: ".  Lines end with '\n'.
std::string checkText(const RunPlan& plan);

}  // namespace sizgen
