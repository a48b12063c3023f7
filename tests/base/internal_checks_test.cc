// Impossible input to a table or a lookup is a fault of the program,
// reported as an InternalError in every build, not an out-of-bounds read
// or the last row of the table.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "base/error.h"
#include "base/fortran_array.h"
#include "emit/integer_field.h"
#include "input/keywords.h"
#include "model/catalog.h"

namespace sizgen {
namespace {

TEST(InternalChecks, ImpossibleInputIsAnInternalError) {
  FortranArray<std::int32_t, 10> table = FortranArray<std::int32_t, 10>::filled(7);
  const auto& constant = table;
  const struct {
    const char* what;
    std::function<void()> action;
  } cases[] = {
      {"row 0", [] { catalogRow(0); }},
      {"row 181", [] { catalogRow(181); }},
      {"group of row 0", [] { groupOfRow(0); }},
      {"group of row 181", [] { groupOfRow(181); }},
      {"type code 0", [] { typeCode(0); }},
      {"type code 6", [] { typeCode(6); }},
      {"list-size card of list 51", [] { listCard(51); }},
      {"list-size card of list 2", [] { listCard(2); }},
      {"keyword of a list-size card", [] { keywordName(CardKind::ListSize); }},
      {"entry 0", [&] { table(0); }},
      {"entry 11", [&] { table(11); }},
      {"entry 11, read only", [&] { constant(11); }},
      {"range beyond the end", [&] { constant.range(5, 11); }},
      {"range backwards", [&] { constant.range(5, 4); }},
      {"range from 0", [&] { constant.range(0, 3); }},
      {"descriptor not in the FORMAT", [] { widenedToFit("(6X,I10,1X)", "I5", 1234567); }},
  };
  for (const auto& c : cases) EXPECT_THROW(c.action(), InternalError) << c.what;

  // The edges themselves are in.
  EXPECT_EQ(table(1), 7);
  EXPECT_EQ(constant(10), 7);
  EXPECT_EQ(constant.range(1, 10).size(), 10u);
  EXPECT_EQ(groupOfRow(1).firstRow, 1);
  EXPECT_EQ(groupOfRow(kCatalogRows).lastRow, kCatalogRows);
  EXPECT_EQ(listCard(41).firstList, 41);
}

}  // namespace
}  // namespace sizgen
