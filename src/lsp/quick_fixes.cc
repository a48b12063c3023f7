#include "lsp/quick_fixes.h"

#include <algorithm>

#include "input/keywords.h"
#include "reading/deck_reading.h"

namespace sizgen::lsp {
namespace {

const DeckCard* cardOf(const DeckReading& reading, long line) {
  const auto found = std::find_if(reading.cards.begin(), reading.cards.end(),
                                  [line](const DeckCard& c) { return c.line == line; });
  return found == reading.cards.end() ? nullptr : &*found;
}

// The card with the number at columns first-last moved right-aligned into
// the value columns, or nothing when they hold anything else or the
// number does not fit.
std::optional<std::string> movedIntoValue(const DeckCard& card, int first, int last) {
  if (card.role != DeckCard::Role::Keyword) return std::nullopt;
  const FieldColumns value = keywordOf(card.kind).reads;
  const int length = last - first + 1;
  if (value.count != 1 || length <= 0 || length > value.width || first < 1 ||
      last > static_cast<int>(card.text.size()))
    return std::nullopt;
  const std::string number =
      card.text.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(length));
  std::string text = card.text;
  std::fill_n(text.begin() + first - 1, length, ' ');
  if (text.size() < static_cast<std::size_t>(value.last()))
    text.resize(static_cast<std::size_t>(value.last()), ' ');
  const auto begin = text.begin() + value.first - 1;
  if (std::any_of(begin, begin + value.width, [](char c) { return c != ' '; })) return std::nullopt;
  std::copy(number.begin(), number.end(), begin + value.width - length);
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// Whether the deck with card `line` as `text` reads `number` as its value
// and has no warning of `kind` on that card.
bool fixHolds(const DeckReading& reading, long line, const std::string& text, Warning::Kind kind,
              const std::string& number) {
  const DeckReading fixed = readDeckText(deckWithCard(reading, line, text));
  const DeckCard* card = cardOf(fixed, line);
  if (card == nullptr || card->fields.size() != 1 || !card->fields.front().read) return false;
  // The value columns hold the number right-aligned, blanks before it.
  const std::string& read = card->fields.front().text;
  if (!read.ends_with(number) || read.find_first_not_of(' ') != read.size() - number.size())
    return false;
  return std::none_of(fixed.warnings.begin(), fixed.warnings.end(),
                      [&](const Warning& w) { return w.card == line && w.kind == kind; });
}

}  // namespace

std::string deckWithCard(const DeckReading& reading, long line, const std::string& text) {
  std::string deck;
  for (const DeckCard& card : reading.cards) {
    deck += card.line == line ? text : card.text;
    deck += card.lineEnd;
  }
  return deck + reading.unread;
}

std::vector<QuickFix> quickFixes(const DeckReading& reading) {
  std::vector<QuickFix> fixes;
  // A card that cannot be read stops the reading before its warnings show.
  if (reading.error && !reading.readToEnd) return fixes;
  for (const Warning& warning : reading.warnings) {
    if (warning.kind != Warning::Kind::ValueOutsideColumns) continue;
    const DeckCard* card = cardOf(reading, warning.card);
    if (card == nullptr) continue;
    const auto text = movedIntoValue(*card, warning.firstColumn, warning.lastColumn);
    if (!text) continue;
    const std::string number =
        card->text.substr(static_cast<std::size_t>(warning.firstColumn - 1),
                          static_cast<std::size_t>(warning.lastColumn - warning.firstColumn + 1));
    if (!fixHolds(reading, warning.card, *text, warning.kind, number)) continue;
    const FieldColumns value = keywordOf(card->kind).reads;
    fixes.push_back({warning,
                     "Move \"" + number + "\" into columns " + std::to_string(value.first) + "-" +
                         std::to_string(value.last()),
                     *text});
  }
  return fixes;
}

}  // namespace sizgen::lsp
