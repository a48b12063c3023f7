#pragma once

// What --html --diff prints: one self-contained HTML page of what changes
// from one deck to another.

#include <string>
#include <string_view>

#include "analysis/plan_diff.h"
#include "model/run_plan.h"

namespace sizgen {

// The page of the difference `diff` between the plans `before` (of the
// deck called `beforeName`) and `after`: the treemap of the new deck with
// each box coloured by how much its array grew or shrank, the arrays that
// went to or came from no storage, the settings and lists that changed,
// the storage before and after, and which generated files would change.
std::string diffPage(const RunPlan& before, const RunPlan& after, const PlanDiff& diff,
                     std::string_view beforeName, std::string_view afterName);

}  // namespace sizgen
