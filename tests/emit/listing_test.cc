// The listing's lines around the deck, through the program as a user runs
// it: the rule line, the final list sizes and the closing line.

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::linesOf;

// A card: the text padded to 80 columns, as the listing echoes it.
std::string card80(std::string text) {
  text.resize(80, ' ');
  return text;
}

const std::string kRuleLine = " " + std::string(111, '-');
// The type-code heading and lines, and the ruler.
constexpr std::size_t kLinesBeforeTheDeck = 1 + 9 + 4;

std::string closingLine(const std::string& LTLABL) {
  return " Normal termination of  \"SIZGEN\".   LTLABL =" + std::string(10 - LTLABL.size(), ' ') +
         LTLABL + "   (the size of  \"LABCOM\"  in  INTEGER  words).";
}

TEST(ListingOfSizes, EmptyDeckShowsOnlyTheRuleLine) {
  testing::TempDir dir;
  testing::ProcessResult run = testing::runSizgenBinary(dir.path(), "");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  auto lines = linesOf(run.out);
  ASSERT_EQ(lines.size(), kLinesBeforeTheDeck + 2);
  EXPECT_EQ(lines[kLinesBeforeTheDeck - 4], kRuleLine);  // the ruler's first line
  EXPECT_EQ(lines[kLinesBeforeTheDeck], kRuleLine);
  EXPECT_EQ(lines[kLinesBeforeTheDeck + 1], closingLine("79880"));
  EXPECT_EQ(run.out.find("Final List Sizes"), std::string::npos);
}

TEST(ListingOfSizes, FinalSizesForSevenTenths) {
  testing::TempDir dir;
  testing::ProcessResult run = testing::runSizgenBinary(dir.path(), "DEFAULT  0.7\n");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  auto lines = linesOf(run.out);
  ASSERT_EQ(lines.size(), kLinesBeforeTheDeck + 8);
  auto at = lines.begin() + kLinesBeforeTheDeck;
  EXPECT_EQ(std::vector<std::string>(at, lines.end()),
            (std::vector<std::string>{
                // F8.3 as libf2c writes it: no leading zero.
                " Default multiplier =    .700  1" + card80("DEFAULT  0.7"),
                kRuleLine,
                "   Final List Sizes  1-10 ="
                "    176    209    349     34   1749     27    490   1224     52    111",
                "   Final List Sizes 11-20 ="
                "     34     34   3499     13   2524     28      2      3   1119    601",
                "   Final List Sizes 21-30 ="
                "     69    244   2799      2    279     58     18   4899      1      1",
                "   Final List Sizes 51-60 ="
                "     68    136     59   1762     54    135    352    136    116     54",
                "   Final List Sizes 61-70 ="
                "      0     12     81    108    202     48    336    168     60    172",
                closingLine("54979"),
            }));
  for (auto line = at + 2; line != at + 7; ++line) EXPECT_EQ(line->size(), 97u);
}

TEST(ListingOfSizes, TooWideForSevenColumns) {
  // List 13 (not in the storage total) of eight digits shows as
  // asterisks; list 14 of seven digits fits, and list 54 = L14 + L5 does not.
  testing::TempDir dir;
  std::string deck = "SCALE   1.0\n\n" + std::string(16, ' ') + "12345678 9999999\n";
  testing::ProcessResult run = testing::runSizgenBinary(dir.path(), deck);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  auto lines = linesOf(run.out);
  ASSERT_EQ(lines.size(), kLinesBeforeTheDeck + 10);
  EXPECT_EQ(lines[kLinesBeforeTheDeck + 3], kRuleLine);
  EXPECT_EQ(lines[kLinesBeforeTheDeck + 5],
            "   Final List Sizes 11-20 ="
            "     50     50*******9999999   3600     40      4      5   1600    860");
  EXPECT_EQ(lines[kLinesBeforeTheDeck + 7],
            "   Final List Sizes 51-60 ="
            "    100    200     85*******     79    200    756    200    168     80");
}

TEST(ListingOfSizes, ScaledLists31And32ReachDimdef) {
  // All thirty flags FIXED: lists 1 to 30 keep their defaults, lists 31
  // and 32 are doubled.
  std::string fixed = "FIXED     ";
  for (int k = 1; k <= 30; ++k) fixed += " 1";
  std::string deck =
      "SCALE   2.0\n" + fixed + "\n\n\n\n" + "       0       0{Optional card for Lists 31, etc.\n";
  testing::TempDir dir;
  testing::ProcessResult run = testing::runSizgenBinary(dir.path(), deck);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  auto dimdef = linesOf(testing::readFile(dir.file("dimdef.for")));
  ASSERT_GE(dimdef.size(), 38u);
  EXPECT_EQ(dimdef[4], "      LSIZE( 1)  =     252");
  EXPECT_EQ(dimdef[18], "      LSIZE(15)  =    3600");
  EXPECT_EQ(dimdef[34], "      LSIZE(31)  =      20");
  EXPECT_EQ(dimdef[35], "      LSIZE(32)  =     200");
  EXPECT_EQ(dimdef[36], "      N7 = 32 + 1");
}

}  // namespace
}  // namespace sizgen
