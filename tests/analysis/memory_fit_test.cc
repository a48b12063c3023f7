// --fit=SIZE prints the SCALE card with the largest multiplier that keeps
// the COMMON storage within SIZE.  These tests put the printed card in the
// deck and let the binary say what storage it gives, and what the next
// larger value the card can hold gives.

#include "analysis/memory_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "analysis/scale_card_values.h"
#include "analysis/storage.h"
#include "base/error.h"
#include "driver/run.h"
#include "sizing/run_planning.h"
#include "support/cards.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using sizgen::testing::keywordCard;
using sizgen::testing::linesOf;
using sizgen::testing::listCard;
using sizgen::testing::openForReading;
using sizgen::testing::ProcessResult;
using sizgen::testing::readTestData;
using sizgen::testing::runSizgenBinary;
using sizgen::testing::TempDir;

// FIXED with flags for lists 1 to 30 in columns 11-70, two columns each.
std::string fixedCard(const std::vector<int>& fixedLists) {
  std::string card = "FIXED     " + std::string(60, ' ');
  for (int k : fixedLists) card[static_cast<std::size_t>(10 + 2 * k - 1)] = '1';
  return card + "\n";
}

std::vector<int> allListsBut(int kept) {
  std::vector<int> lists;
  for (int k = 1; k <= 30; ++k) {
    if (k != kept) lists.push_back(k);
  }
  return lists;
}

std::string scaleCardWith(const std::string& value) {
  return keywordCard("SCALE", value);
}

// `deck` with `card` (a line) after its keyword cards, before its first
// list-size card: the deck ends with the fifth list-size card, and the
// last SCALE card before that wins.
std::string withCard(const std::string& deck, const std::string& card) {
  std::string result;
  bool placed = false;
  for (const std::string& line : linesOf(deck)) {
    const bool listCard = line.empty() || line[0] == ' ' || line[0] == '.' ||
                          (line[0] >= '0' && line[0] <= '9') || line.rfind("BLANK", 0) == 0;
    if (listCard && !placed) {
      result += card;
      placed = true;
    }
    result += line + "\n";
  }
  return placed ? result : result + card;
}

// The COMMON storage that --check reports for a deck; nothing when the
// run fails.
std::optional<std::int64_t> checkedBytes(const std::string& deck) {
  TempDir dir;
  ProcessResult result = runSizgenBinary(dir.path(), deck, {"--check"});
  static const std::regex line(
      R"(deck is sound: LTLABL = -?\d+ words, COMMON storage = (\d+) bytes .*\n)");
  std::smatch m;
  if (result.exitStatus != 0) return std::nullopt;
  // The line, then the deck's warnings.
  const std::string first = result.out.substr(0, result.out.find('\n') + 1);
  EXPECT_TRUE(std::regex_match(first, m, line)) << result.out;
  return std::stoll(m[1]);
}

// The extent of CSTO (row 16), list 15 after its adjustments, from --report.
std::int32_t list15Extent(const std::string& deck) {
  TempDir dir;
  ProcessResult result = runSizgenBinary(dir.path(), deck, {"--report"});
  static const std::regex row(R"(   16  CSTO    C0B016    15  CHARACTER\*1 +(\d+) .*)");
  for (const std::string& text : linesOf(result.out)) {
    std::smatch m;
    if (std::regex_match(text, m, row)) return std::stoi(m[1]);
  }
  ADD_FAILURE() << result.out << result.err;
  return -1;
}

// The settings that `deck` records.
DeckSettings settingsOf(std::string deck) {
  std::FILE* file = openForReading(deck);
  DeckSettings settings = readDeckSettings(file, "deck");
  std::fclose(file);
  return settings;
}

struct PrintedFit {
  std::string card;
  std::int64_t bytes;
  std::string next;                       // the next value the card can hold
  std::optional<std::int64_t> nextBytes;  // nothing when it fails
  std::string replace;                    // the line naming the deck's own SCALE card
};

PrintedFit runFit(const std::string& deck, const std::string& size) {
  TempDir dir;
  ProcessResult result = runSizgenBinary(dir.path(), deck, {"--fit=" + size});
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  // A card after the deck's end is warned about; nothing else is said.
  for (const std::string& line : linesOf(result.err))
    EXPECT_TRUE(line.starts_with("sizgen: warning: ")) << line;
  std::vector<std::string> lines = linesOf(result.out);
  EXPECT_TRUE(lines.size() == 3 || lines.size() == 4) << result.out;
  if (lines.size() != 3 && lines.size() != 4) return {};
  static const std::regex storage(
      R"(COMMON storage with this card: (\d+) bytes.*, within \d+ bytes.*)");
  static const std::regex next(
      R"(The next value the card can hold, (\S+), (needs (\d+) bytes.*|fails: .*)|)"
      R"(It is the largest value the card can hold, and every value gives the same storage: .*)");
  std::smatch s;
  std::smatch n;
  EXPECT_TRUE(std::regex_match(lines[1], s, storage)) << lines[1];
  EXPECT_TRUE(std::regex_match(lines[2], n, next)) << lines[2];
  PrintedFit fit{lines[0], std::stoll(s[1]), n[1], std::nullopt, ""};
  if (n[3].matched) fit.nextBytes = std::stoll(n[3]);
  if (lines.size() == 4) fit.replace = lines[3];
  return fit;
}

// The value after `value` among those with 7 significant digits, as the
// card holds them from 1 to 9999999: one unit in the seventh digit.
long double sevenDigitStep(long double value) {
  return std::pow(10.0L, std::floor(std::log10(value)) - 6);
}

struct FitCase {
  const char* name;
  std::string deck;
  const char* size;
  std::int64_t budget;
};

std::vector<FitCase> fitCases() {
  const std::string typical = readTestData("../examples/typical.deck");
  return {
      {"Typical4MiB", typical, "4MiB", 4194304},
      {"Typical2MiB", typical, "2MiB", 2097152},
      {"Typical100M", typical, "100M", 100000000},
      {"Empty4MiB", "", "4194304", 4194304},
      {"Empty1GiB", "", "1GiB", 1073741824},
      {"Fixed", fixedCard({3, 13, 23, 28}) + keywordCard("DEFAULT", "2"), "3MiB", 3145728},
      {"RoundUp", keywordCard("ROUND UP", "65536") + listCard({"", "", "", "", "", "", "900"}),
       "20MiB", 20971520},
      // List 56 falls as list 6 grows; after RAM TABLES JARRAY follows LTLABL.
      {"NegativeNbhdsw", "RAM TABLES\n" + keywordCard("NBHDSW", "-100.0"), "2MiB", 2097152},
      // Only list 6 moves, and list 56 = -1000 x L6 with it: LTLABL, and
      // JARRAY after RAM TABLES, shrink as L6 grows until LTLABL is 0,
      // then the storage grows again.  The smallest multiplier does not
      // fit 2700000 bytes; larger ones do.
      {"StorageFallsThenRises",
       "RAM TABLES\n" + keywordCard("NBHDSW", "-1000.0") + fixedCard(allListsBut(6)) +
           listCard({"", "", "", "", "", "1000"}),
       "2700000", 2700000},
      // The deck's own SCALE card is ignored by the search (and named).
      {"OwnScaleIgnored", scaleCardWith("0.01") + typical, "4MiB", 4194304},
      // After the deck's end a SCALE card is not read (and warned about).
      {"OwnScaleLast", typical + scaleCardWith("0.01"), "4MiB", 4194304},
  };
}

class FitThroughTheBinary : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitThroughTheBinary, TheCardFitsAndTheNextValueDoesNot) {
  const FitCase& c = GetParam();
  const PrintedFit fit = runFit(c.deck, c.size);
  ASSERT_EQ(fit.card.size(), 16u) << fit.card;
  ASSERT_EQ(fit.card.substr(0, 8), "SCALE   ");
  // The last SCALE card wins: appended, it is the one in force.
  std::optional<std::int64_t> bytes = checkedBytes(withCard(c.deck, fit.card + "\n"));
  // A deck with its own SCALE card is told which card to replace; so
  // replaced, the deck gives the storage printed.
  const auto own = settingsOf(c.deck).FINMUL.origin.card;
  if (own != 0) {
    EXPECT_EQ(fit.replace, "Replace card " + std::to_string(own) +
                               ", the deck's own SCALE card, with this card: a SCALE card "
                               "read later wins.");
    std::vector<std::string> lines = linesOf(c.deck);
    lines[static_cast<std::size_t>(own - 1)] = fit.card;
    std::string replaced;
    for (const std::string& line : lines) replaced += line + "\n";
    EXPECT_EQ(checkedBytes(replaced), fit.bytes);
  } else {
    EXPECT_EQ(fit.replace, "");
  }
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, fit.bytes);
  EXPECT_LE(*bytes, c.budget);

  // The next value: one unit more in the seventh significant digit.
  const long double value = std::stold(fit.card.substr(8));
  EXPECT_NEAR(static_cast<double>(std::stold(fit.next) - value),
              static_cast<double>(sevenDigitStep(value)),
              static_cast<double>(sevenDigitStep(value) / 1000))
      << fit.card << " then " << fit.next;
  std::optional<std::int64_t> nextBytes = checkedBytes(withCard(c.deck, scaleCardWith(fit.next)));
  EXPECT_EQ(nextBytes, fit.nextBytes);
  if (nextBytes) {
    EXPECT_GT(*nextBytes, c.budget);
  }
}

INSTANTIATE_TEST_SUITE_P(Decks, FitThroughTheBinary, ::testing::ValuesIn(fitCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Fit, TypicalDeckIn4MiBTakesThreeAndFourTenths) {
  const PrintedFit fit = runFit(readTestData("../examples/typical.deck"), "4MiB");
  EXPECT_EQ(fit.card, "SCALE        3.4");
  EXPECT_EQ(fit.bytes, 4178088);
  EXPECT_EQ(fit.next, "3.400001");
  EXPECT_EQ(fit.nextBytes, 4202676);
}

// Only list 15 moves (every other list FIXED, list 31 stays 1 below a
// multiplier of 0.1): the storage is a constant plus list 15 after its
// adjustment, which is 4, 4, 8, 4, 8, 8, 12, 8, 12, 12 for resolved sizes
// 1 to 10.  A larger multiplier can fit where a smaller one does not:
// resolved 8 fits the constant + 8 where 7 does not.
TEST(Fit, ListFifteenAdjustmentIsNotMonotone) {
  const std::string deck =
      fixedCard(allListsBut(15)) + "BLANK\n" + listCard({"", "", "", "", "1000"});
  std::optional<std::int64_t> withFour = checkedBytes(withCard(deck, scaleCardWith("0.0045")));
  ASSERT_TRUE(withFour.has_value());
  ASSERT_EQ(list15Extent(withCard(deck, scaleCardWith("0.0045"))), 4);
  const std::int64_t constant = *withFour - 4;
  for (auto [extra, largestResolved] : {std::pair{8, 8}, std::pair{7, 4}, std::pair{12, 12}}) {
    SCOPED_TRACE("budget constant + " + std::to_string(extra));
    const PrintedFit fit = runFit(deck, std::to_string(constant + extra));
    const std::int32_t extent = list15Extent(withCard(deck, fit.card + "\n"));
    EXPECT_LE(extent, extra);
    // The resolved size is the extent less the adjustment, read back from
    // the next card: it resolves to one more and does not fit.
    EXPECT_GT(list15Extent(withCard(deck, scaleCardWith(fit.next))), extra) << fit.card;
    EXPECT_EQ(fit.bytes, constant + extent);
    // Resolved 8 gives 8, resolved 12 gives 12; resolved 4 gives 4.
    EXPECT_EQ(extent, largestResolved);
  }
}

// The same in process for many budgets: with the constant + 4n bytes the
// largest resolved list 15 that fits is 4n (4n - 1 adjusts to 4n + 4), up
// to a multiplier of 0.1, where list 31 (CIDEAL, 80 bytes) leaves 1.
TEST(Fit, EveryHoleOfListFifteenIsStepped) {
  const DeckSettings settings =
      settingsOf(fixedCard(allListsBut(15)) + "BLANK\n" + listCard({"", "", "", "", "1000"}));
  DeckSettings four = settings;
  four.KSCALE = 1;
  four.FINMUL = 0.0045;
  const RunPlan plan = planRun(four);
  ASSERT_EQ(plan.resolved(15), 4);
  const std::int64_t constant = totalBytes(plan) - 4;
  for (std::int32_t extra = 4; extra <= 96; extra += 4) {
    MemoryFit fit = fitMemory(settings, constant + extra);
    ASSERT_TRUE(fit.largest.has_value()) << extra;
    DeckSettings found = settings;
    found.KSCALE = 1;
    found.FINMUL = fit.largest->multiplier;
    EXPECT_EQ(planRun(found).resolved(15), extra) << fit.largest->value;
    EXPECT_EQ(*fit.largest->bytes, constant + extra);
  }
}

// When nothing fits, the message quotes the least storage a positive value
// gives and the card that gives it: the smallest value for a deck whose
// storage grows with the multiplier, a larger one where it falls first.
TEST(Fit, NothingFitsQuotesTheLeastStorageAndItsCard) {
  const std::string falling = "RAM TABLES\n" + keywordCard("NBHDSW", "-1000.0") +
                              fixedCard(allListsBut(6)) + listCard({"", "", "", "", "", "1000"});
  for (const std::string& deck : {std::string(), falling}) {
    const MemoryFit fit = fitMemory(settingsOf(deck), 1000);
    ASSERT_FALSE(fit.largest.has_value());
    ASSERT_TRUE(fit.least.has_value());
    const std::optional<std::int64_t> least =
        checkedBytes(withCard(deck, scaleCardWith(fit.least->value)));
    ASSERT_TRUE(least.has_value());
    EXPECT_EQ(*fit.least->bytes, *least);
    // No value tried, on a grid over all the values the card holds and
    // around the one found, needs less; none above the one found as little.
    const std::int64_t count = scaleValueCount();
    const std::int64_t found = scaleValueIndex(fit.least->multiplier);
    std::vector<std::int64_t> indices;
    for (std::int64_t i = 0; i < count; i += count / 499) indices.push_back(i);
    for (std::int64_t i = std::max<std::int64_t>(0, found - 300); i < std::min(count, found + 300);
         ++i) {
      indices.push_back(i);
    }
    for (std::int64_t i : indices) {
      DeckSettings tried = settingsOf(deck);
      tried.KSCALE = 1;
      tried.FINMUL = scaleValue(i).multiplier;
      try {
        const std::int64_t bytes = totalBytes(planRun(tried));
        EXPECT_GE(bytes, *least) << scaleValue(i).value;
        if (i > found) {
          EXPECT_GT(bytes, *least) << scaleValue(i).value;
        }
      } catch (const Error&) {
        // out of the 32-bit range: not a candidate
      }
    }
    TempDir dir;
    ProcessResult result = runSizgenBinary(dir.path(), deck, {"--fit=1000"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "sizgen: no SCALE card with a positive value keeps the COMMON storage within "
              "1000 bytes: the least any of them needs is " +
                  bytesText(*least) + ", with SCALE " + fit.least->value +
                  (fit.least->value == "1E-10" ? ", which leaves every list it scales at 1" : "") +
                  " (negative values are not searched)\n");
  }
  // Where the storage falls as list 6 grows, a larger value needs less.
  EXPECT_NE(fitMemory(settingsOf(falling), 1000).least->value, "1E-10");
}

// With no list that the multiplier scales, every value gives the same
// storage, and the card printed is the largest the card can hold.
TEST(Fit, NoScaledListGivesTheLargestValueTheCardHolds) {
  const std::string deck = keywordCard("DEFAULT", "0") + listCard({""});
  const PrintedFit fit = runFit(deck, "100MiB");
  EXPECT_EQ(fit.card, "SCALE   1797+305");
  EXPECT_EQ(checkedBytes(withCard(deck, fit.card + "\n")), fit.bytes);
  EXPECT_EQ(checkedBytes(deck), fit.bytes);
}

TEST(FitSearch, FewPlansForTheExampleDeck) {
  const DeckSettings settings = settingsOf(readTestData("../examples/typical.deck"));
  for (std::int64_t budget :
       {std::int64_t{4194304}, std::int64_t{2097152}, std::int64_t{1} << 30}) {
    MemoryFit fit = fitMemory(settings, budget);
    ASSERT_TRUE(fit.largest.has_value());
    EXPECT_LE(*fit.largest->bytes, budget);
    EXPECT_LE(fit.plansEvaluated, 60) << budget;
  }
}

}  // namespace
}  // namespace sizgen
