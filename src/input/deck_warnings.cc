#include "input/deck_warnings.h"

#include <algorithm>
#include <cctype>
#include <string>

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

}  // namespace

std::optional<Warning> valueOutsideColumns(std::string_view image, long card,
                                           const Keyword& keyword, bool readZero) {
  if (!readZero) return std::nullopt;
  const auto valueFirst = static_cast<std::size_t>(kValueField.first - 1);
  const std::size_t valueEnd = valueFirst + static_cast<std::size_t>(kValueField.width);
  // The words after the keyword: the first with a digit that does not lie
  // within the value columns.
  std::size_t begin = keyword.text.size();
  while (begin < image.size()) {
    begin = image.find_first_not_of(' ', begin);
    if (begin == std::string_view::npos) break;
    std::size_t end = std::min(image.find(' ', begin), image.size());
    const std::string_view word = image.substr(begin, end - begin);
    if ((begin < valueFirst || end > valueEnd) && hasDigit(word)) {
      std::string message = std::string(keywordName(keyword.kind)) + " reads 0 from columns " +
                            std::to_string(kValueField.first) + "-" + std::to_string(valueEnd) +
                            ", but \"" + printableField(word) +
                            "\" stands outside them: the value goes in columns " +
                            std::to_string(kValueField.first) + "-" + std::to_string(valueEnd);
      if (word.size() <= static_cast<std::size_t>(kValueField.width)) {
        std::string meant(keyword.text);
        meant.resize(valueEnd - word.size(), ' ');
        message += " (\"" + printableText(meant) + printableText(word) + "\")";
      }
      return Warning{Warning::Kind::ValueOutsideColumns, card, static_cast<int>(begin) + 1,
                     static_cast<int>(end), message};
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
