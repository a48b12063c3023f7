#include "analysis/storage_report.h"

#include "base/error.h"

namespace sizgen {

std::string storageReport(const RunPlan& /*plan*/) {
  throw InternalError("the storage report is not built yet");
}

}  // namespace sizgen
