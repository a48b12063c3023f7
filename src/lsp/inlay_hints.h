#pragma once

// The value a field reads where it reads otherwise than it looks: blanks
// inside the number (ignored), a comma that moved the field, an exponent
// (E-form, or a sign alone: "1.5+2" is 150), a real on a list-size card
// truncated to an integer.

#include <string>
#include <vector>

#include "model/deck_cards.h"

namespace sizgen::lsp {

struct FieldHint {
  long card = 0;
  int column = 0;     // the hint goes after this column: the field's last
  std::string label;  // "= 1200"
  friend bool operator==(const FieldHint&, const FieldHint&) = default;
};

std::vector<FieldHint> fieldHints(const DeckReading& reading);

}  // namespace sizgen::lsp
