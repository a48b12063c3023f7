#include "driver/warning_lines.h"

namespace sizgen {

std::string warningLine(const Warning& warning) {
  return "sizgen: warning: " + warningText(warning) + "\n";
}

void printWarnings(std::FILE* stream, const Warnings& warnings) {
  if (stream == nullptr) return;
  for (const Warning& warning : warnings) std::fputs(warningLine(warning).c_str(), stream);
  std::fflush(stream);
}

}  // namespace sizgen
