#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/sink.h"
#include "emit/generated_files.h"
#include "model/catalog.h"
#include "model/run_plan.h"
#include "sizing/run_planning.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using sizgen::testing::linesOf;

using Lines = std::vector<std::string>;

// dimdef.for as the writer renders `plan`.
Lines dimdefLines(const RunPlan& plan) {
  MemorySink dimdef;
  writeDimdefFile(plan, dimdef);
  return linesOf(dimdef.text());
}

// The plan of a deck without cards.
RunPlan emptyDeckPlan() {
  return planRun(DeckSettings{});
}

// The lines of the opening: the header and the NCHAIN = 0 block.
Lines opening(const RunPlan& plan) {
  Lines lines = dimdefLines(plan);
  lines.resize(6 + plan.firstBlock.size());
  return lines;
}

// The chain block of the group with `selector`, from its RETURN line on.
Lines chainBlock(const RunPlan& plan, std::int32_t selector) {
  Lines lines = dimdefLines(plan);
  std::string label = std::to_string(selector * 100);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].substr(0, 5).find(label) != std::string::npos &&
        lines[i].find("IF ( NCHAIN") != std::string::npos) {
      std::size_t end = i + 1;
      while (end < lines.size() && lines[end].starts_with("      LSIZE(")) ++end;
      return Lines(lines.begin() + static_cast<long>(i) - 1, lines.begin() + static_cast<long>(end));
    }
  }
  ADD_FAILURE() << "no chain block for selector " << selector;
  return {};
}

PlannedGroup& groupWithSelector(RunPlan& plan, std::int32_t selector) {
  for (PlannedGroup& group : plan.groups) {
    if (group.group->selector == selector) return group;
  }
  throw std::logic_error("no group with selector " + std::to_string(selector));
}

// The selector-20 block: row 111 gives list 23, row 112 list 1 (rows 113
// to 121 add nothing), row 122 list 99 written as 0, row 123 list 29, each
// as a pair of the list number and its size, `sizes` as written.
Lines selector20Block(const std::array<std::string_view, 4>& sizes) {
  return {
      "      RETURN",
      " 2000 IF ( NCHAIN  .NE.  20 )   GO TO 2100",
      "      LSIZE( 1)  =      23",
      "      LSIZE( 2)  =" + std::string(sizes[0]),
      "      LSIZE( 3)  =       1",
      "      LSIZE( 4)  =" + std::string(sizes[1]),
      "      LSIZE( 5)  =       0",
      "      LSIZE( 6)  =" + std::string(sizes[2]),
      "      LSIZE( 7)  =      29",
      "      LSIZE( 8)  =" + std::string(sizes[3]),
  };
}

const std::string kImplicit =
    "      IMPLICIT REAL*8 (A-H, O-Z),  INTEGER*4 (I-N)                              ";

TEST(DimdefFile, OpeningWithThirtyOneLists) {
  RunPlan plan = emptyDeckPlan();
  plan.firstBlock[0] = 250;
  Lines lines = opening(plan);
  ASSERT_EQ(lines.size(), 4u + 31u + 2u);
  EXPECT_EQ(lines[0], "      SUBROUTINE DIMDEF ( LSIZE, NCHAIN )");
  EXPECT_EQ(lines[1], kImplicit);
  EXPECT_EQ(lines[1].size(), 80u);
  EXPECT_EQ(lines[2], "      DIMENSION  LSIZE(50)");
  EXPECT_EQ(lines[3], "      IF ( NCHAIN  .NE.   0 )   GO TO 2000");
  EXPECT_EQ(lines[4], "      LSIZE( 1)  =     250");
  EXPECT_EQ(lines[5], "      LSIZE( 2)  =     300");
  EXPECT_EQ(lines[12], "      LSIZE( 9)  =      75");
  EXPECT_EQ(lines[13], "      LSIZE(10)  =     160");
  EXPECT_EQ(lines[16], "      LSIZE(13)  =    5000");
  EXPECT_EQ(lines[31], "      LSIZE(28)  =    7000");
  EXPECT_EQ(lines[34], "      LSIZE(31)  =      10");
  for (std::size_t k = 4; k < 35; ++k) EXPECT_EQ(lines[k].size(), 26u) << lines[k];
  EXPECT_EQ(lines[35], "      N7 = 31 + 1");
  EXPECT_EQ(lines[36], "      LSIZE(N7)  =     79880");
}

TEST(DimdefFile, OpeningWithThirtyTwoLists) {
  DeckSettings settings;
  settings.NLISTS = 32;
  settings.LSTNEW(31) = 20;
  settings.LSTNEW(33) = 7;  // never passed on
  RunPlan plan = planRun(settings);
  Lines lines = opening(plan);
  ASSERT_EQ(lines.size(), 4u + 32u + 2u);
  EXPECT_EQ(lines[34], "      LSIZE(31)  =      20");
  EXPECT_EQ(lines[35], "      LSIZE(32)  =     100");
  EXPECT_EQ(lines[36], "      N7 = 32 + 1");
  EXPECT_EQ(lines[37], "      LSIZE(N7)  =     80080");
  EXPECT_EQ(plan.LTLABL, 80080);
}

TEST(DimdefFile, ChainLabelLines) {
  RunPlan plan = emptyDeckPlan();
  for (PlannedGroup& group : plan.groups) group.pairs.clear();
  Lines lines = dimdefLines(plan);
  lines.erase(lines.begin(), lines.begin() + 37);
  lines.resize(lines.size() - 4);
  EXPECT_EQ(lines, (Lines{
                       "      RETURN",
                       " 2000 IF ( NCHAIN  .NE.  20 )   GO TO 2100",
                       "      RETURN",
                       " 2100 IF ( NCHAIN  .NE.  21 )   GO TO 2300",
                       "      RETURN",
                       " 2300 IF ( NCHAIN  .NE.  23 )   GO TO  900",
                       "      RETURN",
                       "  900 IF ( NCHAIN  .NE.   9 )   GO TO 2500",
                       "      RETURN",
                       " 2500 IF ( NCHAIN  .NE.  25 )   GO TO 2600",
                       "      RETURN",
                       " 2600 IF ( NCHAIN  .NE.  26 )   GO TO 2700",
                       "      RETURN",
                       " 2700 IF ( NCHAIN  .NE.  27 )   GO TO 2800",
                       "      RETURN",
                       " 2800 IF ( NCHAIN  .NE.  28 )   GO TO 9900",
                   }));
}

TEST(DimdefFile, Selector20Block) {
  RunPlan plan = emptyDeckPlan();
  groupWithSelector(plan, 20).pairs = {{23, 23, 4100}, {1, 1, 254}, {99, 0, 123456}, {29, 29, 79880}};
  EXPECT_EQ(chainBlock(plan, 20), selector20Block({"    4100", "     254", "  123456", "   79880"}));
}

TEST(DimdefFile, PairsOfEveryGroupStartAtOne) {
  // The empty deck: list 71 is 52 and list 73 is 53 by the square-root
  // rule, list 74 is 5 from SCALE6.
  RunPlan plan = emptyDeckPlan();
  Lines lines;
  for (std::int32_t selector : {9, 25, 26, 27, 28}) {
    Lines block = chainBlock(plan, selector);
    lines.insert(lines.end(), block.begin(), block.end());
  }
  EXPECT_EQ(lines, (Lines{
                       "      RETURN",
                       "  900 IF ( NCHAIN  .NE.   9 )   GO TO 2500",
                       "      LSIZE( 1)  =       1",
                       "      LSIZE( 2)  =     252",
                       "      LSIZE( 3)  =      23",
                       "      LSIZE( 4)  =    4000",
                       "      LSIZE( 5)  =      52",
                       "      LSIZE( 6)  =     200",
                       "      LSIZE( 7)  =       4",
                       "      LSIZE( 8)  =      50",
                       "      RETURN",
                       " 2500 IF ( NCHAIN  .NE.  25 )   GO TO 2600",
                       "      LSIZE( 1)  =       9",
                       "      LSIZE( 2)  =      75",
                       "      LSIZE( 3)  =      71",
                       "      LSIZE( 4)  =      52",
                       "      LSIZE( 5)  =      73",
                       "      LSIZE( 6)  =      53",
                       "      RETURN",
                       " 2600 IF ( NCHAIN  .NE.  26 )   GO TO 2700",
                       "      LSIZE( 1)  =       9",
                       "      LSIZE( 2)  =      75",
                       "      RETURN",
                       " 2700 IF ( NCHAIN  .NE.  27 )   GO TO 2800",
                       "      LSIZE( 1)  =       9",
                       "      LSIZE( 2)  =      75",
                       "      RETURN",
                       " 2800 IF ( NCHAIN  .NE.  28 )   GO TO 9900",
                       "      LSIZE( 1)  =      74",
                       "      LSIZE( 2)  =       5",
                   }));
}

TEST(DimdefFile, Closing) {
  Lines lines = dimdefLines(emptyDeckPlan());
  EXPECT_EQ(Lines(lines.end() - 4, lines.end()),
            (Lines{"      RETURN", " 9900 CONTINUE", "      RETURN", "      END"}));
}

TEST(DimdefFile, WholeFileHas58LinesAndOneForEachList) {
  for (std::int32_t NLISTS : {31, 32}) {
    DeckSettings settings;
    settings.NLISTS = NLISTS;
    Lines lines = dimdefLines(planRun(settings));
    EXPECT_EQ(lines.size(), 58u + static_cast<std::size_t>(NLISTS));
    for (const std::string& line : lines) EXPECT_LE(line.size(), 80u) << line;
  }
}

TEST(DimdefFile, SizesWiderThanTheirFieldAreWrittenInFull) {
  RunPlan plan = emptyDeckPlan();
  groupWithSelector(plan, 20).pairs = {
      {23, 23, 99999999},     // fits eight columns
      {1, 1, 100000000},      // does not
      {99, 0, 123456789},     // needs nine
      {29, 29, -2000000000}};
  EXPECT_EQ(chainBlock(plan, 20),
            selector20Block({"99999999", "100000000", "123456789", "-2000000000"}));

  plan.firstBlock[0] = 100000000;
  plan.firstBlock[1] = -10000000;
  plan.firstBlock[2] = -9999999;
  plan.firstBlock[22] = 99999999;
  plan.LTLABL = -1999921880;
  Lines lines = opening(plan);
  EXPECT_EQ(lines[4], "      LSIZE( 1)  =100000000");
  EXPECT_EQ(lines[5], "      LSIZE( 2)  =-10000000");
  EXPECT_EQ(lines[6], "      LSIZE( 3)  =-9999999");
  EXPECT_EQ(lines[26], "      LSIZE(23)  =99999999");
  EXPECT_EQ(lines[36], "      LSIZE(N7)  =-1999921880");
  plan.LTLABL = 2147483647;
  EXPECT_EQ(opening(plan)[36], "      LSIZE(N7)  =2147483647");
}

}  // namespace
}  // namespace sizgen
