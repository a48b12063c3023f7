#include "emit/generation.h"

#include <string>

#include "emit/declaration.h"
#include "emit/dimdef_writer.h"
#include "sizing/catalog.h"
#include "sizing/late_steps.h"
#include "sizing/storage_total.h"

namespace sizgen {
namespace {

// The IMPLICIT statement that heads every generated subroutine, padded to
// 80 columns, as a Hollerith field of a FORMAT.
constexpr std::string_view kImplicitLine =
    "80H      IMPLICIT REAL*8 (A-H, O-Z),  INTEGER*4 (I-N)                              ";

void writeGroupHeader(const fio::Unit& module, const Group& group) {
  module.write("(6X,17HSUBROUTINE " + std::string(group.subroutine) + ",57X,/," +
               std::string(kImplicitLine) + ")");
}

void writeGroupEnd(const fio::Unit& module) {
  module.write("(6X,3HEND,71X)");
}

// The list sizes that change between groups, set just before the group's
// header: ROOT10 and earlier groups keep the values they were written with.
void lateStepBefore(const Group& group, RunTables& run) {
  switch (group.selector) {
    case 23:
      run.LSTNEW(71) = plotList(run.settings);
      break;
    case 25: {
      SquareRootLists lists = squareRootLists(run.settings);
      run.LSTNEW(71) = lists.list71;
      run.LSTNEW(73) = lists.list73;
      break;
    }
    case 28:
      run.LSTNEW(74) = neighbourList(run.settings);
      break;
    default:
      break;
  }
}

void walk(RunTables& run, const GenerationUnits& units) {
  const fio::Unit& module = units.module;
  const std::int32_t NQUANT = run.settings.NQUANT;
  auto declare = [&](int i) {
    emitDeclaration(module, i, run.LSTNEW(static_cast<std::size_t>(generatedListNumber(i))),
                    NQUANT);
  };

  // ROOT10, dimensioned with the sizes of the resolution.
  const Group& root10 = kGroups[0];
  run.MTOT = storageTotal(run.LSTNEW);
  writeGroupHeader(module, root10);
  for (int i = root10.firstRow; i <= root10.lastRow; ++i) declare(i);
  writeGroupEnd(module);

  // LTLABL, list 99 and, after RAM TABLES, list 29; then DIMDEF's
  // NCHAIN = 0 block.
  run.LTLABL = modifyAndReport(run.MTOT, run.settings, run.LSTNEW, units.debug);
  DimdefWriter dimdef(units.dimdef);
  dimdef.open(run.LSTNEW, run.settings.NLISTS, run.LTLABL);

  // The other eight groups; from here on row 122 is dimensioned by list 99.
  for (std::size_t g = 1; g < kGroups.size(); ++g) {
    const Group& group = kGroups[g];
    lateStepBefore(group, run);
    writeGroupHeader(module, group);
    dimdef.startChainBlock(group);
    for (int i = group.firstRow; i <= group.lastRow; ++i) {
      dimdef.enterRow(group, i, run.LSTNEW);
      declare(i);
    }
    writeGroupEnd(module);
  }
  dimdef.close();
}

}  // namespace

void generate(RunTables& run, const GenerationUnits& units) {
  // A rehearsal on a copy, writing nothing, meets any size that does not
  // fit before a line is written.
  RunTables rehearsal = run;
  walk(rehearsal, {fio::Unit::discarding(), fio::Unit::discarding(), fio::Unit::discarding()});
  walk(run, units);
}

}  // namespace sizgen
