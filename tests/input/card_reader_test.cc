#include "input/card_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace sizgen {
namespace {

// The cards a deck reads as, each without its blank padding.
std::vector<std::string> cardsOf(std::string deck) {
  std::FILE* in = fmemopen(deck.data(), deck.size(), "r");
  CardReader reader(in);
  std::vector<std::string> cards;
  std::string image;
  while (reader.next(image)) {
    EXPECT_EQ(image.size(), 80u);
    EXPECT_EQ(reader.lineNumber(), static_cast<long>(cards.size() + 1));
    cards.push_back(image.substr(0, image.find_last_not_of(' ') + 1));
  }
  std::fclose(in);
  return cards;
}

using Cards = std::vector<std::string>;

TEST(CardReader, LineEnds) {
  EXPECT_EQ(cardsOf("A\nB\n"), (Cards{"A", "B"}));
  // The last line counts even without its line feed.
  EXPECT_EQ(cardsOf("A\nB"), (Cards{"A", "B"}));
  EXPECT_EQ(cardsOf("ROUND UP    4096"), (Cards{"ROUND UP    4096"}));
  // Empty lines are cards; an empty input has none.
  EXPECT_EQ(cardsOf("\n\n"), (Cards{"", ""}));
  EXPECT_EQ(cardsOf("\n"), (Cards{""}));
  EXPECT_EQ(cardsOf("x"), (Cards{"x"}));
}

TEST(CardReader, CarriageReturns) {
  // CR LF is a line end; any other CR is a character of the card.
  EXPECT_EQ(cardsOf("A\r\nB\r\n"), (Cards{"A", "B"}));
  EXPECT_EQ(cardsOf("A\rB\n"), (Cards{"A\rB"}));
  EXPECT_EQ(cardsOf("A\r\r\n"), (Cards{"A\r"}));
  EXPECT_EQ(cardsOf("A\r"), (Cards{"A\r"}));
  EXPECT_EQ(cardsOf("\r"), (Cards{"\r"}));
  EXPECT_EQ(cardsOf("A\r\nB\r"), (Cards{"A", "B\r"}));
}

TEST(CardReader, KeepsEightyColumns) {
  std::string longLine(79, '1');
  longLine += "2345";  // columns 80 to 83
  auto cards = cardsOf(longLine + "\nnext\n");
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(cards[0], std::string(79, '1') + "2");
  EXPECT_EQ(cards[1], "next");
  // A carriage return in column 81 is beyond the card either way.
  EXPECT_EQ(cardsOf(std::string(80, 'x') + "\r\n"), (Cards{std::string(80, 'x')}));
  // Bytes that are not text are characters like any others.
  EXPECT_EQ(cardsOf(std::string("a\0b\xff\n", 5)), (Cards{std::string("a\0b\xff", 4)}));
}

TEST(CardReader, LongLineDoesNotGrowTheImage) {
  std::string deck(3'000'000, 'z');
  deck += "\nlast";
  auto cards = cardsOf(deck);
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(cards[0], std::string(80, 'z'));
  EXPECT_EQ(cards[1], "last");
}

}  // namespace
}  // namespace sizgen
