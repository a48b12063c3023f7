#include "page/page_text.h"

#include <cstdio>

#include "picture/markup.h"

namespace sizgen {

std::string shareText(std::int64_t part, std::int64_t total) {
  const double share =
      total == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(total);
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", share);
  return text;
}

std::string element(std::string_view tag, std::string_view text) {
  return "<" + std::string(tag) + ">" + escaped(text) + "</" + std::string(tag) + ">";
}

}  // namespace sizgen
