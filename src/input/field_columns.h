#pragma once

#include <cstddef>

namespace sizgen {

// Where the fields of a READ lie on a card without commas: field i (from
// 0 to count - 1) occupies columns first + i * width to first + (i + 1) *
// width - 1.  A comma ends a field early and moves the fields after it
// (see CardFields::span).  The FORMAT of the READ follows from the
// columns: (8X,I8) for the value field as integer, (8X,E8.0) as real.
struct FieldColumns {
  int first;
  int width;
  std::size_t count;

  // The last column the fields cover without commas (first - 1: none).
  constexpr int last() const { return first + width * static_cast<int>(count) - 1; }
};

// The layouts of a deck's cards.
// The value of DEFAULT, SCALE, CARDS, NBHDSW and ROUND UP cards.
inline constexpr FieldColumns kValueField{9, 8, 1};
// The ten fields of a list-size card.
inline constexpr FieldColumns kListFields{1, 8, 10};
// The thirty flags of FIXED.
inline constexpr FieldColumns kFixedFlags{11, 2, 30};
// What a card reads that reads nothing but its keyword.
inline constexpr FieldColumns kNoFields{1, 0, 0};

}  // namespace sizgen
