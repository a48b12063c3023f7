#include "emit/dimdef_writer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/formatted_io.h"
#include "sizing/catalog.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using sizgen::testing::linesOf;
using sizgen::testing::readFile;
using sizgen::testing::TempDir;

using Lines = std::vector<std::string>;

constexpr int kDimdefUnit = 3;

// The records that `write` writes through a DimdefWriter on unit 3,
// connected to a file of its own, as the file holds them at the end.
Lines writtenLines(const std::function<void(DimdefWriter&)>& write) {
  TempDir dir;
  std::FILE* listing = std::tmpfile();
  {
    fio::Session session(listing);
    session.open(kDimdefUnit, dir.file("dimdef.for"), "dimdef.for");
    DimdefWriter writer{fio::Unit(kDimdefUnit)};
    write(writer);
    session.close();
  }
  std::fclose(listing);
  std::string content = readFile(dir.file("dimdef.for"));
  EXPECT_TRUE(content.empty() || content.back() == '\n');
  return linesOf(content);
}

// The list sizes of a deck without cards, after the resolution and with
// list 99 from the first supplemental offset.
ListSizes emptyDeckSizes() {
  const std::int32_t lists[] = {252,  300,  500, 50,   2500, 40,   700, 1750, 75,  160, 50,
                                50,   5000, 20,  3600, 40,   4,    5,   1600, 860, 100, 350,
                                4000, 3,    400, 84,   26,   7000, 1,   2,    10};
  ListSizes LSTNEW;
  for (std::size_t k = 1; k <= 31; ++k) LSTNEW(k) = lists[k - 1];
  const std::int32_t derived[] = {100, 200, 85,  2520, 79,  200, 756, 200, 168, 80, 0,  20,
                                  120, 160, 404, 96,   480, 240, 120, 252, 504, 9,  80, 100};
  for (std::size_t k = 51; k <= 74; ++k) LSTNEW(k) = derived[k - 51];
  LSTNEW(99) = 70000;
  return LSTNEW;
}

const Group& groupWithSelector(std::int32_t selector) {
  for (const Group& group : kGroups) {
    if (group.selector == selector) return group;
  }
  throw std::logic_error("no group with selector " + std::to_string(selector));
}

void enterGroup(DimdefWriter& writer, const Group& group, const ListSizes& LSTNEW) {
  writer.startChainBlock(group);
  for (int i = group.firstRow; i <= group.lastRow; ++i) writer.enterRow(group, i, LSTNEW);
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

TEST(DimdefWriter, OpeningWithThirtyOneLists) {
  ListSizes LSTNEW = emptyDeckSizes();
  LSTNEW(1) = 250;
  LSTNEW(32) = 64;  // not one of the 31
  Lines lines = writtenLines([&](DimdefWriter& w) { w.open(LSTNEW, 31, 79880); });
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

TEST(DimdefWriter, OpeningWithThirtyTwoLists) {
  ListSizes LSTNEW = emptyDeckSizes();
  LSTNEW(31) = 20;
  LSTNEW(32) = 100;
  LSTNEW(33) = 7;  // never passed on
  Lines lines = writtenLines([&](DimdefWriter& w) { w.open(LSTNEW, 32, 80080); });
  ASSERT_EQ(lines.size(), 4u + 32u + 2u);
  EXPECT_EQ(lines[34], "      LSIZE(31)  =      20");
  EXPECT_EQ(lines[35], "      LSIZE(32)  =     100");
  EXPECT_EQ(lines[36], "      N7 = 32 + 1");
  EXPECT_EQ(lines[37], "      LSIZE(N7)  =     80080");
}

TEST(DimdefWriter, ChainLabelLines) {
  Lines lines = writtenLines([](DimdefWriter& w) {
    for (std::size_t g = 1; g < kGroups.size(); ++g) w.startChainBlock(kGroups[g]);
  });
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

TEST(DimdefWriter, Selector20Block) {
  ListSizes LSTNEW = emptyDeckSizes();
  LSTNEW(23) = 4100;
  LSTNEW(1) = 254;
  LSTNEW(99) = 123456;
  LSTNEW(29) = 79880;
  Lines lines =
      writtenLines([&](DimdefWriter& w) { enterGroup(w, groupWithSelector(20), LSTNEW); });
  EXPECT_EQ(lines, selector20Block({"    4100", "     254", "  123456", "   79880"}));
}

TEST(DimdefWriter, PairsOfEveryGroupStartAtOne) {
  ListSizes LSTNEW = emptyDeckSizes();
  LSTNEW(71) = 52;
  LSTNEW(73) = 53;
  LSTNEW(74) = 5;
  Lines lines = writtenLines([&](DimdefWriter& w) {
    for (std::int32_t selector : {9, 25, 26, 27, 28})
      enterGroup(w, groupWithSelector(selector), LSTNEW);
  });
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

TEST(DimdefWriter, Closing) {
  Lines lines = writtenLines([](DimdefWriter& w) { w.close(); });
  EXPECT_EQ(lines, (Lines{"      RETURN", " 9900 CONTINUE", "      RETURN", "      END"}));
}

TEST(DimdefWriter, WholeFileHas58LinesAndOneForEachList) {
  ListSizes LSTNEW = emptyDeckSizes();
  for (std::int32_t NLISTS : {31, 32}) {
    Lines lines = writtenLines([&](DimdefWriter& w) {
      w.open(LSTNEW, NLISTS, 79880);
      for (std::size_t g = 1; g < kGroups.size(); ++g) enterGroup(w, kGroups[g], LSTNEW);
      w.close();
    });
    EXPECT_EQ(lines.size(), 58u + static_cast<std::size_t>(NLISTS));
    for (const std::string& line : lines) EXPECT_LE(line.size(), 80u) << line;
  }
}

TEST(DimdefWriter, SizesWiderThanTheirFieldAreWrittenInFull) {
  ListSizes LSTNEW = emptyDeckSizes();
  LSTNEW(23) = 99999999;   // fits eight columns
  LSTNEW(1) = 100000000;   // does not
  LSTNEW(99) = 123456789;  // needs nine
  LSTNEW(29) = -2000000000;
  Lines lines =
      writtenLines([&](DimdefWriter& w) { enterGroup(w, groupWithSelector(20), LSTNEW); });
  EXPECT_EQ(lines, selector20Block({"99999999", "100000000", "123456789", "-2000000000"}));

  LSTNEW(2) = -10000000;
  LSTNEW(3) = -9999999;
  Lines opening = writtenLines([&](DimdefWriter& w) { w.open(LSTNEW, 31, -1999921880); });
  ASSERT_EQ(opening.size(), 37u);
  EXPECT_EQ(opening[4], "      LSIZE( 1)  =100000000");
  EXPECT_EQ(opening[5], "      LSIZE( 2)  =-10000000");
  EXPECT_EQ(opening[6], "      LSIZE( 3)  =-9999999");
  EXPECT_EQ(opening[26], "      LSIZE(23)  =99999999");
  EXPECT_EQ(opening[36], "      LSIZE(N7)  =-1999921880");
  Lines large = writtenLines([&](DimdefWriter& w) { w.open(LSTNEW, 31, 2147483647); });
  ASSERT_EQ(large.size(), 37u);
  EXPECT_EQ(large[36], "      LSIZE(N7)  =2147483647");
}

}  // namespace
}  // namespace sizgen
