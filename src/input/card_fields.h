#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/printable_text.h"
#include "input/field_columns.h"

namespace sizgen {

// Reads the fields of one card image with libf2c's edit descriptors and
// turns a field that cannot be read into a sizgen::Error that names the
// card, the columns the field really covered and its text.
class CardFields {
 public:
  // `hint` is appended to every message about this card (empty: none),
  // unless the field that fails holds a tab or a {, which get hints of
  // their own.
  CardFields(std::string_view image, long cardNumber, std::string hint = {})
      : image_(image), cardNumber_(cardNumber), hint_(std::move(hint)) {}

  // READ (card, format) values, the FORMAT made from `columns`; at most
  // columns.count values.
  void readIntegers(FieldColumns columns, std::span<std::int32_t> values) const;
  void readReals(FieldColumns columns, std::span<double> values) const;

  // INT(value) for the real read into field `index`: truncation toward
  // zero, an error when the result does not fit 32 bits.
  std::int32_t truncate(double value, FieldColumns columns, std::size_t index) const;

  // The characters field `index` (from 0) was read from: [begin, end) as
  // offsets into the card image.
  struct Span {
    std::size_t begin;
    std::size_t end;
  };
  Span span(FieldColumns columns, std::size_t index) const;
  // The first `count` fields' spans, in order.
  std::vector<Span> spans(FieldColumns columns, std::size_t count) const;

 private:
  std::string fieldText(FieldColumns columns, std::size_t index) const;
  // The field that begins at offset `begin`: `width` columns, or fewer
  // when a comma among them ends it.
  Span fieldFrom(std::size_t begin, std::size_t width) const;
  [[noreturn]] void fail(FieldColumns columns, std::size_t index, const std::string& what) const;

  std::string_view image_;
  long cardNumber_;
  std::string hint_;
};

// The hint for a card that was read as a list-size card although it looks
// meant as another: a misspelt keyword ("default", "Scale 2.0", "FIXED1 1",
// "RAM TABLE"), one moved right by leading blanks (" DEFAULT  2.0"), "c "
// or "blank", or a first card preceded by a byte-order mark.  Returns
// ` (did you mean "DEFAULT"?)` or a short reason, or empty.
std::string listCardHint(std::string_view card);

// `text` without its surrounding blanks, each byte outside printable ASCII
// written as \xHH.
std::string printableField(std::string_view text);

}  // namespace sizgen
