#include "picture/markup.h"

#include <cmath>

namespace sizgen {

std::string escaped(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        result += "&amp;";
        break;
      case '<':
        result += "&lt;";
        break;
      case '>':
        result += "&gt;";
        break;
      case '"':
        result += "&quot;";
        break;
      case '\'':
        result += "&#39;";
        break;
      default:
        result += c;
    }
  }
  return result;
}

std::string pixels(double value) {
  const long long hundredths = std::llround(value * 100.0);
  const long long magnitude = std::llabs(hundredths);
  std::string text = (hundredths < 0 ? "-" : "") + std::to_string(magnitude / 100);
  const auto tenths = static_cast<char>('0' + magnitude % 100 / 10);
  const auto last = static_cast<char>('0' + magnitude % 10);
  if (last != '0') {
    text += {'.', tenths, last};
  } else if (tenths != '0') {
    text += {'.', tenths};
  }
  return text;
}

}  // namespace sizgen
