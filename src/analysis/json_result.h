#pragma once

#include <string>

#include "model/run_plan.h"

namespace sizgen {

// The whole resolved result of a run as one JSON document (see
// docs/json-results.md for its schema), ending with '\n'.
std::string jsonResult(const RunPlan& plan);

}  // namespace sizgen
