#pragma once

// A place on a card, worded one way wherever a message, a warning, an
// explanation or --diff names it: the card, the columns, then what the
// card is and the field, "card 6, columns 33-40 (2nd list-size card,
// field 5)".  A part that is not known is left out: "card 3, columns
// 9-16", "card 5 (CARDS)", "card 4".

#include <string>

#include "base/card_place.h"

namespace sizgen {

// "column 9", "columns 9-16".
inline std::string columnsText(int first, int last) {
  if (first == last) return "column " + std::to_string(first);
  return "columns " + std::to_string(first) + "-" + std::to_string(last);
}

inline std::string cardPlaceText(const CardPlace& place) {
  std::string text = "card " + std::to_string(place.card);
  if (place.firstColumn > 0) {
    text += ", ";
    text += place.columnsAsRange ? "columns " + std::to_string(place.firstColumn) + "-" +
                                       std::to_string(place.lastColumn)
                                 : columnsText(place.firstColumn, place.lastColumn);
  }
  std::string about(place.kind);
  if (place.field > 0)
    about += (about.empty() ? "" : ", ") + ("field " + std::to_string(place.field));
  if (!about.empty()) text += " (" + about + ")";
  return text;
}

}  // namespace sizgen
