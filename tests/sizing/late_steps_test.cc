#include "sizing/late_steps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::errorOf;
using testing::linesOf;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// Lists 71 and 73 of ROOT25 for the offsets V1 (first) and V4 (fourth).
std::pair<std::int32_t, std::int32_t> root25Lists(std::int32_t V4, std::int32_t V1 = 70000) {
  DeckSettings settings;
  settings.LSTSUP(1) = V1;
  settings.LSTSUP(4) = V4;
  SquareRootLists lists = squareRootLists(settings);
  return {lists.list71, lists.list73};
}

using Pair = std::pair<std::int32_t, std::int32_t>;

TEST(LateSteps, List99IsTheFirstOffset) {
  DeckSettings settings;
  EXPECT_EQ(supplementalList(settings), 70000);
  settings.LSTSUP(1) = 123456;
  EXPECT_EQ(supplementalList(settings), 123456);
}

TEST(LateSteps, PlotListAtLeast500) {
  DeckSettings settings;
  EXPECT_EQ(plotList(settings), 70000);
  for (auto [offset, expected] : {Pair{742, 742}, Pair{501, 501}, Pair{500, 500}, Pair{300, 500},
                                  Pair{0, 500}, Pair{-800, 500}}) {
    settings.LSTSUP(2) = offset;
    EXPECT_EQ(plotList(settings), expected) << "LSTSUP(2) = " << offset;
  }
}

TEST(LateSteps, SquareRootRule) {
  EXPECT_EQ(squareRootLists(DeckSettings{}).list71, 52);  // V = 70000: n = 55, then 53
  EXPECT_EQ(squareRootLists(DeckSettings{}).list73, 53);
  EXPECT_EQ(root25Lists(70000), (Pair{52, 53}));
  EXPECT_EQ(root25Lists(80000), (Pair{56, 57}));  // 59, then 57
  // x is 206.25 squared: n = 8 exactly, then 7.
  EXPECT_EQ(root25Lists(1926), (Pair{6, 7}));
  EXPECT_EQ(root25Lists(1927), (Pair{6, 7}));
  EXPECT_EQ(root25Lists(100), (Pair{2, 3}));  // n = 0
  EXPECT_EQ(root25Lists(2), (Pair{2, 3}));    // the root is negative
  EXPECT_EQ(root25Lists(123456), (Pair{70, 71}));
  EXPECT_EQ(root25Lists(kMax), (Pair{9736, 9737}));
}

TEST(LateSteps, SinglePrecisionFactor) {
  // V = 223968: x is 2207.25 squared and n = 100 exactly; 100 times the
  // single-precision 0.98 is 98, where the double-precision 0.98 would give
  // 97 and so lists 96 and 97.
  EXPECT_EQ(root25Lists(223968), (Pair{98, 99}));
  // V = 57618: n = 50, then 49, made even.
  EXPECT_EQ(root25Lists(57618), (Pair{48, 49}));
}

TEST(LateSteps, NegativeOffsetsGiveTheMinimum) {
  // From V = -30 on x is negative: no root, n = 2, and no error.
  for (std::int32_t V : {-28, -29, -30, -31, -100000, kMin}) {
    EXPECT_EQ(root25Lists(V), (Pair{2, 3})) << "V = " << V;
  }
}

TEST(LateSteps, FourthOffsetFallsBackToTheFirst) {
  EXPECT_EQ(root25Lists(0, 1926), (Pair{6, 7}));
  EXPECT_EQ(root25Lists(0, 80000), (Pair{56, 57}));
  EXPECT_EQ(root25Lists(0, -30), (Pair{2, 3}));
  EXPECT_EQ(root25Lists(80000, 1926), (Pair{56, 57}));
}

TEST(LateSteps, NeighbourListTruncatesScale6) {
  DeckSettings settings;
  EXPECT_EQ(neighbourList(settings), 5);
  settings.SCALE6 = 2.9;
  EXPECT_EQ(neighbourList(settings), 2);
  settings.SCALE6 = -0.5;
  EXPECT_EQ(neighbourList(settings), 0);
  settings.SCALE6 = -2.9;
  EXPECT_EQ(neighbourList(settings), -2);
  settings.SCALE6 = 2147483647.9;
  EXPECT_EQ(neighbourList(settings), kMax);
}

TEST(LateSteps, NeighbourListOutOfRange) {
  for (double SCALE6 : {3e9, -3e9, 2147483648.0, std::numeric_limits<double>::infinity()}) {
    DeckSettings settings;
    settings.SCALE6 = SCALE6;
    EXPECT_EQ(errorOf([&] { neighbourList(settings); }),
              "list 74 (SCALE6) is out of the 32-bit range")
        << "SCALE6 = " << SCALE6;
  }
}

// ---------------------------------------------------------------------------
// The late sizes as DIMDEF passes them on

// The LSIZE lines of the chain block that begins with `label`.
std::vector<std::string> chainBlock(const std::vector<std::string>& dimdef,
                                    const std::string& label, std::size_t pairs) {
  auto at = std::find(dimdef.begin(), dimdef.end(), label);
  if (at == dimdef.end() || static_cast<std::size_t>(dimdef.end() - at) <= 2 * pairs) {
    ADD_FAILURE() << "no block " << label;
    return {};
  }
  return std::vector<std::string>(at + 1, at + 1 + static_cast<std::ptrdiff_t>(2 * pairs));
}

const std::string kBlock20 = " 2000 IF ( NCHAIN  .NE.  20 )   GO TO 2100";
const std::string kBlock23 = " 2300 IF ( NCHAIN  .NE.  23 )   GO TO  900";
const std::string kBlock25 = " 2500 IF ( NCHAIN  .NE.  25 )   GO TO 2600";
const std::string kBlock28 = " 2800 IF ( NCHAIN  .NE.  28 )   GO TO 9900";

std::vector<std::string> dimdefOf(const std::string& deck) {
  testing::TempDir dir;
  testing::ProcessResult run = testing::runSizgenBinary(dir.path(), deck);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  // A negative NBHDSW is warned about, nothing else.
  EXPECT_TRUE(run.err.empty() || run.err.starts_with("sizgen: warning: ")) << run.err;
  return linesOf(testing::readFile(dir.file("dimdef.for")));
}

TEST(LateStepsInDimdef, WithoutOffsetsCard) {
  auto dimdef = dimdefOf("");
  EXPECT_EQ(chainBlock(dimdef, kBlock20, 4)[5], "      LSIZE( 6)  =   70000");  // list 99
  EXPECT_EQ(chainBlock(dimdef, kBlock23, 1),
            (std::vector<std::string>{"      LSIZE( 1)  =      71", "      LSIZE( 2)  =   70000"}));
  EXPECT_EQ(chainBlock(dimdef, kBlock25, 3),
            (std::vector<std::string>{"      LSIZE( 1)  =       9", "      LSIZE( 2)  =      75",
                                      "      LSIZE( 3)  =      71", "      LSIZE( 4)  =      52",
                                      "      LSIZE( 5)  =      73", "      LSIZE( 6)  =      53"}));
  EXPECT_EQ(chainBlock(dimdef, kBlock28, 1),
            (std::vector<std::string>{"      LSIZE( 1)  =      74", "      LSIZE( 2)  =       5"}));
}

TEST(LateStepsInDimdef, BlankFourthOffset) {
  // Three blank list-size cards, then the offsets: the fourth field is
  // blank, so the square-root rule takes the first offset, 1926.
  auto dimdef = dimdefOf("\n\n\n    1926     900\n");
  auto block20 = chainBlock(dimdef, kBlock20, 4);
  ASSERT_EQ(block20.size(), 8u);
  EXPECT_EQ(block20[4], "      LSIZE( 5)  =       0");
  EXPECT_EQ(block20[5], "      LSIZE( 6)  =    1926");
  EXPECT_EQ(chainBlock(dimdef, kBlock23, 1)[1], "      LSIZE( 2)  =     900");
  auto block25 = chainBlock(dimdef, kBlock25, 3);
  ASSERT_EQ(block25.size(), 6u);
  EXPECT_EQ(block25[3], "      LSIZE( 4)  =       6");
  EXPECT_EQ(block25[5], "      LSIZE( 6)  =       7");
}

TEST(LateStepsInDimdef, OffsetsCardMinimums) {
  // A blank second offset becomes 742; a fourth of -30 leaves no root.
  auto dimdef = dimdefOf("\n\n\n    1926                     -30\n");
  EXPECT_EQ(chainBlock(dimdef, kBlock23, 1)[1], "      LSIZE( 2)  =     742");
  auto block25 = chainBlock(dimdef, kBlock25, 3);
  ASSERT_EQ(block25.size(), 6u);
  EXPECT_EQ(block25[3], "      LSIZE( 4)  =       2");
  EXPECT_EQ(block25[5], "      LSIZE( 6)  =       3");
}

TEST(LateStepsInDimdef, Scale6ForRoot28) {
  EXPECT_EQ(chainBlock(dimdefOf("NBHDSW  2.9\n"), kBlock28, 1)[1], "      LSIZE( 2)  =       2");
  EXPECT_EQ(chainBlock(dimdefOf("NBHDSW  -0.5\n"), kBlock28, 1)[1], "      LSIZE( 2)  =       0");
}

}  // namespace
}  // namespace sizgen
