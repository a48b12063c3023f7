#include "lsp/card_ranges.h"

#include <algorithm>

namespace sizgen::lsp {

CardRanges::CardRanges(std::string_view text, PositionEncoding encoding)
    : text_(text), encoding_(encoding), lines_(text) {
  std::size_t begin = 0;
  for (std::size_t feed = text.find('\n'); feed != std::string_view::npos;
       feed = text.find('\n', begin)) {
    const std::size_t end = feed > begin && text[feed - 1] == '\r' ? feed - 1 : feed;
    cards_.push_back({begin, end});
    begin = feed + 1;
  }
  if (begin < text.size()) cards_.push_back({begin, text.size()});
}

Range CardRanges::columns(long card, int first, int last) const {
  if (card <= 0) return {};
  if (static_cast<std::size_t>(card) > cards_.size()) {
    const Position end = lines_.position(text_.size(), encoding_);
    return {end, end};
  }
  const Card& line = cards_[static_cast<std::size_t>(card - 1)];
  const auto at = [&](int column) {
    return std::min(line.begin + static_cast<std::size_t>(std::max(column, 1)) - 1, line.end);
  };
  const std::size_t begin = at(first);
  // The last column's byte may begin a character or lie inside one: the
  // range ends after that character.
  const std::size_t end = characterEnd(text_, line.begin, std::max(at(last + 1), begin));
  return {lines_.position(begin, encoding_), lines_.position(end, encoding_)};
}

}  // namespace sizgen::lsp
