#include "reading/deck_format.h"

#include <algorithm>
#include <string_view>

#include "input/card_reader.h"

namespace sizgen {
namespace {

bool isBlank(char c) {
  return c == ' ';
}

// A character that ends a value on its own: the comma that ends a field
// early, the { that starts a list-size card's comment.
bool isSeparator(char c) {
  return c == ',' || c == '{';
}

// The character of `line` at offset i of the card, blank past its end.
char at(std::string_view line, std::size_t i) {
  return i < line.size() ? line[i] : ' ';
}

// Whether text runs on across the edge between offsets i - 1 and i: both
// sides hold a character that is neither blank nor a separator.  The
// edges of the card are never crossed.
bool crossed(std::string_view line, std::size_t i) {
  if (i == 0 || i >= kCardColumns) return false;
  const char before = at(line, i - 1);
  const char after = at(line, i);
  return !isBlank(before) && !isBlank(after) && !isSeparator(before) && !isSeparator(after);
}

// The offsets [begin, end) of the card that hold the value of `field`:
// its columns less the comma that ends it early and less a comment.
std::pair<std::size_t, std::size_t> valueArea(const DeckCard& card, const DeckField& field) {
  const auto begin = static_cast<std::size_t>(field.firstColumn - 1);
  auto end = static_cast<std::size_t>(field.lastColumn);
  if (!field.text.empty() && field.text.back() == ',') --end;
  if (card.commentColumn > 0) end = std::min(end, static_cast<std::size_t>(card.commentColumn - 1));
  return {begin, std::max(begin, end)};
}

}  // namespace

std::string formatCard(const DeckCard& card) {
  if (card.role == DeckCard::Role::Comment || card.role == DeckCard::Role::AfterDeckEnd)
    return card.text;
  // The card's columns, then the text past column 80 as it is.
  std::string columns(std::string_view(card.text).substr(0, kCardColumns));
  const std::string_view beyond =
      card.text.size() > kCardColumns ? std::string_view(card.text).substr(kCardColumns) : "";
  // Every decision is taken on the card as it stands, then applied.
  std::string formatted = columns;
  for (const DeckField& field : card.fields) {
    const auto [begin, end] = valueArea(card, field);
    const std::string_view value = std::string_view(field.text).substr(0, end - begin);
    if (std::all_of(value.begin(), value.end(), isBlank)) continue;
    if (crossed(columns, begin) || crossed(columns, end)) continue;
    std::string packed;
    std::copy_if(value.begin(), value.end(), std::back_inserter(packed),
                 [](char c) { return !isBlank(c); });
    if (formatted.size() < end) formatted.resize(end, ' ');
    std::fill(formatted.begin() + static_cast<std::ptrdiff_t>(begin),
              formatted.begin() + static_cast<std::ptrdiff_t>(end), ' ');
    std::copy(packed.begin(), packed.end(),
              formatted.begin() + static_cast<std::ptrdiff_t>(end - packed.size()));
  }
  if (!beyond.empty()) {
    formatted.resize(kCardColumns, ' ');
    formatted += beyond;
  }
  formatted.erase(formatted.find_last_not_of(' ') + 1);
  return formatted;
}

std::optional<std::string> formatDeck(const DeckReading& reading) {
  if (reading.error) return std::nullopt;
  std::string text;
  for (const DeckCard& card : reading.cards) {
    text += formatCard(card);
    text += card.lineEnd;
  }
  return text + reading.unread;
}

}  // namespace sizgen
