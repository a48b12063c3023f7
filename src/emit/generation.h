#pragma once

#include "driver/formatted_io.h"
#include "driver/run_tables.h"

namespace sizgen {

// The units that generation writes.
struct GenerationUnits {
  fio::Unit module;  // newmods.for
  fio::Unit dimdef;  // dimdef.for
  fio::Unit debug;   // debug.lis
};

// The generation walk: the storage total, the nine subroutines of
// newmods.for with DIMDEF in dimdef.for written alongside, the modify step
// and the list sizes that change between groups, in the one order that
// decides which sizes each group sees.  Every size is checked before the
// first line is written: a size out of range throws sizgen::Error with
// the three files unwritten.
void generate(RunTables& run, const GenerationUnits& units);

}  // namespace sizgen
