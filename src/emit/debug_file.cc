#include "emit/generated_files.h"
#include "fortran/formatted_io.h"

namespace sizgen {

void writeDebugFile(const RunPlan& plan, Sink& debug) {
  const DebugValues& values = plan.debug;
  debug.write(fio::listRecord({" Before modify,  MTOT =", values.totalBefore}));
  debug.write(fio::listRecord({" LSTNEW(1) =", values.list1}));
  debug.write(fio::listRecord({" LSTNEW(7) =", values.list7}));
  debug.write(fio::listRecord({" After  modify,  MTOT =", values.totalAfter}));
  debug.write(fio::listRecord({" B4 modify, LSTNEW(29) =", values.list29Before}));
  debug.write(fio::listRecord({"    modify, LSTNEW(29) =", values.list29After}));
}

}  // namespace sizgen
