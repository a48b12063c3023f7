#include "sizing/declaration.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/sink.h"
#include "emit/generated_files.h"
#include "emit/integer_field.h"
#include "model/catalog.h"
#include "support/cards.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using sizgen::testing::fileExists;
using sizgen::testing::linesOf;
using sizgen::testing::listCard;
using sizgen::testing::readFile;
using sizgen::testing::runSizgenBinary;
using sizgen::testing::TempDir;
using sizgen::testing::writeFile;

using Lines = std::vector<std::string>;

// The records that `emit` writes on the module file.
Lines writtenLines(const std::function<void(Sink&)>& emit) {
  MemorySink module;
  emit(module);
  return linesOf(module.text());
}

// Row i declared with its list of `size` elements.
void emitDeclaration(Sink& module, int i, std::int32_t size, std::int32_t NQUANT) {
  Declaration declared = declaration(i, size, NQUANT);
  writeDeclaration({i, generatedListNumber(i), size, declared.dimension, declared.typeCode},
                   module);
}

// The lines of row i's declaration with its list of `size` elements.
Lines declarationLines(int i, std::int32_t size, std::int32_t NQUANT) {
  return writtenLines([&](Sink& module) { emitDeclaration(module, i, size, NQUANT); });
}

constexpr std::int32_t kDefaultQuantum = 4194304;  // ROUND UP with a value below 1

// --- The dimension and the declared type -------------------------------

TEST(Declaration, WithoutQuantumTheDimensionIsTheListSize) {
  Declaration x = declaration(1, 3000, 0);
  EXPECT_EQ(x.dimension, 3000);
  EXPECT_EQ(x.typeCode, kReal8);
  // Whatever the list size: no rounding means nothing is computed.
  EXPECT_EQ(declaration(1, 0, 0).dimension, 0);
  EXPECT_EQ(declaration(1, -7, 0).dimension, -7);
  EXPECT_EQ(declaration(3, 2520, 0).typeCode, kInteger4);  // KM
}

TEST(Declaration, RoundsTheBytesUpToTheNextWholeQuantum) {
  // B = 24000, N = 6, D = 24576 / 8.
  EXPECT_EQ(declaration(1, 3000, 4096).dimension, 3072);
  // A byte count of whole quanta still gains one: B = 4096, N = 2.
  EXPECT_EQ(declaration(1, 512, 4096).dimension, 1024);
  // An empty list takes one quantum.
  EXPECT_EQ(declaration(1, 0, 4096).dimension, 512);
  // The quantum in elements is truncated: 1000 / 8 and 1001 / 8.
  EXPECT_EQ(declaration(1, 100, 1000).dimension, 125);
  EXPECT_EQ(declaration(1, 100, 1001).dimension, 125);
  // The quantum of a ROUND UP card without a positive value: B = 24000, N = 1.
  EXPECT_EQ(declaration(1, 3000, kDefaultQuantum).dimension, 524288);
  EXPECT_EQ(declaration(1, 3000, kDefaultQuantum).typeCode, kReal8);
  // INTEGER*4 counts 4 bytes: KM with 2520 elements, B = 10080, N = 3.
  EXPECT_EQ(declaration(3, 2520, 4096).dimension, 3072);
}

TEST(Declaration, NegativeByteCountFollowsTruncatingDivision) {
  // B = -40000, B / 4096 = -9, N = -8, D = -32768 / 8.
  EXPECT_EQ(declaration(1, -5000, 4096).dimension, -4096);
  // B = -800, B / 4096 = 0, N = 1.
  EXPECT_EQ(declaration(1, -100, 4096).dimension, 512);
}

TEST(Declaration, CharacterTypes) {
  // CSTO, CHARACTER*1: one byte per element, B = 5000, N = 2.
  EXPECT_EQ(declaration(16, 5000, 0).dimension, 5000);
  EXPECT_EQ(declaration(16, 5000, 0).typeCode, kCharacter1);
  EXPECT_EQ(declaration(16, 5000, 4096).dimension, 8192);
  EXPECT_EQ(declaration(16, 5000, 4096).typeCode, kCharacter1);
  // TEXVEC, CHARACTER*6, becomes CHARACTER*1 counted in bytes: B = 600, N = 1.
  EXPECT_EQ(declaration(68, 100, 0).dimension, 100);
  EXPECT_EQ(declaration(68, 100, 0).typeCode, kCharacter6);
  EXPECT_EQ(declaration(68, 100, 4096).dimension, 4096);
  EXPECT_EQ(declaration(68, 100, 4096).typeCode, kCharacter1);
  // BUS likewise: 700 elements, B = 4200, N = 2.
  EXPECT_EQ(declaration(69, 700, 4096).dimension, 8192);
  EXPECT_EQ(declaration(69, 700, 4096).typeCode, kCharacter1);
  // CIDEAL, CHARACTER*80, counts 4 bytes per element: B = 400, N = 1.
  EXPECT_EQ(declaration(17, 100, 0).dimension, 100);
  EXPECT_EQ(declaration(17, 100, 0).typeCode, kCharacter80);
  EXPECT_EQ(declaration(17, 100, 4096).dimension, 1024);
  EXPECT_EQ(declaration(17, 100, 4096).typeCode, kCharacter80);
}

TEST(Declaration, RoundsRowsUpTo150Only) {
  // KARRAY of C20B01 with list 99: B = 320000, N = 79, D = 323584 / 4.
  EXPECT_EQ(declaration(122, 80000, 4096).dimension, 80896);
  // KNDEX, the last row that may be rounded: B = 400, N = 1.
  EXPECT_EQ(declaration(150, 100, 4096).dimension, 1024);
  // KARRAY of C25B01, the first that may not.
  EXPECT_EQ(declaration(151, 100, 4096).dimension, 100);
  EXPECT_EQ(declaration(180, 1000, 4096).dimension, 1000);
  EXPECT_EQ(declaration(180, 1000, kDefaultQuantum).dimension, 1000);
}

TEST(Declaration, RoundedDimensionMustFit32Bits) {
  // B = 8588000000 is exact in 64 bits; N = 2096680, D = 8588001280 / 4,
  // just below 2**31.
  EXPECT_EQ(declaration(122, 2147000000, 4096).dimension, 2147000320);
  // N = 2048, N x 4194304 = 2**33, D = 2**31: one too many.
  try {
    declaration(122, 2147000000, kDefaultQuantum);
    FAIL() << "a dimension of 2**31 was accepted";
  } catch (const Error& error) {
    EXPECT_TRUE(std::regex_search(error.what(), std::regex(R"(\brow 122\b)"))) << error.what();
  }
  // REAL*8: B = 17176000000, N = 4096, D = 2**34 / 8.
  EXPECT_THROW(declaration(125, 2147000000, kDefaultQuantum), Error);
  // CHARACTER*6 counted in bytes: B = 600000000, N = 600000001, which is
  // D itself; 400000000 elements give D = 2400000001.
  EXPECT_EQ(declaration(68, 100000000, 1).dimension, 600000001);
  EXPECT_THROW(declaration(68, 400000000, 1), Error);
  // Without rounding nothing is computed, so nothing is checked.
  EXPECT_EQ(declaration(122, 2147483647, 0).dimension, 2147483647);
  EXPECT_EQ(declaration(125, 2147483647, 0).dimension, 2147483647);
  // Rows after 150 are never rounded.
  EXPECT_EQ(declaration(152, 2147483647, kDefaultQuantum).dimension, 2147483647);
}

// --- The lines written ---------------------------------------------------

TEST(DeclarationLines, CommonLineLayout) {
  EXPECT_EQ(declarationLines(1, 3000, 0),
            (Lines{"      COMMON  / C0B001 /   X     (      3000 )"}));
  EXPECT_EQ(declarationLines(1, 3000, 4096),
            (Lines{"      COMMON  / C0B001 /   X     (      3072 )"}));
  EXPECT_EQ(declarationLines(1, 512, 4096),
            (Lines{"      COMMON  / C0B001 /   X     (      1024 )"}));
  EXPECT_EQ(declarationLines(1, 0, 4096),
            (Lines{"      COMMON  / C0B001 /   X     (       512 )"}));
  EXPECT_EQ(declarationLines(1, 100, 1000),
            (Lines{"      COMMON  / C0B001 /   X     (       125 )"}));
  EXPECT_EQ(declarationLines(1, 100, 1001),
            (Lines{"      COMMON  / C0B001 /   X     (       125 )"}));
  EXPECT_EQ(declarationLines(1, 3000, kDefaultQuantum),
            (Lines{"      COMMON  / C0B001 /   X     (    524288 )"}));
  // Always 46 characters, the name with its trailing blanks.
  for (const std::string& line : declarationLines(2, 2520, 0)) EXPECT_EQ(line.size(), 46u);
  EXPECT_EQ(declarationLines(2, 2520, 0),
            (Lines{"      COMMON  / C0B002 /   YKM   (      2520 )"}));
}

TEST(DeclarationLines, CharacterLines) {
  EXPECT_EQ(declarationLines(16, 5000, 0),
            (Lines{"      COMMON  / C0B016 /   CSTO  (      5000 )", "      CHARACTER*1  CSTO  "}));
  EXPECT_EQ(declarationLines(16, 5000, 4096),
            (Lines{"      COMMON  / C0B016 /   CSTO  (      8192 )", "      CHARACTER*1  CSTO  "}));
  EXPECT_EQ(declarationLines(68, 100, 0),
            (Lines{"      COMMON  / C0B068 /   TEXVEC(       100 )", "      CHARACTER*6  TEXVEC"}));
  EXPECT_EQ(declarationLines(68, 100, 4096),
            (Lines{"      COMMON  / C0B068 /   TEXVEC(      4096 )", "      CHARACTER*1  TEXVEC"}));
  EXPECT_EQ(declarationLines(69, 252, 0),
            (Lines{"      COMMON  / C0B069 /   BUS   (       252 )", "      CHARACTER*6  BUS   "}));
  EXPECT_EQ(declarationLines(17, 100, 0),
            (Lines{"      COMMON  / C0B017 /   CIDEAL(       100 )", "      CHARACTER*80 CIDEAL"}));
  EXPECT_EQ(declarationLines(17, 100, 4096),
            (Lines{"      COMMON  / C0B017 /   CIDEAL(      1024 )", "      CHARACTER*80 CIDEAL"}));
}

TEST(DeclarationLines, LateRows) {
  EXPECT_EQ(declarationLines(122, 80000, 4096),
            (Lines{"      COMMON  / C20B01 /   KARRAY(     80896 )"}));
  EXPECT_EQ(declarationLines(180, 1000, 4096),
            (Lines{"      COMMON  / C28B01 /   NBHDXX(      1000 )"}));
}

TEST(DeclarationLines, OnlyFourRowsHaveASecondLine) {
  for (std::int32_t NQUANT : {0, 4096}) {
    Lines lines = writtenLines([&](Sink& module) {
      for (int i = 1; i <= kCatalogRows; ++i) emitDeclaration(module, i, 10, NQUANT);
    });
    ASSERT_EQ(lines.size(), 184u) << "NQUANT " << NQUANT;
    // The rows whose COMMON line is followed by a CHARACTER line.
    std::vector<int> withCharacterLine;
    int row = 0;
    for (const std::string& line : lines) {
      if (line.rfind("      COMMON", 0) == 0) {
        ++row;
      } else {
        EXPECT_EQ(line.rfind("      CHARACTER*", 0), 0u) << line;
        withCharacterLine.push_back(row);
      }
    }
    EXPECT_EQ(row, kCatalogRows);
    EXPECT_EQ(withCharacterLine, (std::vector<int>{16, 17, 68, 69})) << "NQUANT " << NQUANT;
  }
}

TEST(DeclarationLines, DimensionWiderThanItsFieldIsWrittenInFull) {
  // Ten columns hold every dimension down to -999999999 ...
  EXPECT_EQ(declarationLines(95, -999999999, 0),
            (Lines{"      COMMON  / C0B095 /   NBHDSW(-999999999 )"}));
  EXPECT_EQ(declarationLines(122, 2147483647, 0),
            (Lines{"      COMMON  / C20B01 /   KARRAY(2147483647 )"}));
  // ... and a wider one takes the columns it needs, never asterisks.
  EXPECT_EQ(declarationLines(95, -2000000000, 0),
            (Lines{"      COMMON  / C0B095 /   NBHDSW(-2000000000 )"}));
  EXPECT_EQ(declarationLines(180, -2147483647 - 1, 0),
            (Lines{"      COMMON  / C28B01 /   NBHDXX(-2147483648 )"}));
}

TEST(WidenedToFit, ValuesThatFitKeepTheFormat) {
  const std::string common = "(6X,10HCOMMON  / ,A6,5H /   ,A6,1H(,I10,2H ))";
  EXPECT_EQ(widenedToFit(common, "I10", 3000), common);
  EXPECT_EQ(widenedToFit(common, "I10", 2147483647), common);
  EXPECT_EQ(widenedToFit(common, "I10", -999999999), common);
  const std::string size = "(6X,6HLSIZE(,I2,4H)  =,I8,54X)";
  EXPECT_EQ(widenedToFit(size, "I8", 99999999), size);
  EXPECT_EQ(widenedToFit(size, "I8", -9999999), size);
  EXPECT_EQ(widenedToFit(size, "I8", 0), size);
}

TEST(WidenedToFit, WiderValuesWidenTheirDescriptorOnly) {
  EXPECT_EQ(widenedToFit("(6X,10HCOMMON  / ,A6,5H /   ,A6,1H(,I10,2H ))", "I10", -2000000000),
            "(6X,10HCOMMON  / ,A6,5H /   ,A6,1H(,I11,2H ))");
  EXPECT_EQ(widenedToFit("(6X,10HCOMMON  / ,A6,5H /   ,A6,1H(,I10,2H ))", "I10", -1000000000),
            "(6X,10HCOMMON  / ,A6,5H /   ,A6,1H(,I11,2H ))");
  // The subscript's I2 stays as it is.
  EXPECT_EQ(widenedToFit("(6X,6HLSIZE(,I2,4H)  =,I8,54X)", "I8", 123456789),
            "(6X,6HLSIZE(,I2,4H)  =,I9,54X)");
  EXPECT_EQ(widenedToFit("(6X,6HLSIZE(,I2,4H)  =,I8,56X)", "I8", -10000000),
            "(6X,6HLSIZE(,I2,4H)  =,I9,56X)");
  EXPECT_EQ(widenedToFit("(6X,6HLSIZE(,I2,4H)  =,I8,56X)", "I8", -2147483647 - 1),
            "(6X,6HLSIZE(,I2,4H)  =,I11,56X)");
}

// --- Overflow in the byte rounding, end to end --------------------------

// A run that fails before generation: it creates and changes none of the
// files.
struct FailedRun {
  testing::ProcessResult result;
};

// The content of each of the four files in `dir`, "(absent)" for one that
// does not exist.
std::vector<std::string> fourFiles(const TempDir& dir) {
  std::vector<std::string> contents;
  for (const char* name : {"newmods.for", "dimdef.for", "dum.bin", "debug.lis"})
    contents.push_back(fileExists(dir.file(name)) ? readFile(dir.file(name)) : "(absent)");
  return contents;
}

FailedRun runExpectingFailure(const std::string& deck, const TempDir& dir) {
  const std::vector<std::string> before = fourFiles(dir);
  FailedRun run{runSizgenBinary(dir.path(), deck)};
  EXPECT_EQ(run.result.exitStatus, 1) << run.result.err;
  EXPECT_EQ(fourFiles(dir), before);
  EXPECT_EQ(run.result.out.find("Normal termination"), std::string::npos);
  return run;
}

// The one line on standard error names row `row`.
void expectMessageNamesRow(const std::string& err, int row) {
  EXPECT_EQ(err.rfind("sizgen: ", 0), 0u) << err;
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.back(), '\n');
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
  EXPECT_TRUE(std::regex_search(err, std::regex("\\brow " + std::to_string(row) + "\\b"))) << err;
  EXPECT_NE(err.find("32-bit"), std::string::npos) << err;
}

const std::string kBlankCards = "BLANK\nBLANK\nBLANK\n";

TEST(RoundingOverflow, Row122WithLargeFirstOffset) {
  // LSTSUP(1) = 2147000000 for KARRAY in C20B01; the quantum 4194304 makes
  // it 2**31 elements.
  const std::string offsets = listCard({"2.147E9"});
  TempDir dir;
  FailedRun run = runExpectingFailure("ROUND UP       0\n" + kBlankCards + offsets, dir);
  expectMessageNamesRow(run.result.err, 122);
}

TEST(RoundingOverflow, Row122FitsWithoutRoundingOrWithSmallerQuantum) {
  const std::string offsets = listCard({"2.147E9"});
  {
    TempDir dir;
    auto result = runSizgenBinary(dir.path(), kBlankCards + offsets);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(
        readFile(dir.file("newmods.for")).find("      COMMON  / C20B01 /   KARRAY(2147000000 )\n"),
        std::string::npos);
  }
  {
    TempDir dir;
    auto result = runSizgenBinary(dir.path(), "ROUND UP    4096\n" + kBlankCards + offsets);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(
        readFile(dir.file("newmods.for")).find("      COMMON  / C20B01 /   KARRAY(2147000320 )\n"),
        std::string::npos);
  }
}

TEST(RoundingOverflow, Row123WithRamTables) {
  // List 2 of 107330000 (20 words per element in the total) brings MTOT
  // to 2146680656 and LTLABL to 2146673880; RAM TABLES makes that the size
  // of JARRAY (row 123), whose rounding to 4194304 bytes gives 2**31.
  const std::string deck = "ROUND UP       0\n" + listCard({"", "1.0733E8"});
  TempDir dir;
  // Earlier files keep what they held.
  writeFile(dir.file("newmods.for"), "      SUBROUTINE OLD\n      END\n");
  writeFile(dir.file("debug.lis"), " old\n");
  FailedRun run = runExpectingFailure("RAM TABLES\n" + deck, dir);
  expectMessageNamesRow(run.result.err, 123);

  // Without RAM TABLES list 29 is 1 and every row fits.
  TempDir fits;
  auto result = runSizgenBinary(fits.path(), deck);
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_NE(result.out.find("LTLABL =2146673880"), std::string::npos) << result.out;
  EXPECT_NE(readFile(fits.file("dimdef.for")).find("      LSIZE(N7)  =2146673880\n"),
            std::string::npos);
}

TEST(RoundingOverflow, Row125WithTheSizeOfList71BeforeRoot23) {
  // LSTSUP(2) = 2147000000 sets list 71 before ROOT23; XDAT (REAL*8) then
  // rounds to 2**34 bytes.  Row 72 of ROOT10 still has list 71 = 504.
  TempDir dir;
  FailedRun run =
      runExpectingFailure("ROUND UP       0\n" + kBlankCards + listCard({"", "2.147E9"}), dir);
  expectMessageNamesRow(run.result.err, 125);

  TempDir fits;
  auto result = runSizgenBinary(fits.path(), kBlankCards + listCard({"", "2.147E9"}));
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  std::string newmods = readFile(fits.file("newmods.for"));
  EXPECT_NE(newmods.find("      COMMON  / C0B072 /   KKS   (       504 )\n"), std::string::npos);
  EXPECT_NE(newmods.find("      COMMON  / C23B01 /   XDAT  (2147000000 )\n"), std::string::npos);
}

TEST(RoundingOverflow, RowsAfter150AreNeverRounded) {
  // With list 6 = 1, NBHDSW 2.0E9 gives list 56 = 2000000000 for row 95
  // (INTEGER*4, rounded: B = 8000000000, N = 1908) and, before ROOT28,
  // list 74 = 2000000000 for row 180, which is written as it is.
  TempDir dir;
  auto result = runSizgenBinary(
      dir.path(), "ROUND UP       0\nNBHDSW     2.0E9\n" + listCard({"", "", "", "", "", "1"}));
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  std::string newmods = readFile(dir.file("newmods.for"));
  EXPECT_NE(newmods.find("      COMMON  / C0B095 /   NBHDSW(2000683008 )\n"), std::string::npos);
  EXPECT_NE(newmods.find("      COMMON  / C28B01 /   NBHDXX(2000000000 )\n"), std::string::npos);
}

}  // namespace
}  // namespace sizgen
