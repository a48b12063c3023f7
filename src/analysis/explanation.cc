#include "analysis/explanation.h"

#include "base/error.h"

namespace sizgen {

std::string explainLists(const RunPlan& /*plan*/, std::optional<int> /*list*/) {
  throw InternalError("explanations are not built yet");
}

}  // namespace sizgen
