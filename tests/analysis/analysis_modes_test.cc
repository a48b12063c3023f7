// Every analysis mode reads and plans the deck as a run does: a deck error
// is reported with the run's message and exit status, nothing is printed
// on standard output then, and no file is written or created either way.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/cards.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

namespace support = sizgen::testing;

using support::keywordCard;
using support::listCard;

struct ModeCase {
  const char* name;
  std::string argument;
  // --fit replaces the deck's SCALE card: an error that depends on the
  // multiplier is not one of its errors.
  bool usesTheDecksScale;
};

// Decks that a plain run stops with an error; `scaled`: the error comes
// from the deck's SCALE card.
struct FailingDeck {
  std::string deck;
  bool scaled;
};

std::vector<FailingDeck> failingDecks() {
  return {
      {support::readTestData("decks/error.deck"), false},
      {"x\n", false},                           // a field that is not a number
      {"\n  1.0E20\n", false},                  // a card value beyond 32 bits
      {keywordCard("DEFAULT", "1E38"), false},  // list 1 beyond 32 bits
      {keywordCard("NBHDSW", "1E999"), false},  // list 56 beyond 32 bits
      {keywordCard("SCALE", "1.0E5"), true},    // list 57 scaled beyond 32 bits
      {listCard({"99999999"}), true},           // MTOT beyond 32 bits
      {keywordCard("SCALE", "1.0E30"), true},   // list 1 scaled beyond 32 bits
  };
}

class AnalysisMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(AnalysisMode, PrintsWithoutWritingAFile) {
  support::TempDir dir;
  const support::ProcessResult result = support::runSizgenBinary(
      dir.path(), support::readTestData("../examples/typical.deck"), {GetParam().argument});
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(result.out.ends_with("\n")) << result.out;
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_P(AnalysisMode, ReportsADeckErrorAsARunReportsIt) {
  for (const FailingDeck& failing : failingDecks()) {
    if (failing.scaled && !GetParam().usesTheDecksScale) continue;
    SCOPED_TRACE(failing.deck);
    support::TempDir plainDir;
    support::TempDir dir;
    const support::ProcessResult plain = support::runSizgenBinary(plainDir.path(), failing.deck);
    const support::ProcessResult analysed =
        support::runSizgenBinary(dir.path(), failing.deck, {GetParam().argument});
    ASSERT_EQ(plain.exitStatus, 1);
    EXPECT_TRUE(plain.err.starts_with("sizgen: ")) << plain.err;
    EXPECT_EQ(analysed.exitStatus, 1);
    EXPECT_EQ(analysed.err, plain.err);
    EXPECT_EQ(analysed.out, "");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, AnalysisMode,
    ::testing::Values(ModeCase{"Check", "--check", true}, ModeCase{"Report", "--report", true},
                      ModeCase{"Json", "--json", true}, ModeCase{"ExplainOne", "--explain=1", true},
                      ModeCase{"ExplainAll", "--explain=all", true},
                      ModeCase{"Fit", "--fit=4GiB", false}, ModeCase{"Html", "--html", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sizgen
