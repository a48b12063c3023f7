#include "analysis/explanation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/sink.h"
#include "input/card_reader.h"
#include "input/deck_reader.h"
#include "sizing/run_planning.h"
#include "support/cards.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

namespace support = sizgen::testing;

using support::keywordCard;
using support::linesOf;
using support::listCard;

// The plan of `deck`, read as a plain run reads it.
RunPlan planOf(std::string deck) {
  std::FILE* in = support::openForReading(deck);
  if (in == nullptr) throw InternalError("cannot open the deck");
  CardReader cards(in);
  NullSink listing;
  DeckSettings settings;
  try {
    settings = readDeck(cards, listing);
  } catch (...) {
    std::fclose(in);
    throw;
  }
  std::fclose(in);
  return planRun(settings);
}

std::string explained(const std::string& deck, int list) {
  return explainLists(planOf(deck), list);
}

// A supplemental-offsets card after three blank list-size cards.
const std::string kBlankCards = "\n\n\n";

struct Case {
  std::string_view what;
  std::string deck;
  int list;
  std::vector<std::string> lines;  // each must be a whole line of the explanation
};

TEST(ExplainLists, KeyLinesOfHandWorkedCases) {
  const std::string list15 = listCard({"", "", "", "", "3599"});
  const std::vector<Case> cases = {
      {"a card value, through each adjustment of list 15",
       "\n" + list15,
       15,
       {"list 15: 3604", "  card 2, columns 33-40 (2nd list-size card, field 5): 3599",
        "  not a multiple of 4: 3599 + 2 = 3601", "  odd, made even: 3601 + 1 = 3602",
        "  not a multiple of 4: 3602 + 2 = 3604",
        "  dimensions: row 16 CSTO in C0B016 (ROOT10), CHARACTER*1 (3604), 3604 bytes",
        "  total: 1 array, 3604 bytes"}},
      {"a SCALE card of 1.0 keeps the value",
       keywordCard("SCALE", "1.0") + "\n" + list15,
       15,
       {"  card 3, columns 33-40 (2nd list-size card, field 5): 3599",
        "  final multiplier: 3599 x FINMUL 1.0 from card 1 (SCALE) = 3599"}},
      {"the columns really read: commas end fields early",
       "\n1,2,3,4,3599\n",
       15,
       {"  card 2, columns 9-16 (2nd list-size card, field 5): 3599"}},
      {"a field read as a real is truncated",
       listCard({"2.5E3", "900.7E0"}),
       2,
       {"list 2: 900",
        "  card 1, columns 9-16 (1st list-size card, field 2): 900.7 truncated: 900"}},
      {"a default times DEFMUL, truncated",
       keywordCard("DEFAULT", "0.7"),
       21,
       {"list 21: 69", "  default: LSTDEF(21) 100 x DEFMUL 0.7 from card 1 (DEFAULT) = 69"}},
      {"a zero on a card is no value",
       listCard({"0"}),
       1,
       {"  card 1, columns 1-8 (1st list-size card, field 1): 0, not given",
        "  default: LSTDEF(1) 250 x DEFMUL 1.0 (no DEFAULT card) = 250",
        "  plus 2: 250 + 2 = 252"}},
      {"a FIXED list under SCALE",
       keywordCard("SCALE", "2.0") + "FIXED      0 0 0 1\n",
       4,
       {"list 4: 50", "  default: LSTDEF(4) 50 x DEFMUL 1.0 (no DEFAULT card) = 50",
        "  no final multiplier: flag 1 on card 2, columns 17-18 (FIXED, field 4)"}},
      {"a list not FIXED under the same SCALE",
       keywordCard("SCALE", "2.0") + "FIXED      0 0 0 1\n",
       5,
       {"list 5: 5000", "  final multiplier: 2500 x FINMUL 2.0 from card 1 (SCALE) = 5000"}},
      {"a size below 1 becomes 1",
       listCard({"", "", "-5"}),
       3,
       {"list 3: 1", "  at least 1: -5 becomes 1"}},
      {"list 19 raised to its minimum",
       "\n" + listCard({"", "", "", "", "", "", "", "", "5"}),
       19,
       {"list 19: 23", "  at least 23: 5 becomes 23"}},
      {"the CARDS card sets list 31",
       keywordCard("CARDS", "500"),
       31,
       {"list 31: 500", "  card 1, columns 9-16 (CARDS): 500"}},
      {"a derived list with its operands",
       "",
       57,
       {"list 57: 756", "  derived: L1 x L24 = 252 x 3 = 756",
        "  dimensions: row 73 KKNONL in C0B073 (ROOT10), INTEGER*4 (756), 3024 bytes",
        "  dimensions: row 74 ZNONL in C0B074 (ROOT10), REAL*8 (756), 6048 bytes",
        "  total: 2 arrays, 9072 bytes"}},
      {"a derived list with a share",
       "",
       53,
       {"list 53: 85", "  derived: L9 + 3 x L25 / 112 = 75 + 3 x 400 / 112 = 85"}},
      {"a derived list by SCALE6",
       keywordCard("NBHDSW", "2.5"),
       56,
       {"  derived: L6 x SCALE6 = 40 x SCALE6 2.5 from card 1 (NBHDSW) = 100"}},
      {"the special value when L11 is 1",
       "\n" + listCard({"1"}),
       65,
       {"list 65: 1", "  L11 is 1: 1 instead of 101 x L17"}},
      {"list 71 across its groups",
       "",
       71,
       {"list 71: 504, then 70000 from ROOT23, then 52 from ROOT25",
        "  derived: 2 x L1 = 2 x 252 = 504",
        "  before ROOT23: LSTSUP(2) 70000 (start-up value) is greater than 500: 70000",
        "  before ROOT25: square-root rule on LSTSUP(4) 70000 (start-up value): root 55, x 0.98 = "
        "53, even: 52",
        "  seen by: ROOT10 504, ROOT20 504, ROOT21 504, ROOT23 70000, ROOT9 70000, ROOT25 52, "
        "ROOT26 52, ROOT27 52, ROOT28 52",
        "  total: 22 arrays, 1689088 bytes"}},
      {"list 73 is one more than list 71",
       "",
       73,
       {"list 73: 80, then 53 from ROOT25",
        "  before ROOT25: square-root rule on LSTSUP(4) 70000 (start-up value): root 55, x 0.98 = "
        "53, even: 52, plus 1: 53"}},
      {"list 74 from SCALE6",
       keywordCard("NBHDSW", "2.9"),
       74,
       {"list 74: 100, then 2 from ROOT28",
        "  before ROOT28: SCALE6 2.9 from card 1 (NBHDSW), truncated: 2"}},
      {"list 99 from the start-up offset",
       "",
       99,
       {"list 99: 0, then 70000 from ROOT20",
        "  before ROOT20: the first supplemental offset LSTSUP(1) 70000 (start-up value): 70000",
        "  dimensions: row 122 KARRAY in C20B01 (ROOT20), INTEGER*4 (70000), 280000 bytes"}},
      {"list 99 from an offsets card that gives less than 1",
       kBlankCards + listCard({"-3"}),
       99,
       {"list 99: 0, then 80000 from ROOT20",
        "  before ROOT20: the first supplemental offset LSTSUP(1) 80000 from card 4, "
        "columns 1-8 (supplemental-offsets card, field 1): -3, less than 1: 80000"}},
      {"list 71 from an offsets card not above 500",
       kBlankCards + listCard({"", "400"}),
       71,
       {"  before ROOT23: LSTSUP(2) 400 from card 4, columns 9-16 (supplemental-offsets card, "
        "field 2), is not greater than 500: 500"}},
      {"a list nothing sets",
       "",
       45,
       {"list 45: 0", "  no card, default or rule sets list 45", "  dimensions: no array"}},
      {"list 32 without the fourth card",
       "",
       32,
       {"list 32: 0", "  no card, default or rule sets list 32 (there is no 4th list-size card)"}},
      {"list 32 from its default with the fourth card",
       kBlankCards + listCard({"", ""}, "{ Optional card for Lists 31, etc."),
       32,
       {"list 32: 100", "  card 4, columns 9-16 (4th list-size card, field 2): 0, not given",
        "  default: LSTDEF(32) 100 x DEFMUL 1.0 (no DEFAULT card) = 100",
        "  dimensions: no array"}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> lines = linesOf(explained(c.deck, c.list));
    for (const std::string& line : c.lines) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end())
          << c.what << ": no line\n"
          << line << "\nin\n"
          << explained(c.deck, c.list);
    }
  }
}

TEST(ExplainLists, WholeTextOfAListNothingSetsAndOfAnAdjustedList) {
  EXPECT_EQ(explained("", 61),
            "list 61: 0\n"
            "  no card, default or rule sets list 61\n"
            "  dimensions: no array\n");
  EXPECT_EQ(explained("\n" + listCard({"", "", "", "", "3599"}), 15),
            "list 15: 3604\n"
            "  card 2, columns 33-40 (2nd list-size card, field 5): 3599\n"
            "  not a multiple of 4: 3599 + 2 = 3601\n"
            "  odd, made even: 3601 + 1 = 3602\n"
            "  not a multiple of 4: 3602 + 2 = 3604\n"
            "  dimensions: row 16 CSTO in C0B016 (ROOT10), CHARACTER*1 (3604), 3604 bytes\n"
            "  total: 1 array, 3604 bytes\n");
}

TEST(ExplainLists, CardValuesNothingUsesAndListTwentyNineAfterRamTables) {
  const std::string fourth =
      kBlankCards + listCard({"", "", "7"}, "{ Optional card for Lists 31, etc.");
  const std::vector<std::string> lines = linesOf(explained(fourth, 33));
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "list 33: 7", "  card 4, columns 17-24 (4th list-size card, field 3): 7",
                       "  nothing uses list 33: no rule reads it and no array is dimensioned by it",
                       "  dimensions: no array"}));

  const RunPlan plan = planOf("RAM TABLES\n");
  const std::string LTLABL = std::to_string(plan.LTLABL);
  const std::vector<std::string> list29 = linesOf(explainLists(plan, 29));
  ASSERT_GE(list29.size(), 3u);
  EXPECT_EQ(list29[0], "list 29: 1, then " + LTLABL + " from ROOT20");
  EXPECT_EQ(list29[2], "  before ROOT20: LTLABL, after card 1 (RAM TABLES): " + LTLABL);
}

TEST(ExplainLists, AllIsEveryListInOrderSeparatedByBlankLines) {
  const RunPlan plan = planOf("");
  std::string expected;
  for (int k = 1; k <= 99; ++k) expected += (k == 1 ? "" : "\n") + explainLists(plan, k);
  const std::string all = explainLists(plan, std::nullopt);
  EXPECT_EQ(all, expected);
  // Plain ASCII, no trailing blanks.
  for (const std::string& line : linesOf(all)) {
    EXPECT_FALSE(line.ends_with(' ')) << line;
    EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](char c) { return c >= 0x20 && c < 0x7f; }))
        << line;
  }
}

// The first number after "list k: " and each "then V from GROUP".
std::vector<std::string> headlineSizes(const std::string& headline) {
  std::vector<std::string> sizes;
  std::size_t at = headline.find(": ") + 2;
  sizes.push_back(headline.substr(at, headline.find(',', at) - at));
  for (at = headline.find("then "); at != std::string::npos; at = headline.find("then ", at)) {
    at += 5;
    sizes.push_back(headline.substr(at, headline.find(' ', at) - at));
  }
  return sizes;
}

TEST(ExplainLists, TheTraceAgreesWithThePlanForEveryList) {
  const std::vector<std::string> decks = {
      "",
      support::readFile(std::string(SIZGEN_SOURCE_DIR) + "/examples/typical.deck"),
      support::readTestData("decks/defmul.deck"),
      support::readTestData("decks/keywords.deck"),
      support::readTestData("decks/lists.deck"),
      support::readTestData("decks/ramtables.deck"),
      support::readTestData("decks/reals.deck"),
      keywordCard("SCALE", "0.5") + "FIXED      1 1 0 1\n" + "\n" + listCard({"1"}),
  };
  for (std::size_t d = 0; d < decks.size(); ++d) {
    const RunPlan plan = planOf(decks[d]);
    for (std::size_t k = 1; k <= 99; ++k) {
      const std::string where = "deck " + std::to_string(d) + ", list " + std::to_string(k);
      // Each step starts from the size the one before left, and the steps
      // taken before a group give the size that group sees.
      std::int32_t size = 0;
      std::size_t next = 0;
      const std::vector<ListStep>& steps = plan.history(k);
      for (std::size_t g = 0; g < plan.groups.size(); ++g) {
        for (; next < steps.size() && steps[next].group <= static_cast<int>(g); ++next) {
          EXPECT_EQ(steps[next].before, size) << where;
          size = steps[next].after;
        }
        if (g == 0) {
          EXPECT_EQ(size, plan.resolved(k)) << where;
        }
        EXPECT_EQ(size, plan.groups[g].LSTNEW(k)) << where << ", group " << g;
      }
      EXPECT_EQ(next, steps.size()) << where;

      // The headline shows the resolved size and each change between groups.
      const std::string text = explainLists(plan, static_cast<int>(k));
      std::vector<std::string> expected = {std::to_string(plan.groups[0].LSTNEW(k))};
      for (std::size_t g = 1; g < plan.groups.size(); ++g) {
        if (plan.groups[g].LSTNEW(k) != plan.groups[g - 1].LSTNEW(k))
          expected.push_back(std::to_string(plan.groups[g].LSTNEW(k)));
      }
      EXPECT_EQ(headlineSizes(linesOf(text).front()), expected) << where << "\n" << text;
    }
  }
}

TEST(ExplainLists, TheBinaryPrintsTheExplanations) {
  support::TempDir dir;
  const support::ProcessResult explainedRun =
      support::runSizgenBinary(dir.path(), "", {"--explain=57"});
  EXPECT_EQ(explainedRun.exitStatus, 0);
  EXPECT_EQ(explainedRun.err, "");
  EXPECT_EQ(explainedRun.out, explained("", 57));

  const std::string all = support::runSizgenBinary(dir.path(), "", {"--explain=all"}).out;
  EXPECT_EQ(all, explainLists(planOf(""), std::nullopt));
}

}  // namespace
}  // namespace sizgen
