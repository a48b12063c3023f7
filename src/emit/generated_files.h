#pragma once

// The writers of the generated files.  Each renders a run's plan, record by
// record, on a sink; none computes a size.

#include "base/sink.h"
#include "model/run_plan.h"

namespace sizgen {

// newmods.for: the nine subroutines ROOT10 ... ROOT28, each declaring its
// group's arrays, every array in a labelled COMMON block of its own.
void writeModuleFile(const RunPlan& plan, Sink& module);

// The COMMON line of one array and, for a character array, its CHARACTER
// line.
void writeDeclaration(const PlannedArray& array, Sink& module);

// dimdef.for: the subroutine DIMDEF (LSIZE, NCHAIN), through which the
// host program learns the sizes it was generated for: with NCHAIN = 0 the
// card-settable lists and LTLABL, with a group's selector the (list
// number, size) pairs of that group's lists in order of first use.
void writeDimdefFile(const RunPlan& plan, Sink& dimdef);

// debug.lis: six list-directed lines of the storage totals around the
// modify step.
void writeDebugFile(const RunPlan& plan, Sink& debug);

}  // namespace sizgen
