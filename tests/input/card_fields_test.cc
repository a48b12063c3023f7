#include "input/card_fields.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::errorOf;

// The card image of `text`: padded with blanks to 80 columns.
std::string image(std::string_view text) {
  std::string card(text);
  card.resize(80, ' ');
  return card;
}

TEST(PrintableField, TrimsBlanksAndShowsOtherBytesInHex) {
  EXPECT_EQ(printableField("   12x   "), "12x");
  EXPECT_EQ(printableField("1 2"), "1 2");
  EXPECT_EQ(printableField("        "), "");
  EXPECT_EQ(printableField(""), "");
  EXPECT_EQ(printableField(std::string_view("  1\0", 4)), "1\\x00");
  EXPECT_EQ(printableField("\t1 "), "\\x091");
  EXPECT_EQ(printableField("1\r"), "1\\x0d");
  EXPECT_EQ(printableField("\x7f\xff\x80\x1f"), "\\x7f\\xff\\x80\\x1f");
  // Every printable character stands as it is, the backslash included.
  EXPECT_EQ(printableField("~!\"\\"), "~!\"\\");
}

TEST(ListCardHint, NamesTheCardAMistakenCardLooksLike) {
  EXPECT_EQ(listCardHint(image("default      1.5")), " (did you mean \"DEFAULT\"?)");
  EXPECT_EQ(listCardHint(image("Scale 2.0")), " (did you mean \"SCALE\"?)");
  EXPECT_EQ(listCardHint(image("SCALE2.0")), " (did you mean \"SCALE\"?)");
  EXPECT_EQ(listCardHint(image("FIXED1 1")), " (did you mean \"FIXED\"?)");
  EXPECT_EQ(listCardHint(image("cards 500")), " (did you mean \"CARDS\"?)");
  EXPECT_EQ(listCardHint(image("nbhdsw 7.0")), " (did you mean \"NBHDSW\"?)");
  EXPECT_EQ(listCardHint(image("ram tables")), " (did you mean \"RAM TABLES\"?)");
  EXPECT_EQ(listCardHint(image("Round Up 4096")), " (did you mean \"ROUND UP\"?)");
  // Blanks belong to the word.
  EXPECT_EQ(listCardHint(image("ram  tables")), "");
  EXPECT_EQ(listCardHint(image("roundup 4096")), "");
  EXPECT_EQ(listCardHint(image("RAM TABLE")), " (did you mean \"RAM TABLES\"?)");
  EXPECT_EQ(listCardHint(image("c comment")), " (did you mean \"C \" for a comment?)");
  EXPECT_EQ(listCardHint(image("c")), " (did you mean \"C \" for a comment?)");
  EXPECT_EQ(listCardHint(image("blank")), " (did you mean \"BLANK\"?)");
  // Moved right by leading blanks.
  EXPECT_EQ(listCardHint(image(" DEFAULT  2.0")),
            " (did you mean \"DEFAULT\", starting in column 1?)");
  EXPECT_EQ(listCardHint(image("   default 1.5")),
            " (did you mean \"DEFAULT\", starting in column 1?)");
  EXPECT_EQ(listCardHint(image("  C comment")),
            " (did you mean \"C \" for a comment, starting in column 1?)");
  // Only a card whose first word is the keyword.
  EXPECT_EQ(listCardHint(image("defaul 1.5")), "");
  EXPECT_EQ(listCardHint(image("      12x")), "");
  EXPECT_EQ(listCardHint(image("comment")), "");
  EXPECT_EQ(listCardHint(image("blanks")), "");
  EXPECT_EQ(listCardHint(image("")), "");
  // A byte-order mark before the first card, whatever follows it.
  EXPECT_EQ(listCardHint(image("\xef\xbb\xbf"
                               "DEFAULT  2.0")),
            " (the card begins with a UTF-8 byte-order mark, which some editors add: save the "
            "deck as ASCII or as UTF-8 without BOM)");
  EXPECT_EQ(listCardHint(image("\xef\xbb"
                               "DEFAULT  2.0")),
            "");
}

TEST(CardFields, ReadsIntegers) {
  std::array<std::int32_t, 10> values{};
  CardFields(image("       7"
                   "   1 2  "
                   "      -7"
                   "      +7"
                   "       0"),
             1)
      .readIntegers(kListFields, values);
  EXPECT_EQ(values, (std::array<std::int32_t, 10>{7, 12, -7, 7, 0, 0, 0, 0, 0, 0}));

  std::array<std::int32_t, 30> flags{};
  CardFields(image("FIXED      1 2" + std::string(54, ' ') + "-1"), 1)
      .readIntegers(kFixedFlags, flags);
  EXPECT_EQ(flags[0], 1);
  EXPECT_EQ(flags[1], 2);
  EXPECT_EQ(flags[28], 0);
  EXPECT_EQ(flags[29], -1);
}

TEST(CardFields, ReadsReals) {
  std::array<double, 10> values{};
  CardFields(image("   2.5E3"
                   "      15"
                   "     1.5"
                   "    -.25"
                   "  1.5E+2"
                   "   25E-1"),
             1)
      .readReals(kListFields, values);
  EXPECT_EQ(values, (std::array<double, 10>{2500.0, 15.0, 1.5, -0.25, 150.0, 2.5, 0, 0, 0, 0}));

  std::array<double, 1> value{};
  CardFields(image("DEFAULTx   0.125"), 1).readReals(kValueField, value);
  EXPECT_EQ(value[0], 0.125);
}

TEST(CardFields, UnreadableFieldNamesCardColumnsAndText) {
  std::array<std::int32_t, 10> integers{};
  std::array<double, 10> reals{};
  std::array<double, 1> real{};
  std::array<std::int32_t, 1> integer{};
  std::array<std::int32_t, 30> flags{};

  EXPECT_EQ(errorOf([&] {
              CardFields(image("      10      20     12x"), 3).readIntegers(kListFields, integers);
            }),
            "card 3, columns 17-24: cannot read \"12x\" as an integer");
  EXPECT_EQ(errorOf([&] {
              CardFields(image(std::string(72, ' ') + "  junk"), 12).readReals(kListFields, reals);
            }),
            "card 12, columns 73-80: cannot read \"junk\" as a real");
  EXPECT_EQ(errorOf([&] { CardFields(image("DEFAULT     1.5x"), 2).readReals(kValueField, real); }),
            "card 2, columns 9-16: cannot read \"1.5x\" as a real");
  EXPECT_EQ(
      errorOf([&] { CardFields(image("CARDS      5OO"), 1).readIntegers(kValueField, integer); }),
      "card 1, columns 9-16: cannot read \"5OO\" as an integer");
  EXPECT_EQ(errorOf([&] { CardFields(image("FIXED     x1"), 1).readIntegers(kFixedFlags, flags); }),
            "card 1, columns 11-12: cannot read \"x1\" as an integer");
  EXPECT_EQ(
      errorOf([&] {
        CardFields(image("FIXED" + std::string(64, ' ') + "q"), 1).readIntegers(kFixedFlags, flags);
      }),
      "card 1, columns 69-70: cannot read \"q\" as an integer");
  // Bytes that are not printable are shown in hex.
  EXPECT_EQ(
      errorOf([&] {
        CardFields(image(std::string("       1   7\0", 13)), 5).readIntegers(kListFields, integers);
      }),
      "card 5, columns 9-16: cannot read \"7\\x00\" as an integer");
  EXPECT_EQ(
      errorOf([&] { CardFields(image("  \t1"), 1).readIntegers(kListFields, integers); }),
      "card 1, columns 1-8: cannot read \"\\x091\" as an integer (cards use blanks, not tabs: a "
      "tab is one column)");
  // The hint ends the message.
  EXPECT_EQ(errorOf([&] {
              CardFields(image("cards        500"), 4, " (did you mean \"CARDS\"?)")
                  .readIntegers(kListFields, integers);
            }),
            "card 4, columns 1-8: cannot read \"cards\" as an integer (did you mean \"CARDS\"?)");
}

// The comma cases a user meets most are in mistakes_test.cc; these are the
// edges of the rule.
TEST(CardFields, CommaEndsAFieldAndTheNextOneStartsAfterIt) {
  struct Case {
    std::string card;
    bool reals;
    FieldColumns columns;
    std::string message;
  };
  const std::vector<Case> cases = {
      // A comma as the last character of its field moves nothing.
      {"1234567,       x", false, kListFields,
       "card 1, columns 9-16: cannot read \"x\" as an integer"},
      // A blank field takes its eight columns; the comma is the next field.
      {"        ,      x", false, kListFields,
       "card 1, columns 10-17: cannot read \"x\" as an integer"},
      {",,,,x", false, kListFields, "card 1, columns 5-12: cannot read \"x\" as an integer"},
      {"1 , x", false, kListFields, "card 1, columns 4-11: cannot read \"x\" as an integer"},
      // The field that fails ends at its own comma.
      {"1,2,x,4", false, kListFields, "card 1, columns 5-6: cannot read \"x,\" as an integer"},
      {"2.5E,3", true, kListFields, "card 1, columns 1-5: cannot read \"2.5E,\" as a real"},
      {"FIXED     ,,,x", false, kFixedFlags,
       "card 1, columns 14-15: cannot read \"x\" as an integer"},
      // The columns skipped before the value are passed over, comma or not.
      {"DEFAULT,   x", true, kValueField, "card 1, columns 9-16: cannot read \"x\" as a real"},
      {"CARDS   x,1", false, kValueField, "card 1, columns 9-10: cannot read \"x,\" as an integer"},
  };
  for (const Case& c : cases) {
    const std::string card = image(c.card);
    CardFields fields(card, 1);
    std::array<std::int32_t, 30> integers{};
    std::array<double, 10> reals{};
    std::string message = errorOf([&] {
      if (c.reals) {
        fields.readReals(c.columns, std::span(reals).first(c.columns.count));
      } else {
        fields.readIntegers(c.columns, std::span(integers).first(c.columns.count));
      }
    });
    EXPECT_EQ(message, c.message) << c.card;
  }

  // The values of a shifted card: the reading itself is libf2c's.
  std::array<std::int32_t, 10> values{};
  const std::string shifted = image("1,5     12345678");
  CardFields(shifted, 1).readIntegers(kListFields, values);
  EXPECT_EQ(values, (std::array<std::int32_t, 10>{1, 512, 345678, 0, 0, 0, 0, 0, 0, 0}));

  // No field runs past the card: one that would is cut at its end.
  const std::string shortCard = "12345,789";
  EXPECT_EQ(CardFields(shortCard, 1).span({1, 4, 10}, 2).begin, 6u);
  EXPECT_EQ(CardFields(shortCard, 1).span({1, 4, 10}, 2).end, 9u);
  EXPECT_EQ(CardFields(shortCard, 1).span({1, 4, 10}, 1).begin, 4u);
  EXPECT_EQ(CardFields(shortCard, 1).span({1, 4, 10}, 1).end, 6u);
  EXPECT_EQ(CardFields(shortCard, 1).span({1, 4, 10}, 5).begin, 9u);
  EXPECT_EQ(CardFields(shortCard, 1).span({1, 4, 10}, 5).end, 9u);
}

TEST(CardFields, TruncationMustFitThirtyTwoBits) {
  // CardFields keeps a view of the image: the image must outlive it.
  const std::string blank = image("");
  CardFields fields(blank, 4);
  EXPECT_EQ(fields.truncate(2147483647.9, kListFields, 0), 2147483647);
  EXPECT_EQ(fields.truncate(-2147483648.9, kListFields, 0), -2147483648);
  EXPECT_EQ(fields.truncate(-0.9, kListFields, 0), 0);
  EXPECT_EQ(fields.truncate(2.99, kListFields, 0), 2);
  EXPECT_EQ(fields.truncate(-2.99, kListFields, 0), -2);

  EXPECT_EQ(errorOf([&] { fields.truncate(2147483648.0, kListFields, 2); }),
            "card 4, columns 17-24: 2147483648 is out of the 32-bit range");
  EXPECT_EQ(errorOf([&] { fields.truncate(-2147483649.0, kListFields, 0); }),
            "card 4, columns 1-8: -2147483649 is out of the 32-bit range");
  EXPECT_EQ(errorOf([&] { fields.truncate(3e10, kListFields, 9); }),
            "card 4, columns 73-80: 3e+10 is out of the 32-bit range");
  EXPECT_EQ(
      errorOf([&] { fields.truncate(std::numeric_limits<double>::infinity(), kListFields, 7); }),
      "card 4, columns 57-64: inf is out of the 32-bit range");
  EXPECT_EQ(
      errorOf([&] { fields.truncate(-std::numeric_limits<double>::infinity(), kListFields, 0); }),
      "card 4, columns 1-8: -inf is out of the 32-bit range");

  const std::string misspelt = image("default");
  CardFields hinted(misspelt, 1, " (did you mean \"DEFAULT\"?)");
  EXPECT_EQ(errorOf([&] { hinted.truncate(3e10, kListFields, 0); }),
            "card 1, columns 1-8: 3e+10 is out of the 32-bit range (did you mean \"DEFAULT\"?)");
}

}  // namespace
}  // namespace sizgen
