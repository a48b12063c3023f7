#include "analysis/json_result.h"

#include "base/error.h"

namespace sizgen {

std::string jsonResult(const RunPlan& /*plan*/) {
  throw InternalError("the JSON result is not built yet");
}

}  // namespace sizgen
