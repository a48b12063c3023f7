#include "picture/markup.h"

#include <cmath>
#include <cstdio>

namespace sizgen {

std::string escaped(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': result += "&amp;"; break;
      case '<': result += "&lt;"; break;
      case '>': result += "&gt;"; break;
      case '"': result += "&quot;"; break;
      case '\'': result += "&#39;"; break;
      default: result += c;
    }
  }
  return result;
}

std::string pixels(double value) {
  long long hundredths = std::llround(value * 100.0);
  std::string sign = hundredths < 0 ? "-" : "";
  const long long magnitude = std::llabs(hundredths);
  std::string text = sign + std::to_string(magnitude / 100);
  const long long fraction = magnitude % 100;
  if (fraction != 0) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02lld", fraction);
    text += '.';
    text += digits[0];
    if (digits[1] != '0') text += digits[1];
  }
  return text;
}

}  // namespace sizgen
