#include "model/catalog.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace sizgen {
namespace {

// Rows first to last of the catalogue, for range-for loops over row numbers.
std::vector<int> rows(int first = 1, int last = kCatalogRows) {
  std::vector<int> numbers;
  for (int i = first; i <= last; ++i) numbers.push_back(i);
  return numbers;
}

const Group& groupNamed(std::string_view subroutine) {
  for (const Group& group : kGroups) {
    if (group.subroutine == subroutine) return group;
  }
  ADD_FAILURE() << "no group " << subroutine;
  return kGroups[0];
}

const Group& groupOf(int row) {
  for (const Group& group : kGroups) {
    if (row >= group.firstRow && row <= group.lastRow) return group;
  }
  ADD_FAILURE() << "row " << row << " is in no group";
  return kGroups[0];
}

bool isNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

TEST(Catalog, HasOneHundredEightyRows) {
  EXPECT_EQ(kCatalogRows, 180);
  EXPECT_EQ(ArrayCatalog.size(), 180u);
  EXPECT_EQ(&catalogRow(1), &ArrayCatalog.front());
  EXPECT_EQ(&catalogRow(180), &ArrayCatalog.back());
}

TEST(Catalog, EffectiveTypeCodeCounts) {
  std::map<std::int32_t, int> count;
  for (int i : rows()) ++count[effectiveTypeCode(catalogRow(i))];
  EXPECT_EQ(
      count,
      (std::map<std::int32_t, int>{
          {kCharacter6, 2}, {kCharacter1, 1}, {kReal8, 110}, {kInteger4, 66}, {kCharacter80, 1}}));
}

TEST(Catalog, ImplicitCodesOfTheListedRows) {
  // The start-up listing shows the implicit codes of rows 1 to 177.
  int real8 = 0, integer4 = 0;
  for (int i : rows(1, 177)) {
    std::int32_t code = implicitTypeCode(catalogRow(i));
    ASSERT_TRUE(code == kReal8 || code == kInteger4) << "row " << i;
    (code == kReal8 ? real8 : integer4)++;
  }
  EXPECT_EQ(real8, 114);
  EXPECT_EQ(integer4, 63);
  // The three rows that are not listed are all INTEGER.
  for (int i : rows(178, 180)) EXPECT_EQ(implicitTypeCode(catalogRow(i)), kInteger4) << i;
  // The first listed codes: X, YKM, KM.
  EXPECT_EQ(implicitTypeCode(catalogRow(1)), kReal8);
  EXPECT_EQ(implicitTypeCode(catalogRow(2)), kReal8);
  EXPECT_EQ(implicitTypeCode(catalogRow(3)), kInteger4);
}

TEST(Catalog, ImplicitCodeFollowsTheFirstLetterOnly) {
  for (int i : rows()) {
    const CatalogRow& row = catalogRow(i);
    bool integerLetter = row.name[0] >= 'I' && row.name[0] <= 'N';
    EXPECT_EQ(implicitTypeCode(row), integerLetter ? kInteger4 : kReal8) << "row " << i;
    if (row.typeOverride == 0) {
      EXPECT_EQ(effectiveTypeCode(row), implicitTypeCode(row));
    }
  }
}

TEST(Catalog, OverridesHideBehindImplicitCodes) {
  // The four overridden arrays all begin with a REAL letter, so the
  // start-up listing shows them as 3 whatever they are declared as.
  std::map<std::string_view, std::int32_t> overridden;
  for (int i : rows()) {
    const CatalogRow& row = catalogRow(i);
    if (row.typeOverride == 0) continue;
    overridden[row.name] = effectiveTypeCode(row);
    EXPECT_EQ(implicitTypeCode(row), kReal8) << "row " << i;
    EXPECT_NE(effectiveTypeCode(row), kReal8) << "row " << i;
  }
  EXPECT_EQ(overridden, (std::map<std::string_view, std::int32_t>{{"CSTO  ", kCharacter1},
                                                                  {"CIDEAL", kCharacter80},
                                                                  {"TEXVEC", kCharacter6},
                                                                  {"BUS   ", kCharacter6}}));
}

TEST(Catalog, CharacterTypesOnlyInRoot10) {
  const Group& root10 = groupNamed("ROOT10");
  for (int i : rows()) {
    std::int32_t code = effectiveTypeCode(catalogRow(i));
    if (code == kCharacter6 || code == kCharacter1 || code == kCharacter80) {
      EXPECT_LE(i, root10.lastRow) << "row " << i;
    }
  }
}

TEST(Catalog, NamesAreSixCharactersBlankPadded) {
  for (int i : rows()) {
    const CatalogRow& row = catalogRow(i);
    ASSERT_EQ(row.name.size(), 6u) << "row " << i;
    ASSERT_EQ(row.block.size(), 6u) << "row " << i;
    EXPECT_TRUE(row.name[0] >= 'A' && row.name[0] <= 'Z') << "row " << i;
    // Significant characters, then blanks only.
    std::size_t end = row.name.find(' ');
    std::size_t significant = end == std::string_view::npos ? 6 : end;
    for (std::size_t c = 0; c < significant; ++c) EXPECT_TRUE(isNameCharacter(row.name[c])) << i;
    for (std::size_t c = significant; c < 6; ++c) EXPECT_EQ(row.name[c], ' ') << "row " << i;
    // Block names have no blanks at all.
    for (char c : row.block) EXPECT_TRUE(isNameCharacter(c)) << "row " << i;
  }
  EXPECT_EQ(catalogRow(1).name, "X     ");
}

TEST(Catalog, BlockNamesAreUnique) {
  std::set<std::string_view> blocks;
  for (int i : rows()) EXPECT_TRUE(blocks.insert(catalogRow(i).block).second) << "row " << i;
  EXPECT_EQ(blocks.size(), 180u);
}

TEST(Catalog, RepeatedArrayNames) {
  // KARRAY four times, X and R twice; every other array name is unique.
  std::map<std::string_view, std::vector<int>> rowsOf;
  for (int i : rows()) rowsOf[catalogRow(i).name].push_back(i);
  std::map<std::string_view, std::vector<int>> repeated;
  for (const auto& [name, where] : rowsOf) {
    if (where.size() > 1) repeated[name] = where;
  }
  EXPECT_EQ(repeated,
            (std::map<std::string_view, std::vector<int>>{
                {"KARRAY", {122, 151, 178, 179}}, {"R     ", {54, 153}}, {"X     ", {1, 156}}}));
  // Each KARRAY in a group of its own.
  std::set<std::string_view> groups;
  for (int i : repeated["KARRAY"]) groups.insert(groupOf(i).subroutine);
  EXPECT_EQ(groups.size(), 4u);
}

TEST(Catalog, GroupsAreContiguousAndChained) {
  ASSERT_EQ(kGroups.size(), 9u);
  EXPECT_EQ(kGroups.front().firstRow, 1);
  EXPECT_EQ(kGroups.back().lastRow, 180);
  for (std::size_t g = 0; g < kGroups.size(); ++g) {
    EXPECT_LE(kGroups[g].firstRow, kGroups[g].lastRow) << kGroups[g].subroutine;
    if (g > 0) {
      EXPECT_EQ(kGroups[g].firstRow, kGroups[g - 1].lastRow + 1) << kGroups[g].subroutine;
    }
  }
  EXPECT_EQ(kGroups[0].subroutine, "ROOT10");
  // The DIMDEF chain: each group after ROOT10 passes on to the next
  // group's selector, the last one to 99.
  std::vector<std::int32_t> selectors;
  for (std::size_t g = 1; g < kGroups.size(); ++g) {
    selectors.push_back(kGroups[g].selector);
    std::int32_t next = g + 1 < kGroups.size() ? kGroups[g + 1].selector : 99;
    EXPECT_EQ(kGroups[g].nextSelector, next) << kGroups[g].subroutine;
    // The subroutine is named after its selector.
    std::string name = "ROOT" + std::to_string(kGroups[g].selector);
    name.resize(6, ' ');
    EXPECT_EQ(kGroups[g].subroutine, name);
  }
  EXPECT_EQ(selectors, (std::vector<std::int32_t>{20, 21, 23, 9, 25, 26, 27, 28}));
}

TEST(Catalog, FirstOccurrencesPerGroup) {
  std::map<std::string_view, std::vector<std::int32_t>> firsts;
  for (std::size_t g = 1; g < kGroups.size(); ++g) {
    const Group& group = kGroups[g];
    for (int i = group.firstRow; i <= group.lastRow; ++i) {
      if (isFirstOccurrence(group, i)) firsts[group.subroutine].push_back(generatedListNumber(i));
    }
  }
  EXPECT_EQ(firsts, (std::map<std::string_view, std::vector<std::int32_t>>{
                        {"ROOT20", {23, 1, 99, 29}},
                        {"ROOT21", {13}},
                        {"ROOT23", {71}},
                        {"ROOT9 ", {1, 23, 52, 4}},
                        {"ROOT25", {9, 71, 73}},
                        {"ROOT26", {9}},
                        {"ROOT27", {9}},
                        {"ROOT28", {74}},
                    }));
}

TEST(Catalog, FirstOccurrenceLooksOnlyWithinTheGroup) {
  // The first row of a group is always a first occurrence, even when an
  // earlier group uses the same list (list 9 in ROOT25, ROOT26, ROOT27).
  for (const Group& group : kGroups) EXPECT_TRUE(isFirstOccurrence(group, group.firstRow));
  const Group& root25 = groupNamed("ROOT25");
  EXPECT_TRUE(isFirstOccurrence(root25, 152));   // IC: list 71, first in ROOT25
  EXPECT_FALSE(isFirstOccurrence(root25, 153));  // R: list 71 again
}

TEST(Catalog, ListNumbers) {
  // Row 122 alone is stored with list 0; it is dimensioned by list 99 when
  // its group is generated.  Every other row uses a list 1 to 74.
  for (int i : rows()) {
    std::int32_t list = catalogRow(i).list;
    if (i == 122) {
      EXPECT_EQ(list, 0);
      EXPECT_FALSE(countsInTotal(list));
      EXPECT_EQ(generatedListNumber(i), 99);
    } else {
      EXPECT_GE(list, 1) << "row " << i;
      EXPECT_LE(list, 74) << "row " << i;
      EXPECT_NE(list, 61) << "row " << i;  // list 61 is never computed
      EXPECT_EQ(generatedListNumber(i), list) << "row " << i;
    }
  }
  EXPECT_EQ(catalogRow(122).name, "KARRAY");
  EXPECT_EQ(catalogRow(122).block, "C20B01");
  EXPECT_FALSE(countsInTotal(98));
  EXPECT_TRUE(countsInTotal(99));
  EXPECT_TRUE(countsInTotal(1));
}

TEST(Catalog, ElementSizes) {
  // Words per element in the storage total, bytes in the rounding.
  EXPECT_EQ(wordsPerElement(kCharacter6), 2);
  EXPECT_EQ(wordsPerElement(kCharacter1), 4);
  EXPECT_EQ(wordsPerElement(kReal8), 2);
  EXPECT_EQ(wordsPerElement(kInteger4), 1);
  EXPECT_EQ(wordsPerElement(kCharacter80), 20);
  EXPECT_EQ(bytesPerElement(kCharacter6), 6);
  EXPECT_EQ(bytesPerElement(kCharacter1), 1);
  EXPECT_EQ(bytesPerElement(kReal8), 8);
  EXPECT_EQ(bytesPerElement(kInteger4), 4);
  EXPECT_EQ(bytesPerElement(kCharacter80), 4);  // not 80
}

// Each code is its own row; a character type's declared bytes are its
// length, which its name states.
TEST(Catalog, TypeCodeTable) {
  for (std::size_t i = 0; i < kTypeCodes.size(); ++i) {
    const TypeCode& type = kTypeCodes[i];
    EXPECT_EQ(type.code, static_cast<std::int32_t>(i + 1));
    EXPECT_EQ(&typeCode(type.code), &type);
    const std::string_view length = type.fortranName.substr(type.fortranName.find('*') + 1);
    EXPECT_EQ(std::to_string(type.bytes), length) << type.fortranName;
    // Only the two types of the IMPLICIT statement need no type statement.
    EXPECT_EQ(type.implicit, type.code == kReal8 || type.code == kInteger4) << type.fortranName;
  }
}

TEST(Catalog, RoundingBoundary) {
  // The last row of ROOT9 may be rounded, the first row of ROOT25 not.
  EXPECT_EQ(kLastRoundedRow, groupNamed("ROOT9 ").lastRow);
  EXPECT_EQ(kLastRoundedRow + 1, groupNamed("ROOT25").firstRow);
  EXPECT_EQ(catalogRow(150).name, "KNDEX ");
  EXPECT_EQ(catalogRow(151).name, "KARRAY");
}

}  // namespace
}  // namespace sizgen
