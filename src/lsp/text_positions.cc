#include "lsp/text_positions.h"

#include <algorithm>

namespace sizgen::lsp {
namespace {

bool continuationByte(unsigned char byte) {
  return (byte & 0xC0U) == 0x80U;
}

// The code units of the character of `bytes` bytes in `encoding`.
std::int64_t codeUnits(std::size_t bytes, PositionEncoding encoding) {
  if (encoding == PositionEncoding::Utf8) return static_cast<std::int64_t>(bytes);
  return bytes == 4 ? 2 : 1;  // beyond the basic plane: a surrogate pair
}

}  // namespace

std::size_t characterBytes(std::string_view text, std::size_t offset) {
  const auto lead = static_cast<unsigned char>(text[offset]);
  std::size_t length = 1;
  unsigned char low = 0x80;   // the range of the second byte, which rules
  unsigned char high = 0xBF;  // out overlong forms and surrogates
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  }
  if (length == 1 || offset + length > text.size()) return 1;
  const auto second = static_cast<unsigned char>(text[offset + 1]);
  if (second < low || second > high) return 1;
  for (std::size_t i = 2; i < length; ++i) {
    if (!continuationByte(static_cast<unsigned char>(text[offset + i]))) return 1;
  }
  return length;
}

std::size_t characterEnd(std::string_view text, std::size_t from, std::size_t offset) {
  offset = std::min(offset, text.size());
  while (from < offset) from += characterBytes(text, from);
  return from;
}

LineIndex::LineIndex(std::string_view text) : text_(text) {
  std::size_t begin = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n' && text[i] != '\r') continue;
    lines_.push_back({begin, i});
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    begin = i + 1;
  }
  lines_.push_back({begin, text.size()});
}

std::size_t LineIndex::offset(Position position, PositionEncoding encoding) const {
  if (position.line < 0) return 0;
  if (static_cast<std::size_t>(position.line) >= lines_.size()) return text_.size();
  const Line& line = lines_[static_cast<std::size_t>(position.line)];
  std::size_t at = line.begin;
  for (std::int64_t units = 0; at < line.end && units < position.character;) {
    const std::size_t bytes = characterBytes(text_, at);
    units += codeUnits(bytes, encoding);
    at += bytes;
  }
  return std::min(at, line.end);
}

Position LineIndex::position(std::size_t offset, PositionEncoding encoding) const {
  offset = std::min(offset, text_.size());
  const auto after =
      std::upper_bound(lines_.begin(), lines_.end(), offset,
                       [](std::size_t at, const Line& line) { return at < line.begin; });
  const auto index = static_cast<std::size_t>(after - lines_.begin()) - 1;
  const Line& line = lines_[index];
  offset = std::min(offset, line.end);
  std::int64_t units = 0;
  for (std::size_t at = line.begin; at < offset;) {
    const std::size_t bytes = characterBytes(text_, at);
    if (at + bytes > offset) break;
    units += codeUnits(bytes, encoding);
    at += bytes;
  }
  return {static_cast<std::int64_t>(index), units};
}

}  // namespace sizgen::lsp
