#include "analysis/check_text.h"

#include <cstdint>

#include "analysis/storage.h"

namespace sizgen {

std::string checkText(const RunPlan& plan) {
  const std::int64_t bytes = totalBytes(plan);
  std::string text = "deck is sound: LTLABL = " + std::to_string(plan.LTLABL) +
                     " words, COMMON storage = " + bytesText(bytes) + "\n";
  for (const Warning& warning : allWarnings(plan))
    text += "warning: " + warningText(warning) + "\n";
  return text;
}

}  // namespace sizgen
