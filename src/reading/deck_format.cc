#include "reading/deck_format.h"

#include <algorithm>
#include <string_view>

#include "input/card_reader.h"

namespace sizgen {
namespace {

bool isBlank(char c) {
  return c == ' ';
}

// The character of `line` at offset i of the card, blank past its end.
char at(std::string_view line, std::size_t i) {
  return i < line.size() ? line[i] : ' ';
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

// A field's value is moved only where no text runs on into it from the
// left (a number across the edge of its columns, "SCALE 2.0") and where
// what follows its columns may touch it: a blank, the comma that ends the
// field early, the { of a list-size card's comment, the card's end; other
// text there would seem to run on from the value.  The fields are taken from the last, each decided
// on the card as its later fields already stand, so that formatting again finds every field as it
// left it.
std::string formatCard(const DeckCard& card) {
  if (card.role == DeckCard::Role::Comment || card.role == DeckCard::Role::AfterDeckEnd)
    return card.text;
  // The card's columns, then the text past column 80 as it is.
  std::string formatted(std::string_view(card.text).substr(0, kCardColumns));
  const std::string_view beyond =
      card.text.size() > kCardColumns ? std::string_view(card.text).substr(kCardColumns) : "";
  const std::size_t comment =
      card.commentColumn > 0 ? static_cast<std::size_t>(card.commentColumn - 1) : std::string::npos;
  for (std::size_t i = card.fields.size(); i-- > 0;) {
    const DeckField& field = card.fields[i];
    const auto [begin, end] = valueArea(card, field);
    const std::string_view value = std::string_view(field.text).substr(0, end - begin);
    if (std::all_of(value.begin(), value.end(), isBlank)) continue;
    const char left = begin > 0 ? at(formatted, begin - 1) : ' ';
    if (!isBlank(left) && left != ',' && !isBlank(at(formatted, begin))) continue;
    const char right = end < kCardColumns ? at(formatted, end) : ' ';
    if (!isBlank(right) && right != ',' && end != comment) continue;
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
    std::string formatted = formatCard(card);
    // A last line without its line end that holds only blanks is still a
    // card: emptied, it would be none.
    if (formatted.empty() && card.lineEnd.empty()) formatted = card.text;
    text += formatted;
    text += card.lineEnd;
  }
  return text + reading.unread;
}

}  // namespace sizgen
