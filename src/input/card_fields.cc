#include "input/card_fields.h"

#include <array>
#include <charconv>

#include "base/error.h"
#include "base/real_arithmetic.h"
#include "fortran/formatted_io.h"
#include "input/keywords.h"

namespace sizgen {

void CardFields::readIntegers(std::string_view format, FieldColumns columns,
                              std::span<std::int32_t> values) const {
  if (auto failed = fio::readRecord(image_, format, values)) {
    fail(columns, *failed, "cannot read \"" + fieldText(columns, *failed) + "\" as an integer");
  }
}

void CardFields::readReals(std::string_view format, FieldColumns columns,
                           std::span<double> values) const {
  if (auto failed = fio::readRecord(image_, format, values)) {
    fail(columns, *failed, "cannot read \"" + fieldText(columns, *failed) + "\" as a real");
  }
}

std::int32_t CardFields::truncate(double value, FieldColumns columns, std::size_t index) const {
  if (auto integer = truncateToInteger(value)) return *integer;
  std::array<char, 64> text{};
  auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  fail(columns, index, std::string(text.data(), result.ptr) + " is out of the 32-bit range");
}

std::string CardFields::fieldText(FieldColumns columns, std::size_t index) const {
  std::size_t first =
      static_cast<std::size_t>(columns.first - 1) + index * static_cast<std::size_t>(columns.width);
  if (first >= image_.size()) return {};
  return printableField(image_.substr(first, static_cast<std::size_t>(columns.width)));
}

void CardFields::fail(FieldColumns columns, std::size_t index, const std::string& what) const {
  int first = columns.first + static_cast<int>(index) * columns.width;
  int last = first + columns.width - 1;
  throw Error("card " + std::to_string(cardNumber_) + ", columns " + std::to_string(first) + "-" +
              std::to_string(last) + ": " + what + hint_);
}

std::string keywordHint(std::string_view card) {
  for (const Keyword& keyword : kKeywords) {
    if (keyword.kind == CardKind::Comment) continue;
    std::string_view word = keyword.text.substr(0, keyword.text.find_last_not_of(' ') + 1);
    if (card.size() < word.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < word.size() && same; ++i) {
      char c = card[i];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      same = c == word[i];
    }
    if (same) return " (did you mean \"" + std::string(word) + "\"?)";
  }
  return {};
}

std::string printableField(std::string_view text) {
  std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  text = text.substr(begin, text.find_last_not_of(' ') - begin + 1);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
      shown += c;
    } else {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0xf];
    }
  }
  return shown;
}

}  // namespace sizgen
