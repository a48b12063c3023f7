#include "input/card_fields.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "base/error.h"
#include "base/real_arithmetic.h"
#include "fortran/formatted_io.h"
#include "input/keywords.h"
#include "model/card_place.h"

namespace sizgen {

namespace {

// The FORMAT that reads the fields `columns`: nX to skip the columns
// before the first, then count fields of Iw (integers) or Ew.0 (reals).
std::string readFormat(FieldColumns columns, bool reals, std::size_t values) {
  if (values > columns.count) throw InternalError("more values than the card has fields");
  std::string format = "(";
  if (columns.first > 1) format += std::to_string(columns.first - 1) + "X,";
  if (columns.count > 1) format += std::to_string(columns.count);
  format += (reals ? "E" : "I") + std::to_string(columns.width);
  if (reals) format += ".0";
  return format + ")";
}

}  // namespace

void CardFields::readIntegers(FieldColumns columns, std::span<std::int32_t> values) const {
  if (auto failed = fio::readRecord(image_, readFormat(columns, false, values.size()), values)) {
    fail(columns, *failed, "cannot read \"" + fieldText(columns, *failed) + "\" as an integer");
  }
}

void CardFields::readReals(FieldColumns columns, std::span<double> values) const {
  if (auto failed = fio::readRecord(image_, readFormat(columns, true, values.size()), values)) {
    fail(columns, *failed, "cannot read \"" + fieldText(columns, *failed) + "\" as a real");
  }
}

std::int32_t CardFields::truncate(double value, FieldColumns columns, std::size_t index) const {
  if (auto integer = truncateToInteger(value)) return *integer;
  std::array<char, 64> text{};
  auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  fail(columns, index, std::string(text.data(), result.ptr) + " is out of the 32-bit range");
}

// libf2c reads a field of width w from where the previous field ended: w
// characters, unless a comma comes first.  The comma ends the field (it is
// the field's last character, read and passed over), and the next field
// begins right after it, so every later field moves left by the columns
// the comma saved.  A comma as the w-th character ends the field where it
// would have ended anyway.  The columns skipped by nX before the first
// field are passed over whatever they hold, commas included.  Nothing is
// read past the end of the card: a field that would run beyond it ends
// there (with the FORMATs of a deck, fields only ever move left, so none
// does).
CardFields::Span CardFields::fieldFrom(std::size_t begin, std::size_t width) const {
  std::size_t end = std::min(begin + width, image_.size());
  const std::size_t comma = image_.substr(begin, end - begin).find(',');
  if (comma != std::string_view::npos) end = begin + comma + 1;
  return {begin, end};
}

CardFields::Span CardFields::span(FieldColumns columns, std::size_t index) const {
  const auto width = static_cast<std::size_t>(columns.width);
  Span field =
      fieldFrom(std::min(static_cast<std::size_t>(columns.first - 1), image_.size()), width);
  for (std::size_t n = 0; n < index; ++n) field = fieldFrom(field.end, width);
  return field;
}

std::vector<CardFields::Span> CardFields::spans(FieldColumns columns, std::size_t count) const {
  std::vector<Span> fields;
  fields.reserve(count);
  const auto width = static_cast<std::size_t>(columns.width);
  std::size_t begin = std::min(static_cast<std::size_t>(columns.first - 1), image_.size());
  for (std::size_t n = 0; n < count; ++n) {
    fields.push_back(fieldFrom(begin, width));
    begin = fields.back().end;
  }
  return fields;
}

std::string CardFields::fieldText(FieldColumns columns, std::size_t index) const {
  Span field = span(columns, index);
  return printableField(image_.substr(field.begin, field.end - field.begin));
}

void CardFields::fail(FieldColumns columns, std::size_t index, const std::string& what) const {
  Span field = span(columns, index);
  // A tab or a { in the field itself says more than a hint about the card:
  // "CARDS<tab>500" does begin with CARDS, and a keyword card has no
  // comment.
  std::string_view text = image_.substr(field.begin, field.end - field.begin);
  std::string_view hint = hint_;
  if (text.find('\t') != std::string_view::npos) {
    hint = " (cards use blanks, not tabs: a tab is one column)";
  } else if (text.find('{') != std::string_view::npos) {
    hint = " (a { comment is allowed only on list-size cards)";
  }
  const int first = static_cast<int>(field.begin) + 1;
  const int last = static_cast<int>(field.end);
  const std::string where = cardPlaceText(
      {.card = cardNumber_, .firstColumn = first, .lastColumn = last, .columnsAsRange = true});
  throw CardError(cardNumber_, first, last, where, what + std::string(hint));
}

namespace {

// Whether `words` begin with `typed`, letters compared in upper case.
bool beginsWith(std::string_view words, std::string_view typed) {
  if (words.size() < typed.size()) return false;
  for (std::size_t i = 0; i < typed.size(); ++i) {
    char c = words[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != typed[i]) return false;
  }
  return true;
}

}  // namespace

std::string listCardHint(std::string_view card) {
  // Editors that save "UTF-8 with BOM" put these three bytes before the
  // first card.
  if (card.starts_with("\xef\xbb\xbf")) {
    return " (the card begins with a UTF-8 byte-order mark, which some editors add: save the "
           "deck as ASCII or as UTF-8 without BOM)";
  }
  std::size_t start = std::min(card.find_first_not_of(' '), card.size());
  std::string_view words = card.substr(start);
  auto hint = [&](std::string_view meant) {
    return " (did you mean " + std::string(meant) + (start > 0 ? ", starting in column 1?)" : "?)");
  };
  // A keyword in the wrong case or moved right, its blanks left out.
  for (const Keyword& keyword : kKeywords) {
    if (keyword.kind == CardKind::Comment) continue;
    std::string_view word = keywordName(keyword.kind);
    if (beginsWith(words, word)) return hint("\"" + std::string(word) + "\"");
  }
  // Near misses that no keyword spells.
  struct NearMiss {
    std::string_view typed;
    std::string_view meant;  // cppcheck-suppress unusedStructMember ; read through the iterator
  };
  static constexpr std::array<NearMiss, 3> kNearMisses = {{
      {"RAM TABLE", "\"RAM TABLES\""},
      {"C ", "\"C \" for a comment"},
      {"BLANK ", "\"BLANK\""},
  }};
  const auto* miss =
      std::find_if(kNearMisses.begin(), kNearMisses.end(),
                   [&](const NearMiss& near) { return beginsWith(words, near.typed); });
  return miss != kNearMisses.end() ? hint(miss->meant) : std::string();
}

std::string printableField(std::string_view text) {
  std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  return printableText(text.substr(begin, text.find_last_not_of(' ') - begin + 1));
}

}  // namespace sizgen
