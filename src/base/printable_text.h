#pragma once

#include <string>
#include <string_view>

namespace sizgen {

// `text` with each byte outside printable ASCII written as \xHH, so that
// it shows as one line and sends nothing but text to a terminal.
inline std::string printableText(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
      shown += c;
    } else {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0xf];
    }
  }
  return shown;
}

}  // namespace sizgen
