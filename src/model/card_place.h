#pragma once

// A place on a card, worded one way wherever a message, a warning, an
// explanation or --diff names it: the card, the columns, then what the
// card is and the field, "card 6, columns 33-40 (2nd list-size card,
// field 5)".  A part that is not known is left out: "card 3, columns
// 9-16", "card 5 (CARDS)", "card 4".

#include <string>
#include <string_view>

namespace sizgen {

struct CardPlace {
  long card = 0;        // the card's line number in the deck
  int firstColumn = 0;  // the columns; 0: the whole card
  int lastColumn = 0;
  std::string_view kind{};  // what the card is: "2nd list-size card", "SCALE"; empty: not said
  int field = 0;            // the field of the card, from 1; 0: not said
  // A card error names the columns a field was read from as a range even
  // when there is one ("columns 9-9"); every other text says "column 9".
  bool columnsAsRange = false;
};

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
