#include "input/deck_warnings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <string>
#include <vector>

#include "model/card_place.h"

namespace sizgen {
namespace {

bool hasDigit(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// The columns (from 1) of the non-blank text of `image`, or nothing.
std::optional<std::pair<int, int>> textColumns(std::string_view image) {
  const std::size_t first = image.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  return std::pair{static_cast<int>(first) + 1, static_cast<int>(image.find_last_not_of(' ')) + 1};
}

// A value read, as short as it reads back: 5, 0.5, 25, 1e+30.
std::string shownValue(double value) {
  if (value == 0.0) return "0";
  std::array<char, 32> text{};
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  return {text.data(), result.ptr};
}

// A character that can belong to a number as a field reads it.
bool numberCharacter(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0 ||
         std::string_view(".+-EeDd").find(c) != std::string_view::npos;
}

// What a keyword card that read `read` from `region` (the columns its
// fields were read from, commas included) says about `number`, which
// stands at [begin, end) of `image`, outside them.
std::string outsideMessage(std::string_view image, const Keyword& keyword, double read,
                           CardFields::Span region, std::size_t begin, std::size_t end) {
  const FieldColumns reads = keyword.reads;
  const std::string name(keywordName(keyword.kind));
  const std::string_view number = image.substr(begin, end - begin);
  const std::string quoted = "\"" + printableText(number) + "\"";
  if (reads.count == 0)
    return name + " reads nothing after its keyword: " + quoted + " is not read";
  const std::string readColumns =
      columnsText(static_cast<int>(region.begin) + 1, static_cast<int>(region.end));
  const std::string outside =
      quoted + (region.end - region.begin == 1 ? " stands outside it" : " stands outside them");
  const std::string columns = columnsText(reads.first, reads.last());
  if (reads.count > 1) {
    return name + " reads its flags from " + readColumns + ", but " + outside +
           ": each flag goes in " + std::to_string(reads.width) + " of " + columns;
  }
  std::string message =
      name + " reads " + shownValue(read) + " from " + readColumns + ", but " + outside;
  // Whether the value columns hold nothing but part of the number: then
  // the number is the value that was meant.
  bool onlyThisNumber = true;
  for (std::size_t c = region.begin; c < region.end; ++c) {
    if ((c < begin || c >= end) && image[c] != ' ') onlyThisNumber = false;
  }
  if (read != 0.0 && !onlyThisNumber) return message + " and is not read";
  message += ": the value goes in " + columns;
  if (number.size() <= static_cast<std::size_t>(reads.width)) {
    std::string meant(keyword.text);
    meant.resize(static_cast<std::size_t>(reads.last()) - number.size(), ' ');
    message += " (\"" + printableText(meant) + printableText(number) + "\")";
  }
  return message;
}

// What ends a word of a card: a blank, a tab, or a comma, which ends a
// field.
bool endsWord(char c) {
  return c == ' ' || c == '\t' || c == ',';
}

// Whether the characters on either side of `edge` (an offset into
// `image`) belong to one number: digits or a point on both sides, an
// exponent split from its mantissa or its digits, or a sign from its
// digits.
bool numberAcross(std::string_view image, std::size_t edge) {
  if (edge == 0 || edge >= image.size()) return false;
  auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '.'; };
  auto exponent = [](char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; };
  auto sign = [](char c) { return c == '+' || c == '-'; };
  const char left = image[edge - 1];
  const char right = image[edge];
  if (digit(left)) return digit(right) || exponent(right);
  if (exponent(left)) return digit(right) || sign(right);
  return sign(left) && digit(right);
}

// The warning for the number at [first, last) of `image`, which lies
// across the edges of the fields `spans`.
Warning acrossEdges(std::string_view image, long card, std::size_t first, std::size_t last,
                    const std::vector<CardFields::Span>& spans, int width) {
  std::vector<std::string> parts;
  for (const CardFields::Span& span : spans) {
    const std::size_t begin = std::max(span.begin, first);
    const std::size_t end = std::min(span.end, last);
    if (begin >= end) continue;
    parts.push_back("\"" + printableText(image.substr(begin, end - begin)) + "\" in " +
                    columnsText(static_cast<int>(span.begin) + 1, static_cast<int>(span.end)));
  }
  std::string read;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) read += i + 1 == parts.size() ? " and " : ", ";
    read += parts[i];
  }
  return {Warning::Kind::AcrossFieldEdge, card, static_cast<int>(first) + 1, static_cast<int>(last),
          "\"" + printableText(image.substr(first, last - first)) + "\" runs across " +
              std::to_string(parts.size()) + " fields: it is read as " + read +
              "; each number goes within the " + std::to_string(width) +
              " columns of its own field"};
}

}  // namespace

std::optional<Warning> numberOutsideColumns(std::string_view image, long card,
                                            const Keyword& keyword, double read) {
  // The columns the fields were read from: a comma ends a field early.
  CardFields::Span region{0, 0};
  if (keyword.reads.count > 0) {
    const CardFields fields(image, card);
    region = {fields.span(keyword.reads, 0).begin,
              fields.span(keyword.reads, keyword.reads.count - 1).end};
  }
  // The numbers after the keyword: the first that does not lie within
  // those columns.
  std::size_t begin = keyword.text.size();
  while (begin < image.size()) {
    if (!numberCharacter(image[begin])) {
      ++begin;
      continue;
    }
    std::size_t end = begin;
    while (end < image.size() && numberCharacter(image[end])) ++end;
    if ((begin < region.begin || end > region.end) && hasDigit(image.substr(begin, end - begin))) {
      return Warning{Warning::Kind::ValueOutsideColumns, card, static_cast<int>(begin) + 1,
                     static_cast<int>(end),
                     outsideMessage(image, keyword, read, region, begin, end)};
    }
    begin = end;
  }
  return std::nullopt;
}

std::optional<Warning> blanksInField(std::string_view image, long card, CardFields::Span field) {
  std::string_view text = image.substr(field.begin, field.end - field.begin);
  if (text.ends_with(',')) text.remove_suffix(1);
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  if (text.find(' ') == std::string_view::npos) return std::nullopt;
  std::string joined;
  std::copy_if(text.begin(), text.end(), std::back_inserter(joined),
               [](char c) { return c != ' '; });
  return Warning{Warning::Kind::BlanksInNumber, card, static_cast<int>(field.begin) + 1,
                 static_cast<int>(field.end),
                 "the blanks inside \"" + printableText(text) + "\" are ignored: it reads as " +
                     printableText(joined) + "; a field has " +
                     std::to_string(field.end - field.begin) +
                     " columns, each number goes in a field of its own"};
}

Warnings fieldWarnings(std::string_view image, long card, const CardFields& fields,
                       FieldColumns columns, std::size_t readFields) {
  std::vector<CardFields::Span> spans;
  std::vector<std::optional<Warning>> blanks;
  for (std::size_t i = 0; i < readFields; ++i) {
    spans.push_back(fields.span(columns, i));
    blanks.push_back(blanksInField(image, card, spans.back()));
  }
  Warnings warnings;
  for (std::size_t i = 0; i < readFields; ++i) {
    if (blanks[i]) {
      warnings.push_back(std::move(*blanks[i]));
      continue;
    }
    const std::size_t edge = spans[i].end;
    if (i + 1 == readFields || blanks[i + 1] || !numberAcross(image, edge)) continue;
    // The number around the edge, up to the blanks or commas that end it.
    std::size_t first = edge;
    while (first > 0 && !endsWord(image[first - 1])) --first;
    std::size_t last = edge;
    while (last < image.size() && !endsWord(image[last])) ++last;
    if (!hasDigit(image.substr(first, last - first))) continue;
    warnings.push_back(acrossEdges(image, card, first, last, spans, columns.width));
    // The fields it reaches are warned about with it.
    while (i + 1 < readFields && spans[i + 1].begin < last && !blanks[i + 1]) ++i;
  }
  return warnings;
}

Warning pastColumn80(long card, const CardReader::BeyondCard& beyond) {
  std::string shown = printableField(beyond.text);
  if (beyond.last - beyond.first + 1 > beyond.text.size()) shown += "...";
  return {Warning::Kind::PastColumn80, card, static_cast<int>(beyond.first),
          static_cast<int>(beyond.last),
          "text past column " + std::to_string(kCardColumns) + " is not read: \"" + shown + "\""};
}

Warning givenAgain(long card, const Keyword& keyword, long earlier) {
  const std::string_view name = keywordName(keyword.kind);
  return {Warning::Kind::GivenAgain, card, 1, static_cast<int>(name.size()),
          "another " + std::string(name) + " card: it overrides the one on card " +
              std::to_string(earlier)};
}

Warning listGivenTwice(long card, CardFields::Span read, std::size_t list, long earlier,
                       std::string_view earlierWhat) {
  return {Warning::Kind::ListGivenTwice, card, static_cast<int>(read.begin) + 1,
          static_cast<int>(read.end),
          "list " + std::to_string(list) + " is given by two cards: this one overrides " +
              cardPlaceText({.card = earlier, .kind = earlierWhat})};
}

Warning afterDeckEnd(std::string_view image, long card, long lastCard, long more,
                     bool moreUncounted) {
  const auto columns = textColumns(image).value_or(std::pair{1, 1});
  std::string message = "the deck ended with the supplemental-offsets card (card " +
                        std::to_string(lastCard) + "): this card";
  if (moreUncounted)
    message += " and at least " + std::to_string(more) + " more after it are not read";
  else if (more > 0)
    message += " and " + std::to_string(more) + " more after it are not read";
  else
    message += " is not read";
  message += "; cards that should count go before the list-size cards";
  return {Warning::Kind::AfterDeckEnd, card, columns.first, columns.second, message};
}

}  // namespace sizgen
