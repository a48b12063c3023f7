#include "lsp/inlay_hints.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "analysis/explanation.h"

namespace sizgen::lsp {
namespace {

// The number of a field's text: without the comma that ends it, without
// the blanks around it.
std::string_view numberText(std::string_view text) {
  if (text.ends_with(',')) text.remove_suffix(1);
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// An exponent: a letter E or D, or a sign after the first character.
bool hasExponent(std::string_view number) {
  for (std::size_t i = 0; i < number.size(); ++i) {
    const char c = number[i];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') return true;
    if (i > 0 && (c == '+' || c == '-')) return true;
  }
  return false;
}

bool readsOtherwise(const DeckCard& card, const DeckField& field) {
  const std::string_view number = numberText(field.text);
  if (number.empty()) return false;
  if (number.find(' ') != std::string_view::npos || field.shift != 0) return true;
  if (field.real && hasExponent(number)) return true;
  // A real on a list-size card counts as its integer part.
  return field.real && card.role != DeckCard::Role::Keyword &&
         static_cast<double>(field.value) != field.realValue;
}

}  // namespace

std::vector<FieldHint> fieldHints(const DeckReading& reading) {
  std::vector<FieldHint> hints;
  for (const DeckCard& card : reading.cards) {
    if (card.role == DeckCard::Role::Comment || card.role == DeckCard::Role::AfterDeckEnd) continue;
    for (const DeckField& field : card.fields) {
      if (!field.read || !readsOtherwise(card, field)) continue;
      const bool keepReal = field.real && card.role == DeckCard::Role::Keyword;
      hints.push_back(
          {card.line, field.lastColumn,
           "= " + (keepReal ? realText(field.realValue) : std::to_string(field.value))});
    }
  }
  return hints;
}

}  // namespace sizgen::lsp
