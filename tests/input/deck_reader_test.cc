#include "input/deck_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

#include "base/error.h"
#include "base/sink.h"
#include "input/card_reader.h"
#include "model/deck_settings.h"
#include "support/cards.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::echo;
using testing::fields;
using testing::kCommentEcho;
using testing::kFirstEcho;
using testing::kFourthEcho;
using testing::kLargestQuantumEcho;
using testing::kOffsetsEcho;
using testing::kSecondEcho;
using testing::kThirdEcho;
using testing::kThreeEmptyCards;
using testing::threeEmptyEchoes;

// What reading one deck left behind.
struct DeckRun {
  DeckSettings settings;
  FortranArray<Recorded<std::int32_t>, kCardLists> LSTNEW;
  std::string listing;  // the echo lines
  std::string error;    // the message of the sizgen::Error, empty when the deck was read
};

// Reads `deck` with the deck reader alone, the listing held in memory.
DeckRun readDeckText(std::string deck) {
  DeckRun run;
  std::FILE* in = testing::openForReading(deck);
  if (in == nullptr) {
    ADD_FAILURE() << "cannot open the deck";
    return run;
  }
  MemorySink listing;
  CardReader cards(in);
  try {
    run.settings = readDeck(cards, listing);
    run.LSTNEW = run.settings.LSTNEW;
  } catch (const Error& error) {
    run.error = error.what();
  }
  run.listing = listing.text();
  std::fclose(in);
  return run;
}

TEST(ClassifyCard, KeywordsAreMatchedExactlyInTheirLeadingColumns) {
  EXPECT_EQ(classifyCard(std::string(80, ' ')), CardKind::ListSize);
  EXPECT_EQ(classifyCard(""), CardKind::ListSize);
  // "C" alone: column 2 of the card is blank.
  EXPECT_EQ(classifyCard("C" + std::string(79, ' ')), CardKind::Comment);
  EXPECT_EQ(classifyCard("C comment"), CardKind::Comment);
  EXPECT_EQ(classifyCard("CARDS        500"), CardKind::CardLimit);
  EXPECT_EQ(classifyCard("CX"), CardKind::ListSize);
  // Column 8 of a DEFAULT card is free.
  EXPECT_EQ(classifyCard("DEFAULT      1.5"), CardKind::DefaultMultiplier);
  EXPECT_EQ(classifyCard("DEFAULTx     1.5"), CardKind::DefaultMultiplier);
  EXPECT_EQ(classifyCard("DEFAULTS     1.5"), CardKind::DefaultMultiplier);
  EXPECT_EQ(classifyCard("SCALE        2.0"), CardKind::FinalMultiplier);
  EXPECT_EQ(classifyCard("SCALE2       2.0"), CardKind::ListSize);
  EXPECT_EQ(classifyCard("SCALES       2.0"), CardKind::ListSize);
  EXPECT_EQ(classifyCard("FIXED      1 1"), CardKind::FixedLists);
  EXPECT_EQ(classifyCard("FIXED1 1"), CardKind::ListSize);
  EXPECT_EQ(classifyCard("FIXED12"), CardKind::ListSize);
  EXPECT_EQ(classifyCard("NBHDSW       7.0"), CardKind::List6Scale);
  EXPECT_EQ(classifyCard("NBHDSW7.0"), CardKind::List6Scale);
  EXPECT_EQ(classifyCard("RAM TABLES"), CardKind::RamTables);
  EXPECT_EQ(classifyCard("RAM TABLESX"), CardKind::RamTables);
  EXPECT_EQ(classifyCard("RAM TABLE "), CardKind::ListSize);
  EXPECT_EQ(classifyCard("RAM  TABLES"), CardKind::ListSize);
  EXPECT_EQ(classifyCard("ROUND UP    4096"), CardKind::Quantum);
  EXPECT_EQ(classifyCard("ROUND  UP"), CardKind::ListSize);
  // A keyword must start in column 1 and is case-sensitive.
  EXPECT_EQ(classifyCard(" DEFAULT     1.5"), CardKind::ListSize);
  EXPECT_EQ(classifyCard("c comment"), CardKind::ListSize);
  EXPECT_EQ(classifyCard("default      1.5"), CardKind::ListSize);
  EXPECT_EQ(classifyCard("Scale        2.0"), CardKind::ListSize);
  EXPECT_EQ(classifyCard("cards        500"), CardKind::ListSize);
  EXPECT_EQ(classifyCard("ram tables"), CardKind::ListSize);
  EXPECT_EQ(classifyCard("round up    4096"), CardKind::ListSize);
  EXPECT_EQ(classifyCard("BLANK "), CardKind::ListSize);
}

TEST(DeckReader, EmptyDeckKeepsEveryInitialValue) {
  DeckRun run = readDeckText("");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.listing, "");
  EXPECT_EQ(run.settings.DEFMUL, 1.0);
  EXPECT_EQ(run.settings.KSCALE, 0);
  EXPECT_EQ(run.settings.SCALE6, 5.0);
  EXPECT_EQ(run.settings.KRAMTB, 0);
  EXPECT_EQ(run.settings.NQUANT, 0);
  EXPECT_EQ(run.settings.NLISTS, 31);
  for (std::size_t k = 1; k <= 32; ++k) EXPECT_EQ(run.settings.LSTFIX(k), 0) << k;
  for (std::size_t k = 1; k <= 7; ++k) EXPECT_EQ(run.settings.LSTSUP(k), 70000) << k;
  for (std::size_t k = 1; k <= kCardLists; ++k) EXPECT_EQ(run.LSTNEW(k), 0) << k;
}

TEST(DeckReader, CommentCardsAreEchoedAndIgnored) {
  DeckRun run = readDeckText("C\nC 12345678 DEFAULT 2.0\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.listing, echo(kCommentEcho, "C") + echo(kCommentEcho, "C 12345678 DEFAULT 2.0"));
  EXPECT_EQ(run.settings.DEFMUL, 1.0);
  for (std::size_t k = 1; k <= 40; ++k) EXPECT_EQ(run.LSTNEW(k), 0) << k;
}

TEST(DeckReader, DefaultMultiplierSkipsColumnEight) {
  DeckRun run = readDeckText("DEFAULTx     1.5\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.settings.DEFMUL, 1.5);
  EXPECT_EQ(run.listing, echo(" Default multiplier =   1.500  1", "DEFAULTx     1.5"));

  // A later card overwrites an earlier one.
  run = readDeckText("DEFAULT      1.5\nDEFAULT     0.25\n");
  EXPECT_EQ(run.settings.DEFMUL, 0.25);
}

TEST(DeckReader, RoundUpBelowOneMeansTheLargestQuantum) {
  for (std::string_view card : {"ROUND UP", "ROUND UP       0", "ROUND UP      -5"}) {
    DeckRun run = readDeckText(std::string(card) + "\n");
    EXPECT_EQ(run.error, "") << card;
    EXPECT_EQ(run.settings.NQUANT, 4194304) << card;
    EXPECT_EQ(run.listing, echo(kLargestQuantumEcho, card));
  }
  DeckRun run = readDeckText("ROUND UP    4096\n");
  EXPECT_EQ(run.settings.NQUANT, 4096);
  EXPECT_EQ(run.listing, echo(" Quantized bytes =     4096    1", "ROUND UP    4096"));
  run = readDeckText("ROUND UP       1\n");
  EXPECT_EQ(run.settings.NQUANT, 1);
}

TEST(DeckReader, CardLimitSetsListThirtyOneUntilALaterCard) {
  const std::string cards = "CARDS        500";
  DeckRun run = readDeckText(cards + "\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.LSTNEW(31), 500);
  EXPECT_EQ(run.settings.NLISTS, 31);
  EXPECT_EQ(run.listing, echo(" Limit CIDEAL cards =   500    |", cards));

  // A marked fourth card after it wins...
  const std::string fourth = "     700{Optional card for Lists 31, etc.";
  run = readDeckText(cards + "\n" + kThreeEmptyCards + fourth + "\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.LSTNEW(31), 700);
  EXPECT_EQ(run.settings.NLISTS, 32);
  EXPECT_EQ(run.listing, echo(" Limit CIDEAL cards =   500    |", cards) + threeEmptyEchoes() +
                             echo(kFourthEcho, fourth));

  // ... and so does a CARDS card after the fourth card.
  run = readDeckText(kThreeEmptyCards + fourth + "\n" + cards + "\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.LSTNEW(31), 500);
  EXPECT_EQ(run.settings.NLISTS, 32);
}

TEST(DeckReader, FinalMultiplier) {
  DeckRun run = readDeckText("SCALE        2.5\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.settings.KSCALE, 1);
  EXPECT_EQ(run.settings.FINMUL, 2.5);
  EXPECT_EQ(run.listing, echo(" Final multiplier =    2.5000  1", "SCALE        2.5"));

  // A blank value still says that a final multiplier was given.
  run = readDeckText("SCALE\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.settings.KSCALE, 1);
  EXPECT_EQ(run.settings.FINMUL, 0.0);
  EXPECT_EQ(run.listing, echo(" Final multiplier =     .0000  1", "SCALE"));
}

TEST(DeckReader, ListSixScaleAndRamTables) {
  DeckRun run = readDeckText("NBHDSW       2.5\nRAM TABLES\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.settings.SCALE6, 2.5);
  EXPECT_EQ(run.settings.KRAMTB, 1);
  // RAM TABLES is not echoed.
  EXPECT_EQ(run.listing, echo(" List 6 scaled by =      2.50  1", "NBHDSW       2.5"));
}

TEST(DeckReader, FixedFlagsFillListsOneToThirty) {
  // Columns 11-70, two columns a flag: lists 1, 2, 3 and 30.
  std::string card = "FIXED     " + std::string(" 1 7 1") + std::string(52, ' ') + " 1";
  ASSERT_EQ(card.size(), 70u);
  DeckRun run = readDeckText(card + "\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.listing, "");
  EXPECT_EQ(run.settings.LSTFIX(1), 1);
  EXPECT_EQ(run.settings.LSTFIX(2), 7);
  EXPECT_EQ(run.settings.LSTFIX(3), 1);
  for (std::size_t k = 4; k <= 29; ++k) EXPECT_EQ(run.settings.LSTFIX(k), 0) << k;
  EXPECT_EQ(run.settings.LSTFIX(30), 1);
  EXPECT_EQ(run.settings.LSTFIX(31), 0);
  EXPECT_EQ(run.settings.LSTFIX(32), 0);

  // A later FIXED card replaces all thirty flags.
  run = readDeckText(card + "\nFIXED          1\n");
  EXPECT_EQ(run.settings.LSTFIX(1), 0);
  EXPECT_EQ(run.settings.LSTFIX(3), 1);
  EXPECT_EQ(run.settings.LSTFIX(30), 0);
}

TEST(DeckReader, ListSizeCardsFillListsOneToThirty) {
  const std::string first = fields({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
  const std::string second = fields({"101", "102", "103", "104", "105"}) + "{ lists 11-15";
  const std::string third =
      fields({"201", "202", "203", "204", "205", "206", "207", "208", "209", "210"});
  DeckRun run =
      readDeckText(first + "\nC between\nDEFAULT      2.0\n" + second + "\n" + third + "\n");
  EXPECT_EQ(run.error, "");
  for (std::size_t k = 1; k <= 10; ++k) EXPECT_EQ(run.LSTNEW(k), static_cast<int>(k)) << k;
  for (std::size_t k = 11; k <= 15; ++k) EXPECT_EQ(run.LSTNEW(k), static_cast<int>(90 + k)) << k;
  for (std::size_t k = 16; k <= 20; ++k) EXPECT_EQ(run.LSTNEW(k), 0) << k;
  // The third card fills lists 21 to 30 although its echo says 21-29.
  for (std::size_t k = 21; k <= 30; ++k) EXPECT_EQ(run.LSTNEW(k), static_cast<int>(180 + k)) << k;
  for (std::size_t k = 31; k <= kCardLists; ++k) EXPECT_EQ(run.LSTNEW(k), 0) << k;
  EXPECT_EQ(run.settings.DEFMUL, 2.0);
  EXPECT_EQ(run.settings.NLISTS, 31);
  for (std::size_t k = 1; k <= 7; ++k) EXPECT_EQ(run.settings.LSTSUP(k), 70000) << k;
  EXPECT_EQ(run.listing, echo(kFirstEcho, first) + echo(kCommentEcho, "C between") +
                             echo(" Default multiplier =   2.000  1", "DEFAULT      2.0") +
                             echo(kSecondEcho, second) + echo(kThirdEcho, third));
}

TEST(DeckReader, EmptyLineUsesUpAListSizePosition) {
  DeckRun run = readDeckText("\n" + fields({"5"}) + "\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.LSTNEW(1), 0);
  EXPECT_EQ(run.LSTNEW(11), 5);
  EXPECT_EQ(run.listing, echo(kFirstEcho, "") + echo(kSecondEcho, fields({"5"})));
}

TEST(DeckReader, FourthCardWithoutMarkerHoldsTheOffsets) {
  // Fields 8 to 10 of an offsets card read as integers are not read at all.
  const std::string offsets =
      fields({"100", "200", "300", "400", "500", "600", "700", "junk", "nonsense"});
  DeckRun run = readDeckText(kThreeEmptyCards + offsets + "\nDEFAULT      2.0\nnot read at all\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.settings.NLISTS, 31);
  for (std::size_t k = 1; k <= 7; ++k) {
    EXPECT_EQ(run.settings.LSTSUP(k), static_cast<int>(100 * k)) << k;
  }
  for (std::size_t k = 1; k <= 40; ++k) EXPECT_EQ(run.LSTNEW(k), 0) << k;
  // The deck ends after the offsets card: the DEFAULT card is neither read nor echoed.
  EXPECT_EQ(run.settings.DEFMUL, 1.0);
  EXPECT_EQ(run.listing, threeEmptyEchoes() + echo(kOffsetsEcho, offsets));
}

TEST(DeckReader, FourthCardMarkerInsideTheComment) {
  const std::string fourth = fields({"700", "701"}) + "  {Optional card for Lists 31, etc.";
  const std::string offsets = fields({"11", "12", "13", "14", "15", "16", "17"});
  DeckRun run = readDeckText(kThreeEmptyCards + fourth + "\n" + offsets + "\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.settings.NLISTS, 32);
  EXPECT_EQ(run.LSTNEW(31), 700);
  EXPECT_EQ(run.LSTNEW(32), 701);
  for (std::size_t k = 33; k <= 40; ++k) EXPECT_EQ(run.LSTNEW(k), 0) << k;
  for (std::size_t k = 1; k <= 7; ++k) {
    EXPECT_EQ(run.settings.LSTSUP(k), static_cast<int>(10 + k)) << k;
  }
  EXPECT_EQ(run.listing,
            threeEmptyEchoes() + echo(kFourthEcho, fourth) + echo(kOffsetsEcho, offsets));
}

TEST(DeckReader, FourthCardMarkerOutsideTheCommentIsReadAsNumbers) {
  const std::string fourth = "       1Optional card for Lists 31, etc.";
  DeckRun run = readDeckText(kThreeEmptyCards + fourth + "\n");
  EXPECT_EQ(run.error,
            "card 4, columns 9-16: cannot read \"Optional\" as an integer (the text \"Optional "
            "card for Lists 31, etc.\" goes in the card's { comment)");
  EXPECT_EQ(run.listing, threeEmptyEchoes() + echo(kFourthEcho, fourth));
}

TEST(DeckReader, MarkerOnlyCountsOnTheFourthCard) {
  // On the first card the marker text is just a comment.
  const std::string first = fields({"3"}) + "{Optional card for Lists 31, etc.";
  DeckRun run = readDeckText(first + "\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.LSTNEW(1), 3);
  EXPECT_EQ(run.settings.NLISTS, 31);
  EXPECT_EQ(run.listing, echo(kFirstEcho, first));
}

TEST(DeckReader, OffsetsMinimums) {
  const std::string offsets = fields({"0", "-5", "-1", "0", "3"});
  DeckRun run = readDeckText(kThreeEmptyCards + offsets + "\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.settings.LSTSUP(1), 80000);
  EXPECT_EQ(run.settings.LSTSUP(2), 742);
  EXPECT_EQ(run.settings.LSTSUP(3), -1);
  EXPECT_EQ(run.settings.LSTSUP(4), 0);
  EXPECT_EQ(run.settings.LSTSUP(5), 3);
  EXPECT_EQ(run.settings.LSTSUP(6), 0);
  EXPECT_EQ(run.settings.LSTSUP(7), 0);

  run = readDeckText(kThreeEmptyCards + fields({"1", "1"}) + "\n");
  EXPECT_EQ(run.settings.LSTSUP(1), 1);
  EXPECT_EQ(run.settings.LSTSUP(2), 1);
}

// Each setting carries the card and columns it was read from, and the
// value as read where the card's value is replaced.
TEST(DeckReader, EachSettingCarriesItsCard) {
  const std::string deck =
      "DEFAULT      0.5\nSCALE        2.0\nFIXED        3\nNBHDSW     -1.5\n"
      "RAM TABLES\nROUND UP      -2\nCARDS        700\n" +
      fields({"", "12"}) + "\nBLANK\nBLANK\n" + fields({"0", "-5", "9"}) + "\n";
  const DeckRun run = readDeckText(deck);
  ASSERT_EQ(run.error, "");
  const DeckSettings& settings = run.settings;
  struct Expected {
    const char* setting;
    const CardOrigin& origin;
    long card;
    std::string_view what;
    int firstColumn;
    std::int32_t read;  // the integer read, where it is kept
  };
  for (const Expected& expected : {
           Expected{"DEFMUL", settings.DEFMUL.origin, 1, "DEFAULT", 9, 0},
           Expected{"FINMUL", settings.FINMUL.origin, 2, "SCALE", 9, 0},
           Expected{"LSTFIX(2)", settings.LSTFIX(2).origin, 3, "FIXED", 13, 3},
           Expected{"SCALE6", settings.SCALE6.origin, 4, "NBHDSW", 9, 0},
           Expected{"KRAMTB", settings.KRAMTB.origin, 5, "RAM TABLES", 0, 0},
           Expected{"NQUANT", settings.NQUANT.origin, 6, "ROUND UP", 9, -2},
           Expected{"LSTNEW(31)", settings.LSTNEW(31).origin, 7, "CARDS", 9, 700},
           Expected{"LSTNEW(2)", settings.LSTNEW(2).origin, 8, "1st list-size card", 9, 12},
           Expected{"LSTSUP(1)", settings.LSTSUP(1).origin, 11, "supplemental-offsets card", 1, 0},
           Expected{"LSTSUP(2)", settings.LSTSUP(2).origin, 11, "supplemental-offsets card", 9, -5},
       }) {
    EXPECT_EQ(expected.origin.card, expected.card) << expected.setting;
    EXPECT_EQ(expected.origin.what, expected.what) << expected.setting;
    EXPECT_EQ(expected.origin.firstColumn, expected.firstColumn) << expected.setting;
    EXPECT_EQ(expected.origin.value, expected.read) << expected.setting;
  }
  EXPECT_EQ(settings.NQUANT, 4194304);
  EXPECT_EQ(settings.LSTSUP(2), 742);
  // A setting no card gave has no card.
  EXPECT_EQ(readDeckText("").settings.LSTSUP(4).origin.card, 0);
}

TEST(DeckReader, BlankCards) {
  // Everything after "BLANK " is ignored, even text that could not be read.
  const std::string first = "BLANK  ERROR IF READ 12";
  const std::string second = fields({"5"});
  const std::string third = "{ 123 ERROR";  // a brace in column 1 blanks the card too
  DeckRun run = readDeckText(first + "\n" + second + "\n" + third + "\nBLANK\n");
  EXPECT_EQ(run.error, "");
  for (std::size_t k = 1; k <= 10; ++k) EXPECT_EQ(run.LSTNEW(k), 0) << k;
  EXPECT_EQ(run.LSTNEW(11), 5);
  for (std::size_t k = 21; k <= 30; ++k) EXPECT_EQ(run.LSTNEW(k), 0) << k;
  // As the offsets card, a blank card gives the minimums and zeros.
  EXPECT_EQ(run.settings.LSTSUP(1), 80000);
  EXPECT_EQ(run.settings.LSTSUP(2), 742);
  for (std::size_t k = 3; k <= 7; ++k) EXPECT_EQ(run.settings.LSTSUP(k), 0) << k;
  // The echo shows the card as read.
  EXPECT_EQ(run.listing, echo(kFirstEcho, first) + echo(kSecondEcho, second) +
                             echo(kThirdEcho, third) + echo(kOffsetsEcho, "BLANK"));

  // "BLANK" must be followed by a blank column.
  run = readDeckText("BLANKS\n");
  EXPECT_EQ(run.error, "card 1, columns 1-8: cannot read \"BLANKS\" as an integer");
}

TEST(DeckReader, UpperCaseEOutsideTheCommentSelectsRealReading) {
  // Each real is truncated toward zero; a field without a point is its digits.
  const std::string card = fields({"2.5E3", "-1.9", "1.0E1", "7", "2.99", "-0.5", "", "15"});
  DeckRun run = readDeckText(card + "\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.LSTNEW(1), 2500);
  EXPECT_EQ(run.LSTNEW(2), -1);
  EXPECT_EQ(run.LSTNEW(3), 10);
  EXPECT_EQ(run.LSTNEW(4), 7);
  EXPECT_EQ(run.LSTNEW(5), 2);
  EXPECT_EQ(run.LSTNEW(6), 0);
  EXPECT_EQ(run.LSTNEW(7), 0);
  EXPECT_EQ(run.LSTNEW(8), 15);
  EXPECT_EQ(run.LSTNEW(9), 0);
  EXPECT_EQ(run.LSTNEW(10), 0);
  EXPECT_EQ(run.listing, echo(kFirstEcho, card));

  // Without an "E" the same field is read as an integer, which it is not.
  run = readDeckText(fields({"5", "-1.9"}) + "\n");
  EXPECT_EQ(run.error, "card 1, columns 9-16: cannot read \"-1.9\" as an integer");
  EXPECT_EQ(run.listing, echo(kFirstEcho, fields({"5", "-1.9"})));

  // An "E" in the comment does not count, nor does a lower-case "e".
  run = readDeckText(fields({"1.9"}) + "{ E\n");
  EXPECT_EQ(run.error, "card 1, columns 1-8: cannot read \"1.9\" as an integer");
  run = readDeckText(fields({"1.9", "1.0e1"}) + "\n");
  EXPECT_EQ(run.error, "card 1, columns 1-8: cannot read \"1.9\" as an integer");

  // An "E" anywhere outside the comment, here in a field of its own.
  run = readDeckText(fields({"1.9"}) + std::string(71, ' ') + "E\n");
  EXPECT_EQ(run.error, "card 1, columns 73-80: cannot read \"E\" as a real");
}

TEST(DeckReader, CommaEndsAField) {
  // The field ends at the comma and the next one starts right after it.
  DeckRun run = readDeckText("1,2       3       4\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.LSTNEW(1), 1);
  EXPECT_EQ(run.LSTNEW(2), 2);
  EXPECT_EQ(run.LSTNEW(3), 3);
  EXPECT_EQ(run.LSTNEW(4), 4);
  for (std::size_t k = 5; k <= 10; ++k) EXPECT_EQ(run.LSTNEW(k), 0) << k;

  run = readDeckText(",5\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.LSTNEW(1), 0);
  EXPECT_EQ(run.LSTNEW(2), 5);

  // The same in real form.
  run = readDeckText("1.5,2.5E1       9\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.LSTNEW(1), 1);
  EXPECT_EQ(run.LSTNEW(2), 25);
  EXPECT_EQ(run.LSTNEW(3), 9);
  EXPECT_EQ(run.LSTNEW(4), 0);

  // And in the value of a keyword card.
  run = readDeckText("DEFAULT  2,5\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.settings.DEFMUL, 2.0);
}

TEST(DeckReader, LineEnds) {
  // The last card counts without its line feed.
  DeckRun run = readDeckText("DEFAULT      2.0");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.settings.DEFMUL, 2.0);
  EXPECT_EQ(run.listing, echo(" Default multiplier =   2.000  1", "DEFAULT      2.0"));

  // CR LF ends a line; the carriage return is not part of the card.
  run = readDeckText("C one\r\n" + fields({"12"}) + "\r\n" + fields({"34"}) + "\r\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.LSTNEW(1), 12);
  EXPECT_EQ(run.LSTNEW(11), 34);
  EXPECT_EQ(run.listing, echo(kCommentEcho, "C one") + echo(kFirstEcho, fields({"12"})) +
                             echo(kSecondEcho, fields({"34"})));

  // A carriage return that ends the input is a character of the card.
  run = readDeckText(fields({"12"}) + "\r");
  EXPECT_EQ(run.error, "card 1, columns 9-16: cannot read \"\\x0d\" as an integer");
}

TEST(DeckReader, ErrorNamesTheInputLine) {
  DeckRun run = readDeckText("C one\n\nDEFAULT      2.0\n\r\nC five\n" + fields({"1", "2", "x"}) +
                             "\n" + fields({"y"}) + "\n");
  EXPECT_EQ(run.error, "card 6, columns 17-24: cannot read \"x\" as an integer");
}

}  // namespace
}  // namespace sizgen
