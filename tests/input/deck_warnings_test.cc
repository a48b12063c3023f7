// Decks that read otherwise than they look, run through the sizgen binary:
// each gives exactly one warning on standard error, at its card and
// columns, and the run is what it was without it: the same listing, files
// and exit status as a plain run.  --check lists the warnings under its
// line and --json carries them.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::linesOf;
using testing::ProcessResult;
using testing::TempDir;

struct WarnedDeck {
  const char* name;
  std::string deck;
  std::string kind;     // as --json names it
  std::string where;    // "card N, columns A-B" (or "column A")
  std::string meaning;  // a part of the message
};

const std::string kMarker = "Optional card for Lists 31, etc.";

std::vector<WarnedDeck> warnedDecks() {
  const std::string offsets = "\n\n\n   90000\n";  // three list-size cards, then the offsets
  return {
      {"ScaleOneBlank", "SCALE 2.0\n", "value-outside-columns", "card 1, columns 7-9",
       "SCALE reads 0 from columns 9-16, but \"2.0\" stands outside them"},
      {"CardsOneBlank", "CARDS 500\n", "value-outside-columns", "card 1, columns 7-9",
       "(\"CARDS        500\")"},
      {"NbhdswOneBlank", "NBHDSW 5\n", "value-outside-columns", "card 1, column 8",
       "NBHDSW reads 0"},
      {"DefaultTooFarRight", "DEFAULT          1.5\n", "value-outside-columns",
       "card 1, columns 18-20", "(\"DEFAULT      1.5\")"},
      // Whatever the value columns then read.
      {"ScaleReadsItsLastDigit", "SCALE 1.5\n", "value-outside-columns", "card 1, columns 7-9",
       "SCALE reads 5 from columns 9-16, but \"1.5\" stands outside them"},
      {"ScaleReadsTwentyFive", "SCALE 1.25\n", "value-outside-columns", "card 1, columns 7-10",
       "SCALE reads 25 from"},
      {"ScaleReadsAHalf", "SCALE 12.5\n", "value-outside-columns", "card 1, columns 7-10",
       "SCALE reads 0.5 from"},
      {"NbhdswReadsFive", "NBHDSW 25.0\n", "value-outside-columns", "card 1, columns 8-11",
       "NBHDSW reads 5 from columns 9-16, but \"25.0\" stands outside them: the value goes in "
       "columns 9-16 (\"NBHDSW      25.0\")"},
      {"CardsReadsThirtyFour", "CARDS 1234\n", "value-outside-columns", "card 1, columns 7-10",
       "CARDS reads 34 from"},
      {"CardsTooWide", "CARDS   2147483647\n", "value-outside-columns", "card 1, columns 9-18",
       "CARDS reads 21474836 from columns 9-16, but \"2147483647\" stands outside them: the "
       "value goes in columns 9-16"},
      {"NumberAfterTheValue", "DEFAULT      2.0   3.0\n", "value-outside-columns",
       "card 1, columns 20-22",
       "DEFAULT reads 2 from columns 9-16, but \"3.0\" stands outside "
       "them and is not read"},
      {"DecimalComma", "DEFAULT      1,5\n", "value-outside-columns", "card 1, column 16",
       "DEFAULT reads 1 from columns 9-15, but \"5\" stands outside them and is not read"},
      {"FixedFlagsBesideTheirColumns", "FIXED 1 1 1\n", "value-outside-columns", "card 1, column 7",
       "FIXED reads its flags from columns 11-70, but \"1\" stands outside them"},
      {"RamTablesWithAValue", "RAM TABLES 0\n", "value-outside-columns", "card 1, column 12",
       "RAM TABLES reads nothing after its keyword: \"0\" is not read"},
      {"BlanksInsideAField", "     300 400 500\n", "blanks-in-number", "card 1, columns 9-16",
       "the blanks inside \"400 500\" are ignored: it reads as 400500"},
      {"BlanksInsideAValue", "ROUND UP   40 96\n", "blanks-in-number", "card 1, columns 9-16",
       "it reads as 4096"},
      // Blanks inside a field say it all, though its number runs on.
      {"BlanksAndAnEdge", "  1234567 89\n", "blanks-in-number", "card 1, columns 9-16",
       "the blanks inside \"7 89\" are ignored"},
      {"NumberAcrossAnEdge", "  123456789\n", "across-field-edge", "card 1, columns 3-11",
       "\"123456789\" runs across 2 fields: it is read as \"123456\" in columns 1-8 and \"789\" "
       "in columns 9-16; each number goes within the 8 columns of its own field"},
      {"NumberAcrossTwoEdges", "\n  12345678901234567\n", "across-field-edge",
       "card 2, columns 3-19", "in columns 1-8, \"78901234\" in columns 9-16 and \"567\" in"},
      {"ExponentAcrossAnEdge", "     2.5E3\n", "across-field-edge", "card 1, columns 6-10",
       "it is read as \"2.5\" in columns 1-8 and \"E3\" in columns 9-16"},
      {"AfterAComma", "   1,  123456789\n", "across-field-edge", "card 1, columns 8-16",
       "\"123456\" in columns 6-13 and \"789\" in columns 14-21"},
      {"OffsetAcrossAnEdge", offsets.substr(0, 3) + "      1234567\n", "across-field-edge",
       "card 4, columns 7-13", "\"12\" in columns 1-8 and \"34567\" in columns 9-16"},
      {"FixedFlagAcrossAnEdge", "FIXED      11 1\n", "across-field-edge", "card 1, columns 12-13",
       "it is read as \"1\" in columns 11-12 and \"1\" in columns 13-14; each number goes "
       "within the 2 columns"},
      {"DefaultAfterTheEnd", offsets + "DEFAULT  2.0\n", "after-deck-end", "card 5, columns 1-12",
       "the deck ended with the supplemental-offsets card (card 4): this card is not read"},
      {"RamTablesAfterTheEnd", offsets + "\nRAM TABLES\nC note\n", "after-deck-end",
       "card 6, columns 1-10", "this card and 1 more after it are not read"},
      {"ScaleGivenAgain", "SCALE        2.0\nC\nSCALE        3.0\n", "given-again",
       "card 3, columns 1-5", "another SCALE card: it overrides the one on card 1"},
      {"RamTablesGivenAgain", "RAM TABLES\nRAM TABLES\n", "given-again", "card 2, columns 1-10",
       "the one on card 1"},
      {"CardsGivenAgain", "CARDS        500\nCARDS        600\n", "given-again",
       "card 2, columns 1-5", "another CARDS card"},
      {"CardsThenTheFourthCard", "CARDS        500\n\n\n\n     750{" + kMarker + "\n",
       "list-given-twice", "card 5, columns 1-8",
       "list 31 is given by two cards: this one overrides card 1 (CARDS)"},
      {"FourthCardThenCards", "\n\n\n{" + kMarker + "\nCARDS        500\n", "list-given-twice",
       "card 5, columns 9-16", "this one overrides card 4 (4th list-size card)"},
      {"PastColumn80", "RAM TABLES" + std::string(72, ' ') + "tail\n", "past-column-80",
       "card 1, columns 83-86", "text past column 80 is not read: \"tail\""},
      {"BlankCardPastColumn80", "BLANK" + std::string(77, ' ') + "{ tail\n", "past-column-80",
       "card 1, columns 83-88", "\"{ tail\""},
      {"NegativeNbhdsw", "DEFAULT  0\nNBHDSW  -99999\n", "negative-size", "card 2, columns 9-16",
       "2 arrays are declared with a negative dimension (the lowest: row 95 NBHDSW, -99999, "
       "list 56) and LTLABL is -99543"},
  };
}

class DeckWarning : public ::testing::TestWithParam<WarnedDeck> {};

TEST_P(DeckWarning, OneLineAtItsCardAndColumns) {
  const WarnedDeck& c = GetParam();
  TempDir dir;
  const ProcessResult run = testing::runSizgenBinary(dir.path(), c.deck);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<std::string> lines = linesOf(run.err);
  ASSERT_EQ(lines.size(), 1u) << run.err;
  EXPECT_TRUE(lines[0].starts_with("sizgen: warning: " + c.where + ": ")) << lines[0];
  EXPECT_NE(lines[0].find(c.meaning), std::string::npos) << lines[0];
  EXPECT_NE(run.out.find("Normal termination"), std::string::npos);

  // --check lists it under its line; --json carries it.
  const ProcessResult check = testing::runSizgenBinary(dir.path(), c.deck, {"--check"});
  const std::vector<std::string> checked = linesOf(check.out);
  ASSERT_EQ(checked.size(), 2u) << check.out;
  EXPECT_TRUE(checked[0].starts_with("deck is sound: "));
  EXPECT_EQ(checked[1], lines[0].substr(std::string("sizgen: ").size()));
  EXPECT_EQ(check.err, "");

  const ProcessResult json = testing::runSizgenBinary(dir.path(), c.deck, {"--json"});
  const auto warnings = nlohmann::json::parse(json.out).at("warnings");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].at("kind"), c.kind);
  EXPECT_EQ("sizgen: warning: " + c.where + ": " + warnings[0].at("message").get<std::string>(),
            lines[0]);
  EXPECT_EQ(json.err, run.err);

  // --diff prints the warnings of both decks, each after its deck's name.
  testing::writeFile(dir.file("old.deck"), c.deck);
  const ProcessResult diff = testing::runSizgenBinary(dir.path(), c.deck, {"--diff=old.deck"});
  EXPECT_EQ(diff.exitStatus, 0) << diff.err;
  const std::string text = lines[0].substr(std::string("sizgen: warning: ").size());
  EXPECT_EQ(diff.err, "sizgen: warning: old.deck: " + text +
                          "\nsizgen: warning: standard input: " + text + "\n");
}

INSTANTIATE_TEST_SUITE_P(Decks, DeckWarning, ::testing::ValuesIn(warnedDecks()),
                         [](const auto& info) { return std::string(info.param.name); });

// Decks that read as they look give no warning, in any mode.
TEST(DeckWarning, NoneForDecksThatReadAsTheyLook) {
  const std::vector<std::string> decks = {
      "",
      "SCALE        2.0\nDEFAULT      0.7\nCARDS        500\nNBHDSW         5\n",
      "DEFAULT  0\n",  // zero in the value columns, nothing beside them
      "     300     400     500\n",
      "     300,400,500\n",  // commas end the fields
      "\n\n\n   90000\n\n\n",
      "C " + std::string(78, '-') + "     \n",  // blanks past column 80
      // Text past column 80 in a comment, of a C card or after a {.
      "C " + std::string(78, '-') + "  tail\n",
      "C" + std::string(79, ' ') + "tail\n",
      "     100{" + std::string(75, '-') + " tail\n",
      "\n\n\n" + std::string(79, ' ') + "{ tail\n",  // a { in column 80
      // Text that holds no number, where the card reads nothing.
      "DEFAULT      2.0   the later card wins\nRAM TABLES  yes\n",
      "DEFAULT\t1.5\n",  // the tab is column 8: 1.5 stands in columns 9-11
      "SCALE          3{x\nDEFAULTS0.0001\nNBHDSWx      2.5\n",  // no number outside
      "FIXED      1 0 1 0 0 2-1 9\n",
      "     300    -500 1.5E3      2.\n",
      "\n\n\n     750{" + kMarker + "\n\n",  // list 31 from the fourth card alone
      testing::readTestData("../examples/typical.deck"),
  };
  for (const std::string& deck : decks) {
    TempDir dir;
    for (const char* mode : {"--check", "--report", "--json"}) {
      const ProcessResult run = testing::runSizgenBinary(dir.path(), deck, {mode});
      EXPECT_EQ(run.err, "") << deck << mode;
    }
    EXPECT_EQ(testing::runSizgenBinary(dir.path(), deck).err, "") << deck;
  }
}

// An endless input after the deck's end still ends the run: only the
// cards just after it are looked at for a warning.
TEST(DeckWarning, EndlessInputAfterTheDeckEnds) {
  TempDir dir;
  const ProcessResult run = testing::runSizgenShell(
      dir.path(), "", "(echo BLANK; echo BLANK; echo BLANK; yes '   90000') | \"$sizgen\" --check");
  EXPECT_EQ(run.exitStatus, 0);
  // The cards past those looked at are not counted: at least as many
  // follow as were.
  EXPECT_NE(run.out.find("warning: card 5, columns 4-8: the deck ended with the "
                         "supplemental-offsets card (card 4): this card and at least 9999 more "
                         "after it are not read"),
            std::string::npos)
      << run.out;
}

// A keyword card given a third time overrides the second, and says so.
TEST(DeckWarning, EachRepeatedCardNamesTheOneItOverrides) {
  TempDir dir;
  const ProcessResult check = testing::runSizgenBinary(
      dir.path(), "DEFAULT      2.0\nDEFAULT      3.0\nDEFAULT      4.0\n", {"--check"});
  const std::vector<std::string> lines = linesOf(check.out);
  ASSERT_EQ(lines.size(), 3u) << check.out;
  EXPECT_EQ(lines[1],
            "warning: card 2, columns 1-7: another DEFAULT card: it overrides the one on card 1");
  EXPECT_EQ(lines[2],
            "warning: card 3, columns 1-7: another DEFAULT card: it overrides the one on card 2");
}

// The total out of range names the list that holds most of it and its card.
TEST(OverflowSource, TheTotalNamesItsLargestLists) {
  TempDir dir;
  const ProcessResult run =
      testing::runSizgenBinary(dir.path(), "\n" + std::string(48, ' ') + "21262214\n");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err,
            "sizgen: the storage total MTOT is out of the 32-bit range; most of it is list 65, "
            "4294967228 words in 1 array (ELP, row 63), from card 2, columns 49-56 (2nd "
            "list-size card, field 7); then list 66, 1020586272 words in 1 array (CU, row 64), "
            "from card 2, columns 49-56 (2nd list-size card, field 7)\n");
}

}  // namespace
}  // namespace sizgen
