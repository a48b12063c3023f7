#include "model/card_place.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "input/card_fields.h"
#include "input/field_columns.h"
#include "model/deck_settings.h"
#include "model/warning.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::errorOf;

// Each part of a place in its one position, a part not known left out.
TEST(CardPlaceText, CardThenColumnsThenKindAndField) {
  struct Case {
    CardPlace place;
    const char* text;
  };
  const std::array<Case, 9> cases = {{
      {{.card = 4}, "card 4"},
      {{.card = 3, .firstColumn = 9, .lastColumn = 16}, "card 3, columns 9-16"},
      {{.card = 3, .firstColumn = 9, .lastColumn = 9}, "card 3, column 9"},
      {{.card = 3, .firstColumn = 9, .lastColumn = 9, .columnsAsRange = true},
       "card 3, columns 9-9"},
      {{.card = 5, .kind = "CARDS"}, "card 5 (CARDS)"},
      {{.card = 2, .firstColumn = 9, .lastColumn = 16, .kind = "DEFAULT"},
       "card 2, columns 9-16 (DEFAULT)"},
      {{.card = 6, .firstColumn = 33, .lastColumn = 40, .kind = "2nd list-size card", .field = 5},
       "card 6, columns 33-40 (2nd list-size card, field 5)"},
      {{.card = 2, .firstColumn = 17, .lastColumn = 18, .field = 4},
       "card 2, columns 17-18 (field 4)"},
      {{.card = 1, .kind = "supplemental-offsets card", .field = 2},
       "card 1 (supplemental-offsets card, field 2)"},
  }};
  for (const Case& c : cases) EXPECT_EQ(cardPlaceText(c.place), c.text);
}

// The error of a field and the warning about the same columns word the
// place as they always have: a card error names one column as a range.
TEST(CardPlaceText, ErrorsAndWarningsKeepTheirWords) {
  std::array<double, 1> real{};
  // The card ends in column 9: the field is that one column.
  EXPECT_EQ(errorOf([&] { CardFields("DEFAULT X", 7).readReals(kValueField, real); }),
            "card 7, columns 9-9: cannot read \"X\" as a real");
  const Warning warning{Warning::Kind::PastColumn80, 7, 9, 9, "what"};
  EXPECT_EQ(warningText(warning), "card 7, column 9: what");
  const Warning wide{Warning::Kind::PastColumn80, 7, 81, 90, "what"};
  EXPECT_EQ(warningText(wide), "card 7, columns 81-90: what");
  const Warning unplaced{Warning::Kind::NegativeSize, 0, 0, 0, "what"};
  EXPECT_EQ(warningText(unplaced), "what");
}

// A recorded value's place carries every part of its origin.
TEST(CardPlaceText, PlaceOfAValueRead) {
  const CardOrigin origin{.card = 9,
                          .what = "supplemental-offsets card",
                          .field = 1,
                          .firstColumn = 1,
                          .lastColumn = 8};
  EXPECT_EQ(cardPlaceText(placeOf(origin)),
            "card 9, columns 1-8 (supplemental-offsets card, field 1)");
  const CardOrigin keyword{.card = 4, .what = "RAM TABLES"};
  EXPECT_EQ(cardPlaceText(placeOf(keyword)), "card 4 (RAM TABLES)");
}

}  // namespace
}  // namespace sizgen
