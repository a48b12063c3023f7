#include "driver/warning_lines.h"

namespace sizgen {

std::string warningLine(const Warning& warning, std::string_view deck) {
  std::string line = "sizgen: warning: ";
  if (!deck.empty()) line.append(deck).append(": ");
  return line + warningText(warning) + "\n";
}

void printWarnings(std::FILE* stream, const Warnings& warnings, std::string_view deck) {
  if (stream == nullptr) return;
  for (const Warning& warning : warnings) std::fputs(warningLine(warning, deck).c_str(), stream);
  std::fflush(stream);
}

}  // namespace sizgen
