#pragma once

// The sections that the page of a deck and the page of a difference share.

#include <string>

#include "model/run_plan.h"

namespace sizgen {

// LTLABL, MTOT and the storage totals, with data-ltlabl, data-mtot,
// data-common-bytes and data-labcom-bytes.
std::string summarySection(const RunPlan& plan);

// The ten largest arrays, largest first (ties by row), each row of the
// table with data-row and data-bytes.
std::string largestArraysSection(const RunPlan& plan);

// The arrays that declare no storage, each item with data-row.
std::string noStorageList(const RunPlan& plan);

// Each list's final size, the card it started from and its --explain
// steps in a <details>; each row with data-list and data-size.
std::string listsSection(const RunPlan& plan);

}  // namespace sizgen
