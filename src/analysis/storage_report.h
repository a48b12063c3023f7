#pragma once

#include <string>

#include "model/run_plan.h"

namespace sizgen {

// The storage report of --report: for each group its arrays (row, name,
// COMMON block, list, type, extent, declared dimension, bytes) and its
// total; then the grand total, the size of LABCOM and the ten largest
// arrays with a bar proportional to their share.  Lines end with '\n'.
std::string storageReport(const RunPlan& plan);

}  // namespace sizgen
