// --report tells the user what the generated COMMON blocks allocate.  These
// tests compile newmods.for with gfortran and hold the report, as the
// binary prints it, against the sizes of the COMMON symbols in the object
// file.

#include "analysis/storage_report.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "analysis/storage.h"
#include "model/catalog.h"
#include "sizing/run_planning.h"
#include "support/cards.h"
#include "support/object_symbols.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using sizgen::testing::keywordCard;
using sizgen::testing::linesOf;
using sizgen::testing::listCard;
using sizgen::testing::ProcessResult;
using sizgen::testing::readTestData;
using sizgen::testing::runCommand;
using sizgen::testing::runSizgenBinary;
using sizgen::testing::shellQuote;
using sizgen::testing::Symbol;
using sizgen::testing::symbolName;
using sizgen::testing::symbolsOf;
using sizgen::testing::TempDir;

// One array line of the report.
struct ReportedArray {
  int row;
  std::string name;
  std::string block;
  int list;
  std::string type;
  std::int64_t extent;
  std::int64_t dimension;
  std::int64_t bytes;
};

struct Report {
  std::vector<ReportedArray> arrays;
  std::map<std::string, std::int64_t> groupTotals;  // by subroutine
  std::int64_t total = -1;
  std::vector<std::string> largest;  // the lines of the ten largest
};

Report parseReport(const std::string& text) {
  static const std::regex array(R"( +(\d+)  (\S+) +(\S+) +(\d+)  (\S+) +(-?\d+) +(-?\d+) +(\d+))");
  static const std::regex groupTotal(R"(  Total of (ROOT\d+), \d+ arrays?: (\d+) bytes.*)");
  static const std::regex total(R"(Total COMMON storage of the 180 arrays: (\d+) bytes.*)");
  static const std::regex largest(R"( +\d+  \S+ +\S+  ROOT\d+ +\d+ +\d+\.\d%(  #+)?)");
  Report report;
  for (const std::string& line : linesOf(text)) {
    std::smatch m;
    if (std::regex_match(line, m, array)) {
      report.arrays.push_back({std::stoi(m[1]), m[2], m[3], std::stoi(m[4]), m[5], std::stoll(m[6]),
                               std::stoll(m[7]), std::stoll(m[8])});
    } else if (std::regex_match(line, m, groupTotal)) {
      report.groupTotals[m[1]] = std::stoll(m[2]);
    } else if (std::regex_match(line, m, total)) {
      report.total = std::stoll(m[1]);
    } else if (std::regex_match(line, largest)) {
      report.largest.push_back(line);
    }
  }
  return report;
}

// Every line plain ASCII, without trailing blanks, within 80 columns.
void expectTidyLines(const std::string& text) {
  for (const std::string& line : linesOf(text)) {
    EXPECT_LE(line.size(), 80u) << line;
    EXPECT_TRUE(line.empty() || line.back() != ' ') << "[" << line << "]";
    for (char c : line) EXPECT_TRUE(c >= ' ' && c <= '~') << line;
  }
}

bool compilerFound() {
  static const bool found = runCommand("command -v gfortran && command -v nm").exitStatus == 0;
  return found;
}

struct CompiledDeckCase {
  const char* name;
  std::string deck;
};

std::vector<CompiledDeckCase> compiledDecks() {
  const std::string blanks = "BLANK\nBLANK\nBLANK\n";
  return {
      {"Empty", ""},
      {"Typical", readTestData("../examples/typical.deck")},
      // List 3 = 99999999 and list 23 = 2147000000: blocks of gigabytes.
      {"Large", listCard({"", "", "99999999"}) + "BLANK\n" + listCard({"", "", "2.147E9"}) +
                    listCard({"2.147E9"})},
      {"RoundUp", keywordCard("ROUND UP", "4096")},
      {"FourthCard", blanks + listCard({"20", "", "7"}, " {Optional card for Lists 31, etc.")},
      // List 56 = -2000000000: NBHDSW and, in ROOT28, NBHDXX declared with a
      // negative dimension, which gfortran accepts and allocates nothing for.
      {"NegativeNbhdsw", keywordCard("NBHDSW", "-2.0E9") + listCard({"", "", "", "", "", "1"})},
      // List 56 = -20, rounded up to one quantum; list 74 = 0 in ROOT28.
      {"NegativeNbhdswRounded", keywordCard("NBHDSW", "-0.5") + keywordCard("ROUND UP", "4096")},
      {"RamTables", "RAM TABLES\n" + keywordCard("DEFAULT", "2.5")},
  };
}

class ReportAgainstObjectFile : public ::testing::TestWithParam<CompiledDeckCase> {};

TEST_P(ReportAgainstObjectFile, BytesAreWhatGfortranAllocates) {
  if (!compilerFound()) GTEST_SKIP() << "gfortran or nm is not installed";
  const CompiledDeckCase& c = GetParam();
  TempDir generated;
  ProcessResult run = runSizgenBinary(generated.path(), c.deck);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  ProcessResult compiled = runCommand("cd " + shellQuote(generated.path()) +
                                      " && gfortran -c -std=legacy newmods.for -o newmods.o");
  ASSERT_EQ(compiled.exitStatus, 0) << compiled.err;
  ProcessResult nm = runCommand("nm -S " + shellQuote(generated.file("newmods.o")));
  ASSERT_EQ(nm.exitStatus, 0) << nm.err;
  std::multimap<std::string, Symbol> symbols = symbolsOf(nm.out);

  TempDir empty;
  ProcessResult reported = runSizgenBinary(empty.path(), c.deck, {"--report"});
  ASSERT_EQ(reported.exitStatus, 0) << reported.err;
  EXPECT_TRUE(sizgen::testing::onlyWarnings(reported.err)) << reported.err;
  EXPECT_EQ(runCommand("ls -A " + shellQuote(empty.path())).out, "") << "--report wrote files";
  expectTidyLines(reported.out);
  Report report = parseReport(reported.out);

  ASSERT_EQ(report.arrays.size(), 180u) << reported.out;
  std::int64_t symbolBytes = 0;
  std::int64_t reportedBytes = 0;
  std::size_t commons = 0;
  for (const auto& [name, symbol] : symbols) {
    if (symbol.type != 'C') continue;
    ++commons;
    symbolBytes += symbol.size.value_or(0);
  }
  EXPECT_EQ(commons, 180u);
  for (std::size_t n = 0; n < report.arrays.size(); ++n) {
    const ReportedArray& array = report.arrays[n];
    SCOPED_TRACE("row " + std::to_string(array.row) + " " + array.block);
    EXPECT_EQ(array.row, static_cast<int>(n + 1));
    EXPECT_EQ(array.block, std::string(catalogRow(array.row).block));
    auto symbol = symbols.find(symbolName(array.block));
    ASSERT_NE(symbol, symbols.end());
    EXPECT_EQ(symbol->second.type, 'C');
    if (array.bytes > 0) {
      EXPECT_EQ(symbol->second.size, array.bytes);
    } else {
      EXPECT_LE(array.dimension, 0);
      EXPECT_EQ(symbol->second.size, std::nullopt) << "an empty block has no size";
    }
    reportedBytes += array.bytes;
  }
  EXPECT_EQ(report.total, reportedBytes);
  EXPECT_EQ(report.total, symbolBytes);

  std::int64_t groups = 0;
  for (const Group& group : kGroups) {
    std::int64_t rows = 0;
    for (int i = group.firstRow; i <= group.lastRow; ++i) rows += report.arrays[i - 1].bytes;
    std::string subroutine(group.subroutine.substr(0, group.subroutine.find(' ')));
    EXPECT_EQ(report.groupTotals[subroutine], rows) << subroutine;
    groups += rows;
  }
  EXPECT_EQ(report.groupTotals.size(), 9u);
  EXPECT_EQ(groups, report.total);
  EXPECT_EQ(report.largest.size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(Decks, ReportAgainstObjectFile, ::testing::ValuesIn(compiledDecks()),
                         [](const auto& info) { return std::string(info.param.name); });

// The columns of a few rows, the totals and the ten largest, for the deck
// without cards: list 99 (70000) dimensions KARRAY in ROOT20, list 71 is
// 70000 in ROOT23 and 52 in ROOT25.
// The unit is chosen after rounding to one decimal: no count shows as
// 1024.0 of a unit, at each unit's edge, negative counts included.
TEST(ReadableBytes, NoUnitShows1024) {
  struct Case {
    std::int64_t bytes;
    const char* text;
  };
  constexpr std::int64_t kTiB = std::int64_t{1} << 40;
  for (auto [bytes, text] :
       {Case{1023, "1023 bytes"}, Case{-1023, "-1023 bytes"}, Case{1024, "1.0 KiB"},
        Case{1075, "1.0 KiB"}, Case{1076, "1.1 KiB"}, Case{1048524, "1023.9 KiB"},
        Case{1048525, "1.0 MiB"}, Case{1048575, "1.0 MiB"}, Case{-1048575, "-1.0 MiB"},
        Case{1048576, "1.0 MiB"}, Case{1073689395, "1023.9 MiB"}, Case{1073689396, "1.0 GiB"},
        Case{1099457940684, "1023.9 GiB"}, Case{1099457940685, "1.0 TiB"},
        Case{1024 * kTiB - 1, "1.0 PiB"}, Case{1024 * 1024 * kTiB, "1.0 EiB"},
        Case{INT64_MAX, "8.0 EiB"}, Case{INT64_MIN, "-8.0 EiB"}}) {
    EXPECT_EQ(readableBytes(bytes), text) << bytes;
  }
  EXPECT_EQ(bytesText(1048575), "1048575 bytes (1.0 MiB)");
}

TEST(StorageReport, RowsTotalsAndTheLargestArrays) {
  const std::string report = storageReport(planRun(DeckSettings{}));
  expectTidyLines(report);
  for (const char* line : {
           "ROOT10 (rows 1-110)",
           "  Row  Array   Block   List  Type              Extent   Dimension         Bytes",
           "    1  X       C0B001     3  REAL*8               500         500          4000",
           "   16  CSTO    C0B016    15  CHARACTER*1         3600        3600          3600",
           "   17  CIDEAL  C0B017    31  CHARACTER*80          10          10           800",
           "   68  TEXVEC  C0B068     7  CHARACTER*6          700         700          4200",
           "  122  KARRAY  C20B01    99  INTEGER*4          70000       70000        280000",
           "  125  XDAT    C23B01    71  REAL*8             70000       70000        560000",
           "  152  IC      C25B02    71  INTEGER*4             52          52           208",
           "ROOT28 (row 180)",
           "  Total of ROOT28, 1 array: 20 bytes",
       }) {
    EXPECT_NE(report.find(std::string("\n") + line + "\n"), std::string::npos) << line;
  }
  Report parsed = parseReport(report);
  ASSERT_EQ(parsed.largest.size(), 10u);
  // XDAT, YDAT, APHDAT: 560000 bytes each of the total; a '#' is 4%.
  const std::string share = parsed.largest[0].substr(parsed.largest[0].find("  ROOT23"));
  EXPECT_EQ(parsed.largest[0].substr(0, 21), "  125  XDAT    C23B01");
  EXPECT_EQ(parsed.largest[1].substr(0, 21), "  126  YDAT    C23B02");
  EXPECT_EQ(parsed.largest[2].substr(0, 21), "  127  APHDAT  C23B03");
  EXPECT_EQ(parsed.largest[3].substr(0, 21), "  122  KARRAY  C20B01");
  const std::int64_t total = parsed.total;
  const std::int64_t percentTenths = (std::int64_t{560000} * 1000 * 2 + total) / (total * 2);
  const std::int64_t columns = (std::int64_t{560000} * 25 * 2 + total) / (total * 2);
  EXPECT_NE(share.find(" " + std::to_string(percentTenths / 10) + "." +
                       std::to_string(percentTenths % 10) + "%  " +
                       std::string(static_cast<std::size_t>(columns), '#')),
            std::string::npos)
      << parsed.largest[0];
}

TEST(StorageReport, RoundingDeclaresCharacter6AsCharacter1AndShowsLabcom) {
  DeckSettings settings;
  settings.NQUANT = 4096;
  const std::string report = storageReport(planRun(settings));
  // TEXVEC: 700 x 6 = 4200 bytes, two quanta of CHARACTER*1.
  EXPECT_NE(report.find("\n   68  TEXVEC  C0B068     7  CHARACTER*1          700        8192"
                        "          8192\n"),
            std::string::npos);
  EXPECT_NE(report.find("\nLABCOM (not in newmods.for): 79880 words, 319520 bytes (312.0 KiB)\n"),
            std::string::npos)
      << report;
}

}  // namespace
}  // namespace sizgen
