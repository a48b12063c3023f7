#include "lsp/card_ranges.h"

#include <algorithm>
#include <limits>

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
  const auto byteOf = [&](int column) {
    return std::min(line.begin + static_cast<std::size_t>(std::max(column, 1)) - 1, line.end);
  };
  const std::size_t begin = byteOf(first);
  // The last column's byte may begin a character or lie inside one: the
  // range ends after that character.
  const std::size_t end = characterEnd(text_, line.begin, std::max(byteOf(last + 1), begin));
  return {lines_.position(begin, encoding_), lines_.position(end, encoding_)};
}

std::optional<CardRanges::CardColumn> CardRanges::at(Position position) const {
  const std::size_t offset = lines_.offset(position, encoding_);
  const auto after =
      std::upper_bound(cards_.begin(), cards_.end(), offset,
                       [](std::size_t at, const Card& card) { return at < card.begin; });
  if (after == cards_.begin()) return std::nullopt;
  const Card& card = *(after - 1);
  // Past the line end of the last card: no card.
  if (after == cards_.end() && offset > card.end && offset >= text_.size() &&
      text_.size() > card.end)
    return std::nullopt;
  const std::size_t column = std::min(offset, card.end) - card.begin + 1;
  if (column > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::nullopt;
  return CardColumn{static_cast<long>(after - cards_.begin()), static_cast<int>(column)};
}

}  // namespace sizgen::lsp
