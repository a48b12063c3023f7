// --format: hand-worked layouts, then properties over random decks: the
// layout is stable, and the formatted deck reads, plans and generates
// exactly as the original does.

#include "reading/deck_format.h"

#include <gtest/gtest.h>

#include <array>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/json_result.h"
#include "base/sink.h"
#include "emit/generated_files.h"
#include "reading/deck_reading.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

std::string formatted(std::string_view deck) {
  return formatDeck(readDeckText(deck)).value_or("(not formatted)");
}

TEST(FormatDeck, CanonicalLayoutOfHandWorkedCards) {
  struct Case {
    std::string_view what;
    std::string deck;
    std::string expected;
  };
  const Case cases[] = {
      {"values right-aligned, trailing blanks dropped", "DEFAULT  0.7     \nSCALE   2.0\n",
       "DEFAULT      0.7\nSCALE        2.0\n"},
      {"blanks inside a number removed", "     300 400 500\n", "     300  400500\n"},
      {"a comma keeps its column, the value goes before it", "  300  ,400\n", "    300,     400\n"},
      {"a value stops at the { comment", "12  {Optional card for Lists 31, etc.  \n",
       "  12{Optional card for Lists 31, etc.\n"},
      {"FIXED flags, two columns each", "FIXED     1 1\n", "FIXED      1 1\n"},
      {"a value across its columns' edge stays", "SCALE 2.0\n     300400\n",
       "SCALE 2.0\n     300400\n"},
      {"a value that would touch the text after it stays", "NBHDSW  0       {x\n",
       "NBHDSW  0       {x\n"},
      {"a value moves once the next field has moved", "  1     2\n", "       1       2\n"},
      {"comments and BLANK cards as they are", "C  note   \nBLANK  \n", "C  note   \nBLANK\n"},
      {"CR LF and a last line without its end", "CARDS    50\r\nROUND UP 8",
       "CARDS         50\r\nROUND UP       8"},
      {"text past column 80 stays in its columns",
       "1" + std::string(80, ' ') + "x\n",  // field 1 reads 1; column 82 is not read
       "       1" + std::string(73, ' ') + "x\n"},
      {"a blank last line without its end is kept, a card", "CARDS       1001\n   ",
       "CARDS       1001\n   "},
      {"cards after the deck's end as they are", "\n\n\n   90000\n 5   \n",
       "\n\n\n   90000\n 5   \n"},
      {"a deck that reads as it looks comes back as it is",
       "C sized\nDEFAULT      0.7\n     600\nRAM TABLES\n",
       "C sized\nDEFAULT      0.7\n     600\nRAM TABLES\n"},
      {"a deck with an error is not formatted", "DEFAULT  abc\n", "(not formatted)"},
  };
  for (const Case& c : cases) EXPECT_EQ(formatted(c.deck), c.expected) << c.what;
}

// Random decks made to be formatted: values anywhere in their fields,
// blanks inside them, commas, comments, BLANK cards, E-forms, text past
// column 80, CR LF, trailing blanks.
class RandomDeck {
 public:
  explicit RandomDeck(unsigned seed) : rng_(seed) {}

  std::string deck() {
    std::string text;
    const std::string_view end = chance(0.2) ? "\r\n" : "\n";
    for (int cards = pick(0, 9); cards > 0; --cards) text += card() + std::string(end);
    if (chance(0.2) && !text.empty()) text.resize(text.size() - end.size());
    return text;
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
  template <std::size_t N>
  std::string_view oneOf(const std::array<std::string_view, N>& values) {
    return values[static_cast<std::size_t>(pick(0, static_cast<int>(N) - 1))];
  }

  // `value` somewhere in `width` columns, now and then with a blank inside.
  std::string placed(std::string value, int width) {
    if (chance(0.2) && value.size() > 1) value.insert(1, " ");
    if (static_cast<int>(value.size()) > width) value.resize(static_cast<std::size_t>(width));
    std::string field(static_cast<std::size_t>(pick(0, width - static_cast<int>(value.size()))),
                      ' ');
    field += value;
    field.resize(static_cast<std::size_t>(width), ' ');
    return field;
  }

  std::string card() {
    static constexpr std::array<std::string_view, 6> kReals = {"0.7", "1.5",  "2",
                                                               "1E1", "-0.5", "10."};
    static constexpr std::array<std::string_view, 8> kIntegers = {"0",   "1",    "7",  "60",
                                                                  "600", "1000", "-5", "4096"};
    static constexpr std::array<std::string_view, 4> kRealKeywords = {"DEFAULT", "SCALE ", "NBHDSW",
                                                                      "DEFAULT"};
    static constexpr std::array<std::string_view, 2> kIntegerKeywords = {"CARDS ", "ROUND UP"};
    std::string card;
    switch (pick(0, 9)) {
      case 0:
        card = "C " + placed("note", 10);
        break;
      case 1:
        card = std::string(oneOf(kRealKeywords));
        card.resize(static_cast<std::size_t>(pick(6, 9)), ' ');
        card += placed(std::string(oneOf(kReals)), 8);
        break;
      case 2:
        card = std::string(oneOf(kIntegerKeywords)) + placed(std::string(oneOf(kIntegers)), 8);
        break;
      case 3:
        card = "FIXED     ";
        for (int flag = pick(0, 6); flag > 0; --flag) card += placed(chance(0.5) ? "1" : "", 2);
        break;
      case 4:
        card = chance(0.5) ? "BLANK" : "RAM TABLES";
        break;
      default: {
        const bool reals = chance(0.15);
        for (int field = pick(0, 10); field > 0; --field) {
          std::string value(reals ? "2.5E1" : oneOf(kIntegers));
          if (chance(0.1)) value += ",";
          card += chance(0.3) ? std::string(8, ' ') : placed(value, 8);
        }
        if (chance(0.2)) card.insert(std::min(card.size(), std::size_t{20}), "{a comment");
      }
    }
    if (chance(0.1)) card.resize(82, ' '), card += "past";
    if (chance(0.2)) card += "   ";
    return card;
  }

  std::mt19937 rng_;
};

// The files a plan generates.
std::array<std::string, 3> filesOf(const RunPlan& plan) {
  std::array<MemorySink, 3> sinks;
  writeModuleFile(plan, sinks[0]);
  writeDimdefFile(plan, sinks[1]);
  writeDebugFile(plan, sinks[2]);
  return {sinks[0].text(), sinks[1].text(), sinks[2].text()};
}

// The --json document without what formatting may change: the cards'
// texts and the warnings it removes.
nlohmann::json resultWithoutCardsAndWarnings(const DeckReading& reading) {
  nlohmann::json document = nlohmann::json::parse(jsonResult(*reading.plan, {}));
  document.erase("warnings");
  document.erase("cards");
  return document;
}

TEST(FormatDeck, FormattedRandomDecksReadPlanAndGenerateAsTheOriginals) {
  int sound = 0;
  int changed = 0;
  for (unsigned seed = 1; seed <= 600; ++seed) {
    const std::string deck = RandomDeck(seed).deck();
    const DeckReading original = readDeckText(deck);
    const std::optional<std::string> once = formatDeck(original);
    ASSERT_EQ(once.has_value(), !original.error) << deck;
    if (!once) continue;
    ++sound;
    if (*once != deck) ++changed;
    const DeckReading again = readDeckText(*once);
    ASSERT_FALSE(again.error) << deck << "\nformatted:\n" << *once;
    EXPECT_EQ(formatDeck(again), once) << deck;
    // Every card reads the same values from the same columns.
    ASSERT_EQ(again.cards.size(), original.cards.size()) << deck;
    for (std::size_t i = 0; i < original.cards.size(); ++i) {
      const DeckCard& a = original.cards[i];
      const DeckCard& b = again.cards[i];
      EXPECT_EQ(a.role, b.role) << deck;
      ASSERT_EQ(a.fields.size(), b.fields.size()) << deck;
      for (std::size_t f = 0; f < a.fields.size(); ++f) {
        EXPECT_EQ(a.fields[f].firstColumn, b.fields[f].firstColumn) << deck;
        EXPECT_EQ(a.fields[f].lastColumn, b.fields[f].lastColumn) << deck;
        EXPECT_EQ(a.fields[f].value, b.fields[f].value) << deck;
        EXPECT_EQ(a.fields[f].realValue, b.fields[f].realValue) << deck;
      }
    }
    EXPECT_EQ(resultWithoutCardsAndWarnings(again), resultWithoutCardsAndWarnings(original))
        << deck;
    EXPECT_EQ(filesOf(*again.plan), filesOf(*original.plan)) << deck;
    // Formatting only takes warnings away: each left is the original's, of
    // the same kind at the same card and columns.
    for (const Warning& warning : again.warnings) {
      EXPECT_TRUE(std::any_of(original.warnings.begin(), original.warnings.end(),
                              [&](const Warning& w) {
                                return w.kind == warning.kind && w.card == warning.card &&
                                       w.firstColumn == warning.firstColumn &&
                                       w.lastColumn == warning.lastColumn &&
                                       w.message == warning.message;
                              }))
          << deck << warning.message;
    }
  }
  // The decks exercise the formatter: most are sound, many change.
  EXPECT_GT(sound, 300);
  EXPECT_GT(changed, 150);
}

}  // namespace
}  // namespace sizgen
