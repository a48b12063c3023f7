// --annotate and the card model it shows: what each field was read as and
// sets, the size it gave, warnings and errors under their columns; the
// cards in --json.

#include "analysis/deck_annotation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/json_result.h"
#include "reading/deck_reading.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

std::vector<std::string> annotationLines(const std::string& deck) {
  return testing::linesOf(annotateDeck(readDeckText(deck)));
}

bool hasLine(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(AnnotateDeck, EachCardWithItsFieldsWarningsAndError) {
  struct Case {
    std::string what;
    std::string deck;
    std::vector<std::string> lines;  // each a whole line of the annotation, in order
  };
  const std::string indent = "        ";
  const Case cases[] = {
      {"a keyword card and its value",
       "DEFAULT      0.7\n",
       {"    1 DEFAULT      0.7", indent + "DEFAULT card, keyword in columns 1-7",
        indent + "value, columns 9-16 \"     0.7\": 0.7, sets DEFMUL"}},
      {"a list-size card: the final size where it differs, with its step",
       "     600     100\n",
       {indent + "1st list-size card (lists 1-10)",
        indent + "field 1, columns 1-8 \"     600\": 600, sets LSTNEW(1); list 1 ends at 602 "
                 "(plus 2)",
        indent + "field 2, columns 9-16 \"     100\": 100, sets LSTNEW(2)",
        indent + "field 3, columns 17-24 blank: 0, sets LSTNEW(3); list 3 ends at 500 "
                 "(default x DEFMUL)"}},
      {"a comma moves the next field",
       "  300,400\n",
       {indent +
            "field 1, columns 1-6 \"  300,\": 300, sets LSTNEW(1); list 1 ends at 302 (plus 2)",
        indent + "field 2, columns 7-14 \"400     \": 400, sets LSTNEW(2)"}},
      {"a value overridden, one replaced",
       "ROUND UP       0\nSCALE        2.0\nSCALE        1.0\n",
       {indent + "value, columns 9-16 \"       0\": 0, sets NQUANT to 4194304 (less than 1)",
        indent + "SCALE card, keyword in columns 1-5; sets KSCALE, overridden by card 3",
        indent + "value, columns 9-16 \"     2.0\": 2.0, sets FINMUL, overridden by card 3"}},
      {"a real list-size card, truncated",
       "  2.5E3\n",
       {indent + "field 1, columns 1-8 \"  2.5E3 \": 2500.0 truncated: 2500, sets LSTNEW(1); list "
                 "1 ends at 2502 (plus 2)"}},
      {"a warning under its columns",
       "SCALE 2.0\n",
       {"    1 SCALE 2.0", "            ^^^",
        indent + "warning: SCALE reads 0 from columns 9-16, but \"2.0\" stands outside them: the "
                 "value goes in columns 9-16 (\"SCALE        2.0\")"}},
      {"the deck's end, the comment and the cards not read",
       "C sized\n\n\n\n   90000\nDEFAULT      2.0\n",
       {indent + "comment: not read", indent + "supplemental-offsets card",
        indent + "field 1, columns 1-8 \"   90000\": 90000, sets LSTSUP(1); list 99 ends at 90000 "
                 "(LSTSUP(1))",
        "    6 DEFAULT      2.0", indent + "after the deck's end: not read"}},
      {"an error ends the annotation at its card",
       "C first\nDEFAULT  abc\n     600\n",
       {"    2 DEFAULT  abc", indent + "value, columns 9-16 \" abc    \": not read",
        "              ^^^^^^^^", indent + "error: cannot read \"abc\" as a real"}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> lines = annotationLines(c.deck);
    auto next = lines.begin();
    for (const std::string& line : c.lines) {
      next = std::find(next, lines.end(), line);
      EXPECT_NE(next, lines.end()) << c.what << ": missing or out of order:\n" << line;
    }
  }
  EXPECT_FALSE(hasLine(annotationLines("C first\nDEFAULT  abc\n     600\n"), "    3      600"));
}

// Every warning a run prints shows under its card.
TEST(AnnotateDeck, ShowsEveryWarningOfTheTestDecks) {
  for (const std::string name : {"crlf", "defmul", "keywords", "lists", "nomarker", "reals"}) {
    const std::string deck = testing::readTestData("decks/" + name + ".deck");
    const DeckReading reading = readDeckText(deck);
    const std::string annotation = annotateDeck(reading);
    for (const Warning& warning : reading.warnings)
      EXPECT_NE(annotation.find("  warning: " + warning.message + "\n"), std::string::npos) << name;
  }
}

// What a sink is given, one piece a call.
class PiecesSink final : public Sink {
 public:
  void write(std::string_view record) override { pieces.push_back(std::string(record) + "\n"); }
  void writeText(std::string_view text) override { pieces.emplace_back(text); }
  void flush() override { ++flushes; }
  std::vector<std::string> pieces;
  int flushes = 0;
};

// Written on a sink, the annotation comes a card at a time: the ruler and
// the first card, then each card with its notes and its warnings, then
// what belongs to no card; together the same text as held whole.
TEST(AnnotateDeck, WritesCardByCardOnASink) {
  const std::string manyCards = [] {
    std::string deck;
    for (int i = 0; i < 120; ++i) deck += i % 3 == 0 ? "DEFAULT      1.5\n" : "NBHDSW   4 0\n";
    return deck + "     600\n";
  }();
  const std::vector<std::string> decks = {
      testing::readTestData("decks/keywords.deck"),
      testing::readTestData("decks/lists.deck"),
      testing::readTestData("decks/reals.deck"),
      testing::readTestData("decks/error.deck"),
      manyCards,
      "C first\nDEFAULT  abc\n     600\n",             // stops at card 2
      "SCALE    1.1\nSCALE    1.1\n\n\nCARDS  9e9\n",  // error on the last card
  };
  for (const std::string& deck : decks) {
    const DeckReading reading = readDeckText(deck);
    PiecesSink sink;
    annotateDeck(reading, sink);
    std::string joined;
    for (const std::string& piece : sink.pieces) joined += piece;
    EXPECT_EQ(joined, annotateDeck(reading)) << deck;
    EXPECT_EQ(sink.flushes, 1);
    ASSERT_GE(sink.pieces.size(), reading.cards.size()) << deck;
    const std::size_t width =
        std::max<std::size_t>(5, std::to_string(reading.cards.back().line).size());
    for (std::size_t i = 0; i < reading.cards.size(); ++i) {
      const DeckCard& card = reading.cards[i];
      std::vector<std::string> lines = testing::linesOf(sink.pieces[i]);
      if (i == 0) lines.erase(lines.begin());  // the ruler
      ASSERT_FALSE(lines.empty()) << deck;
      const std::string number = std::to_string(card.line);
      EXPECT_EQ(lines.front().substr(0, width + 1),
                std::string(width - number.size(), ' ') + number + " ")
          << deck;
      // Every warning of the card is in its piece, none of another card's.
      for (const Warning& warning : reading.warnings) {
        const bool shown =
            hasLine(lines, std::string(width + 3, ' ') + "warning: " + warning.message);
        if (warning.card == card.line) {
          EXPECT_TRUE(shown) << deck << warning.message;
        }
      }
      const std::size_t carets = std::count_if(
          lines.begin(), lines.end(),
          [&](const std::string& line) { return line.find('^') != std::string::npos; });
      const auto own = std::count_if(reading.warnings.begin(), reading.warnings.end(),
                                     [&](const Warning& w) { return w.card == card.line; });
      const bool errorHere = reading.error && reading.error->card == card.line;
      EXPECT_EQ(carets, static_cast<std::size_t>(own) + (errorHere ? 1 : 0)) << deck << card.line;
    }
  }
}

TEST(AnnotateDeck, ProgramPrintsTheAnnotationAndStopsAtAnError) {
  testing::TempDir dir;
  const std::string deck = "DEFAULT      0.7\n     600\n";
  const testing::ProcessResult sound = testing::runSizgenBinary(dir.path(), deck, {"--annotate"});
  EXPECT_EQ(sound.exitStatus, 0);
  EXPECT_EQ(sound.out, annotateDeck(readDeckText(deck)));
  EXPECT_EQ(sound.err, "");
  const testing::ProcessResult failed =
      testing::runSizgenBinary(dir.path(), "DEFAULT  abc\n", {"--annotate"});
  EXPECT_EQ(failed.exitStatus, 1);
  EXPECT_EQ(failed.err, "sizgen: card 1, columns 9-16: cannot read \"abc\" as a real\n");
  EXPECT_EQ(failed.out, annotateDeck(readDeckText("DEFAULT  abc\n")));
  EXPECT_FALSE(testing::fileExists(dir.file("newmods.for")));
}

TEST(DeckCards, JsonCarriesEachCardAndField) {
  const std::string deck = "C note\nCARDS        500\n  300,400\n";
  const DeckReading reading = readDeckText(deck);
  const nlohmann::json cards =
      nlohmann::json::parse(jsonResult(*reading.plan, reading.cards)).at("cards");
  ASSERT_EQ(cards.size(), 3u);
  EXPECT_EQ(cards[0].at("role"), "comment");
  EXPECT_EQ(cards[1].at("name"), "CARDS");
  EXPECT_EQ(cards[1].at("keywordLastColumn"), 5);
  EXPECT_EQ(cards[1].at("fields")[0].at("sets"), "LSTNEW(31)");
  EXPECT_EQ(cards[2].at("text"), "  300,400");
  EXPECT_EQ(cards[2].at("firstList"), 1);
  const nlohmann::json& second = cards[2].at("fields")[1];
  EXPECT_EQ(second,
            nlohmann::json::parse(R"j({"field": 2, "firstColumn": 7, "lastColumn": 14, "shift": 2,
      "text": "400     ", "type": "integer", "read": true, "value": 400, "truncated": null,
      "sets": "LSTNEW(2)", "replacedBy": null, "overriddenBy": 0, "list": 2, "finalSize": 400,
      "step": "as given"})j"));
  EXPECT_EQ(cards[2].at("fields")[0].at("finalSize"), 302);
  EXPECT_EQ(cards[2].at("fields")[0].at("step"), "plus 2");
}

// A deck error keeps the cards up to the failing one and the error at its
// columns; a size out of range names no card's columns.
TEST(DeckCards, ErrorsAsData) {
  const DeckReading bad = readDeckText("C first\n     300,     abc\n     600\n");
  ASSERT_TRUE(bad.error);
  EXPECT_FALSE(bad.plan);
  EXPECT_EQ(bad.cards.size(), 2u);
  EXPECT_EQ(bad.error->card, 2);
  EXPECT_EQ(bad.error->firstColumn, 10);
  EXPECT_EQ(bad.error->lastColumn, 17);
  EXPECT_EQ(bad.error->message, "card 2, columns 10-17: " + bad.error->reason);
  // The comma in column 9 is a field of its own; the next begins after it.
  EXPECT_EQ(bad.cards[1].fields.at(1).lastColumn, 9);
  EXPECT_EQ(bad.cards[1].fields.at(2).firstColumn, 10);
  EXPECT_FALSE(bad.cards[1].fields.at(2).read);

  const DeckReading large =
      readDeckText("\n                                                21262215\n");
  ASSERT_TRUE(large.error);
  EXPECT_TRUE(large.readToEnd);
  // The card that gave list 17 is blamed, though the message names list 65 first.
  EXPECT_EQ(large.error->card, 2);
  EXPECT_EQ(large.error->firstColumn, 49);
  EXPECT_EQ(large.error->lastColumn, 56);
  EXPECT_EQ(large.error->message.rfind("list 65 (101 x L17) is out of the 32-bit range", 0), 0u);
}

}  // namespace
}  // namespace sizgen
