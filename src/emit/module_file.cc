#include <string>

#include "emit/fortran_statements.h"
#include "emit/generated_files.h"
#include "emit/integer_field.h"
#include "fortran/formatted_io.h"
#include "model/catalog.h"

namespace sizgen {

void writeDeclaration(const PlannedArray& array, Sink& module) {
  const CatalogRow& row = catalogRow(array.row);
  // see note [numbers wider than their field]
  module.write(fio::formatRecord(
      widenedToFit("(6X,10HCOMMON  / ,A6,5H /   ,A6,1H(,I10,2H ))", "I10", array.dimension),
      {row.block, row.name, array.dimension}));
  // The IMPLICIT statement types the others.
  const TypeCode& type = typeCode(array.typeCode);
  if (!type.implicit) {
    std::string statement(type.fortranName);
    statement.resize(13, ' ');
    module.write(fio::formatRecord("(6X,13H" + statement + ",A6)", {row.name}));
  }
}

void writeModuleFile(const RunPlan& plan, Sink& module) {
  for (const PlannedGroup& planned : plan.groups) {
    const Group& group = *planned.group;
    module.write(fio::formatRecord("(6X,17HSUBROUTINE " + std::string(group.subroutine) + ",57X)"));
    module.write(fio::formatRecord(kImplicitFormat));
    for (int i = group.firstRow; i <= group.lastRow; ++i) writeDeclaration(plan.array(i), module);
    module.write(fio::formatRecord(kEndFormat));
  }
}

}  // namespace sizgen
