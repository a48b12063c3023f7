// The generated files exist to be compiled with the host program, so these
// tests compile them with gfortran, look at the COMMON blocks of the object
// file with nm, and call the compiled DIMDEF from a small Fortran program.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "support/cards.h"
#include "support/object_symbols.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using sizgen::testing::keywordCard;
using sizgen::testing::linesOf;
using sizgen::testing::listCard;
using sizgen::testing::ProcessResult;
using sizgen::testing::readFile;
using sizgen::testing::runCommand;
using sizgen::testing::runSizgenBinary;
using sizgen::testing::shellQuote;
using sizgen::testing::Symbol;
using sizgen::testing::symbolName;
using sizgen::testing::symbolsOf;
using sizgen::testing::TempDir;
using sizgen::testing::testDataPath;

bool compilerFound() {
  static const bool found = runCommand("command -v gfortran && command -v nm").exitStatus == 0;
  return found;
}

#define SKIP_WITHOUT_COMPILER()                                                              \
  if (!compilerFound()) {                                                                    \
    GTEST_SKIP() << "gfortran or nm is not installed: the generated source is not compiled"; \
  }

// --- Decks ---------------------------------------------------------------

const std::string kBlankCards = "BLANK\nBLANK\nBLANK\n";

// What DIMDEF hands on after a deck, worked out by hand: LSIZE(1..NLISTS)
// and LTLABL for NCHAIN = 0, and the sizes that only the chain blocks show.
struct DimdefValues {
  std::vector<std::int32_t> lists;  // lists 1 to NLISTS as DIMDEF gives them
  std::int32_t LTLABL;
  std::int32_t list52;
  std::int32_t list99;
  std::int32_t list71BeforeRoot23;
  std::int32_t list71BeforeRoot25;
  std::int32_t list73BeforeRoot25;
  std::int32_t list74BeforeRoot28;
};

struct DeckCase {
  std::string name;
  std::string deck;
  std::optional<DimdefValues> dimdef;  // when worked out
};

// Lists 1 to 31 of a deck without cards: the defaults, list 1 raised by 2
// and list 27 made even.
const std::vector<std::int32_t> kDefaultLists = {
    252, 300, 500,  50,  2500, 40,  700,  1750, 75,  160, 50, 50,   5000, 20, 3600, 40,
    4,   5,   1600, 860, 100,  350, 4000, 3,    400, 84,  26, 7000, 1,    2,  10};

std::vector<std::int32_t> defaultListsWith(std::map<std::size_t, std::int32_t> changes) {
  std::vector<std::int32_t> lists = kDefaultLists;
  for (auto [k, size] : changes) {
    if (k > lists.size()) lists.resize(k);
    lists[k - 1] = size;
  }
  return lists;
}

// Without cards: MTOT 86656, LTLABL 79880; list 52 = 4 x L4; list 99 and
// list 71 before ROOT23 take the offsets' 70000; the square-root rule with
// V = 70000 gives 52 and 53; list 74 before ROOT28 is SCALE6 = 5.
const DimdefValues kEmptyDeckDimdef{kDefaultLists, 79880, 200, 70000, 70000, 52, 53, 5};

const std::vector<DeckCase>& deckCases() {
  static const std::vector<DeckCase> cases = [] {
    std::vector<DeckCase> all;
    all.push_back({"Empty", "", kEmptyDeckDimdef});

    // Each default times 0.7 in extended precision, truncated: a product
    // that should be whole falls just short (100 gives 69, 7000 gives 4899);
    // then list 1 + 2, list 7 (489) and 27 (17) made even, list 15
    // (2519) raised to 2524.  MTOT 59729; LTLABL = 59729 - (176 + 490) / 2
    // - 7 x 2524 / 4 = 54979.  List 52 = 4 x 34.
    all.push_back({"DefaultMultiplier", keywordCard("DEFAULT", "0.7"),
                   DimdefValues{{176,  209,  349, 34,   1749, 27,   490, 1224, 52,  111, 34,
                                 34,   3499, 13,  2524, 28,   2,    3,   1119, 601, 69,  244,
                                 2799, 2,    279, 58,   18,   4899, 1,   1,    6},
                                54979,
                                136,
                                70000,
                                70000,
                                52,
                                53,
                                5}});

    // LTLABL becomes the size of list 29.
    DimdefValues ram = kEmptyDeckDimdef;
    ram.lists[28] = 79880;
    all.push_back({"RamTables", "RAM TABLES\n", ram});

    // Rounding changes the dimensions, never the sizes DIMDEF hands on.
    all.push_back({"RoundUp", keywordCard("ROUND UP", "4096"), kEmptyDeckDimdef});
    all.push_back({"RoundUpDefaultQuantum", keywordCard("ROUND UP", "0"), kEmptyDeckDimdef});

    // Lists 31 = 20 and 32 from its default 100; list 33 is never handed
    // on.  CIDEAL counts 20 words per element: MTOT 86656 + 200, LTLABL 80080.
    all.push_back({"FourthCard",
                   kBlankCards + listCard({"20", "", "7"}, " {Optional card for Lists 31, etc."),
                   DimdefValues{defaultListsWith({{31, 20}, {32, 100}}), 80080, 200, 70000, 70000,
                                52, 53, 5}});

    // LSTSUP(1) = 123457000 needs nine columns; LSTSUP(2) = 600; the
    // square-root rule with V = LSTSUP(4) = 80000 gives 56 and 57.
    all.push_back({"LargeFirstOffset", kBlankCards + listCard({"123457E3", "600", "", "80000"}),
                   DimdefValues{kDefaultLists, 79880, 200, 123457000, 600, 56, 57, 5}});

    // List 3 = 99999999 (X, C and R, REAL*8, 2 words each: MTOT
    // 86656 + 6 x 99999499 = 600083650, LTLABL 600076874); list 23 and
    // LSTSUP(1) = 2147000000, ten digits; LSTSUP(2) blank gives 742; V falls
    // back to LSTSUP(1): q = 1073500000, x = 46697250648.5625, sqrt(x)
    // = 216095.47, n = 9933, then 9734.
    all.push_back({"HugeSizes",
                   listCard({"", "", "99999999"}) + "BLANK\n" + listCard({"", "", "2.147E9"}) +
                       listCard({"2.147E9"}),
                   DimdefValues{defaultListsWith({{3, 99999999}, {23, 2147000000}}), 600076874, 200,
                                2147000000, 742, 9734, 9735, 5}});

    // List 6 = 1 with NBHDSW -2.0E9: list 56 = -2000000000 (NBHDSW, row 95)
    // and, before ROOT28, list 74 too (NBHDXX, row 180).  MTOT = 86656
    // - 351 (list 6) - 468 (60) - 117 (63) - 312 (64) - 312 (73)
    // - 2000000200 (56) = -1999915104, LTLABL -1999921880.
    all.push_back({"NegativeList56",
                   keywordCard("NBHDSW", "-2.0E9") + listCard({"", "", "", "", "", "1"}),
                   DimdefValues{defaultListsWith({{6, 1}}), -1999921880, 200, 70000, 70000, 52, 53,
                                -2000000000}});

    // NBHDSW -0.5: list 56 = -20 and list 74 before ROOT28 = 0.
    all.push_back({"ZeroAndNegativeDimensions", keywordCard("NBHDSW", "-0.5"), std::nullopt});
    return all;
  }();
  return cases;
}

const DeckCase& deckCase(const std::string& name) {
  for (const DeckCase& c : deckCases()) {
    if (c.name == name) return c;
  }
  throw std::logic_error("no deck " + name);
}

// --- One deck, run and compiled -------------------------------------------

struct CompiledDeck {
  TempDir dir;
  ProcessResult run;
  std::string newmods;
  std::string dimdef;
  ProcessResult compileNewmods;
  ProcessResult compileDimdef;
  ProcessResult symbols;  // nm -S of newmods.o
};

ProcessResult compile(const TempDir& dir, const std::string& source, const std::string& object) {
  return runCommand("cd " + shellQuote(dir.path()) + " && gfortran -c -std=legacy " + source +
                    " -o " + object);
}

// Each deck runs and compiles once, whatever tests look at it.
const CompiledDeck& compiledDeck(const std::string& name) {
  static std::map<std::string, std::unique_ptr<CompiledDeck>> cache;
  auto found = cache.find(name);
  if (found != cache.end()) return *found->second;
  auto deck = std::make_unique<CompiledDeck>();
  deck->run = runSizgenBinary(deck->dir.path(), deckCase(name).deck);
  if (deck->run.exitStatus == 0) {
    deck->newmods = readFile(deck->dir.file("newmods.for"));
    deck->dimdef = readFile(deck->dir.file("dimdef.for"));
    deck->compileNewmods = compile(deck->dir, "newmods.for", "newmods.o");
    deck->compileDimdef = compile(deck->dir, "dimdef.for", "dimdef.o");
    if (deck->compileNewmods.exitStatus == 0) {
      deck->symbols = runCommand("nm -S " + shellQuote(deck->dir.file("newmods.o")));
    }
  }
  return *cache.emplace(name, std::move(deck)).first->second;
}

// --- What newmods.for declares and what the object file holds ---------------

struct DeclaredBlock {
  std::string block;
  std::string name;
  std::int64_t dimension;
  int elementBytes;  // of the declared type
};

// The COMMON blocks declared in newmods.for, in order, each with the type
// its array is declared with: a CHARACTER line right after the COMMON line,
// else the IMPLICIT rule (I to N INTEGER*4, others REAL*8).
std::vector<DeclaredBlock> declaredBlocks(const std::string& newmods) {
  static const std::regex common(
      R"(      COMMON  / ([A-Z0-9]{6}) /   ([A-Z0-9 ]{6})\( *(-?\d+) \))");
  static const std::regex character(R"(      CHARACTER\*(\d+) +([A-Z0-9 ]{6}))");
  static const std::regex other(R"(      SUBROUTINE ROOT[0-9 ]{2})"
                                R"(|      IMPLICIT REAL\*8 \(A-H, O-Z\),  INTEGER\*4 \(I-N\) {30})"
                                R"(|      END)");
  std::vector<DeclaredBlock> blocks;
  std::vector<std::string> lines = linesOf(newmods);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    std::smatch m;
    if (std::regex_match(lines[n], m, common)) {
      DeclaredBlock block{m[1], m[2], std::stoll(m[3]), 0};
      std::smatch type;
      if (n + 1 < lines.size() && std::regex_match(lines[n + 1], type, character)) {
        EXPECT_EQ(type[2], block.name) << lines[n + 1];
        block.elementBytes = std::stoi(type[1]);
      } else {
        block.elementBytes =
            std::string_view("IJKLMN").find(block.name[0]) != std::string::npos ? 4 : 8;
      }
      blocks.push_back(block);
    } else {
      EXPECT_TRUE(std::regex_match(lines[n], character) || std::regex_match(lines[n], other))
          << "line " << n + 1 << ": " << lines[n];
    }
  }
  return blocks;
}

// --- The dimensions worked out by hand -------------------------------------

struct ExpectedBlock {
  std::string_view block;
  std::int64_t dimension;
  int elementBytes;
};

// Without cards: each row's list size (list 99 for C20B01, list 71 = 70000
// in ROOT23 and 52 in ROOT25, list 73 = 53 in ROOT25, list 74 = 5 in
// ROOT28; ROOT10 with the derived 504, 80 and 100) and the bytes of its
// declared type: CSTO CHARACTER*1, CIDEAL CHARACTER*80, TEXVEC and BUS
// CHARACTER*6.
// clang-format off
constexpr ExpectedBlock kEmptyDeckBlocks[] = {
    {"C0B001", 500, 8}, {"C0B002", 2520, 8}, {"C0B003", 2520, 4}, {"C0B004", 1750, 8},  // 1
    {"C0B005", 1750, 8}, {"C0B006", 200, 8}, {"C0B007", 20, 4}, {"C0B008", 5, 8},  // 5
    {"C0B009", 860, 8}, {"C0B010", 350, 8}, {"C0B011", 100, 8}, {"C0B012", 100, 8},  // 9
    {"C0B013", 350, 8}, {"C0B014", 1600, 8}, {"C0B015", 7000, 8}, {"C0B016", 3600, 1},  // 13
    {"C0B017", 10, 80}, {"C0B018", 26, 4}, {"C0B019", 26, 8}, {"C0B020", 26, 4},  // 17
    {"C0B021", 26, 4}, {"C0B022", 40, 4}, {"C0B023", 40, 4}, {"C0B024", 80, 4},  // 21
    {"C0B025", 80, 4}, {"C0B026", 80, 8}, {"C0B027", 40, 8}, {"C0B028", 80, 4},  // 25
    {"C0B029", 40, 8}, {"C0B030", 120, 4}, {"C0B031", 160, 8}, {"C0B032", 75, 4},  // 29
    {"C0B033", 75, 4}, {"C0B034", 75, 8}, {"C0B035", 75, 8}, {"C0B036", 75, 8},  // 33
    {"C0B037", 75, 8}, {"C0B038", 75, 8}, {"C0B039", 75, 4}, {"C0B040", 75, 8},  // 37
    {"C0B041", 75, 4}, {"C0B042", 75, 4}, {"C0B043", 75, 4}, {"C0B044", 75, 4},  // 41
    {"C0B045", 75, 4}, {"C0B046", 85, 8}, {"C0B047", 160, 8}, {"C0B048", 160, 8},  // 45
    {"C0B049", 160, 8}, {"C0B050", 252, 4}, {"C0B051", 500, 8}, {"C0B052", 2500, 8},  // 49
    {"C0B053", 2500, 8}, {"C0B054", 500, 8}, {"C0B055", 300, 4}, {"C0B056", 300, 4},  // 53
    {"C0B057", 9, 4}, {"C0B058", 300, 8}, {"C0B059", 300, 8}, {"C0B060", 300, 8},  // 57
    {"C0B061", 100, 8}, {"C0B062", 252, 4}, {"C0B063", 404, 8}, {"C0B064", 96, 8},  // 61
    {"C0B065", 480, 8}, {"C0B066", 240, 8}, {"C0B067", 120, 4}, {"C0B068", 700, 6},  // 65
    {"C0B069", 252, 6}, {"C0B070", 50, 8}, {"C0B071", 400, 8}, {"C0B072", 504, 4},  // 69
    {"C0B073", 756, 4}, {"C0B074", 756, 8}, {"C0B075", 252, 8}, {"C0B076", 79, 4},  // 73
    {"C0B077", 300, 4}, {"C0B078", 300, 4}, {"C0B079", 300, 4}, {"C0B080", 300, 4},  // 77
    {"C0B081", 300, 4}, {"C0B082", 300, 8}, {"C0B083", 300, 8}, {"C0B084", 300, 4},  // 81
    {"C0B085", 300, 4}, {"C0B086", 300, 4}, {"C0B087", 50, 4}, {"C0B088", 50, 4},  // 85
    {"C0B089", 50, 4}, {"C0B090", 50, 8}, {"C0B091", 50, 8}, {"C0B092", 50, 8},  // 89
    {"C0B093", 50, 8}, {"C0B094", 50, 8}, {"C0B095", 200, 4}, {"C0B096", 80, 4},  // 93
    {"C0B097", 80, 4}, {"C0B098", 40, 8}, {"C0B099", 80, 8}, {"C0B100", 40, 4},  // 97
    {"C0B101", 80, 4}, {"C0B102", 252, 8}, {"C0B103", 252, 8}, {"C0B104", 252, 4},  // 101
    {"C0B105", 252, 4}, {"C0B106", 252, 4}, {"C0B107", 168, 8}, {"C0B108", 84, 8},  // 105
    {"C0B109", 168, 8}, {"C0B110", 100, 4}, {"SPAC01", 4000, 8}, {"SPAC02", 252, 4},  // 109
    {"SPAC03", 252, 4}, {"SPAC04", 252, 8}, {"SPAC05", 252, 8}, {"SPAC06", 252, 8},  // 113
    {"SPAC07", 252, 8}, {"SPAC08", 252, 4}, {"SPAC09", 4000, 8}, {"SPAC10", 4000, 4},  // 117
    {"SPAC11", 4000, 8}, {"C20B01", 70000, 4}, {"C20B02", 1, 4}, {"C21B01", 5000, 8},  // 121
    {"C23B01", 70000, 8}, {"C23B02", 70000, 8}, {"C23B03", 70000, 8}, {"C09B01", 252, 4},  // 125
    {"C09B02", 252, 8}, {"C09B03", 252, 8}, {"C09B04", 252, 8}, {"C09B05", 252, 8},  // 129
    {"C09B06", 4000, 8}, {"C09B07", 4000, 8}, {"C09B08", 200, 4}, {"C09B09", 50, 4},  // 133
    {"C09B10", 50, 8}, {"C09B11", 50, 8}, {"C09B12", 50, 8}, {"C09B13", 50, 8},  // 137
    {"C09B14", 50, 8}, {"C09B15", 50, 8}, {"C09B16", 50, 8}, {"C09B17", 50, 8},  // 141
    {"C09B18", 50, 8}, {"C09B19", 50, 8}, {"C09B20", 50, 8}, {"C09B21", 50, 8},  // 145
    {"C09B22", 50, 8}, {"C09B23", 50, 4}, {"C25B01", 75, 4}, {"C25B02", 52, 4},  // 149
    {"C25B03", 52, 8}, {"C25B04", 52, 8}, {"C25B05", 52, 8}, {"C25B06", 52, 8},  // 153
    {"C25B07", 52, 8}, {"C25B08", 52, 8}, {"C25B09", 52, 4}, {"C25B10", 52, 8},  // 157
    {"C25B11", 52, 8}, {"C25B12", 52, 8}, {"C25B13", 52, 8}, {"C25B14", 52, 8},  // 161
    {"C25B15", 52, 8}, {"C25B16", 52, 8}, {"C25B17", 52, 8}, {"C25B18", 52, 8},  // 165
    {"C25B19", 52, 8}, {"C25B20", 53, 4}, {"C25B21", 53, 8}, {"C25B22", 53, 8},  // 169
    {"C25B23", 53, 8}, {"C25B24", 53, 8}, {"C25B25", 53, 8}, {"C25B26", 53, 8},  // 173
    {"C25B27", 53, 4}, {"C26B01", 75, 4}, {"C27B01", 75, 4}, {"C28B01", 5, 4},  // 177
};
// clang-format on

std::vector<ExpectedBlock> emptyDeckBlocks() {
  return {std::begin(kEmptyDeckBlocks), std::end(kEmptyDeckBlocks)};
}

// The blocks with the storage of rows 1 to 150 raised to the next whole
// quantum: B = D x S (S = 8, 4, 1, 6, and 4 for CHARACTER*80), N = B /
// quantum + 1; CHARACTER*6 becomes CHARACTER*1 of N x quantum characters,
// the others take (N x quantum) / S elements.
std::vector<ExpectedBlock> rounded(std::vector<ExpectedBlock> blocks, std::int64_t quantum) {
  for (std::size_t row = 1; row <= 150; ++row) {
    ExpectedBlock& b = blocks[row - 1];
    std::int64_t S = b.elementBytes == 80 ? 4 : b.elementBytes;
    std::int64_t N = b.dimension * S / quantum + 1;
    if (b.elementBytes == 6) {
      b.dimension = N * quantum;
      b.elementBytes = 1;
    } else {
      b.dimension = N * quantum / S;
    }
  }
  return blocks;
}

// --- Compiling every deck ---------------------------------------------------

class GeneratedSource : public ::testing::TestWithParam<std::string> {};

std::size_t listsOf(const std::string& deck) {
  return deck == "FourthCard" ? 32 : 31;
}

TEST_P(GeneratedSource, CompilesWithGfortran) {
  SKIP_WITHOUT_COMPILER();
  const CompiledDeck& deck = compiledDeck(GetParam());
  ASSERT_EQ(deck.run.exitStatus, 0) << deck.run.err;
  EXPECT_EQ(linesOf(deck.newmods).size(), 211u);
  EXPECT_EQ(linesOf(deck.dimdef).size(), 58u + listsOf(GetParam()));
  EXPECT_EQ(deck.newmods.find("**"), std::string::npos) << "asterisks";
  EXPECT_EQ(deck.dimdef.find("**"), std::string::npos) << "asterisks";
  EXPECT_EQ(deck.compileNewmods.exitStatus, 0) << deck.compileNewmods.err;
  EXPECT_EQ(deck.compileNewmods.err, "");
  EXPECT_EQ(deck.compileDimdef.exitStatus, 0) << deck.compileDimdef.err;
  EXPECT_EQ(deck.compileDimdef.err, "");
}

TEST_P(GeneratedSource, OneCommonSymbolPerBlockOfTheDeclaredSize) {
  SKIP_WITHOUT_COMPILER();
  const CompiledDeck& deck = compiledDeck(GetParam());
  ASSERT_EQ(deck.run.exitStatus, 0) << deck.run.err;
  ASSERT_EQ(deck.symbols.exitStatus, 0) << deck.symbols.err;
  std::vector<DeclaredBlock> blocks = declaredBlocks(deck.newmods);
  ASSERT_EQ(blocks.size(), 180u);
  std::multimap<std::string, Symbol> symbols = symbolsOf(deck.symbols.out);

  std::size_t commons = 0;
  for (const auto& [name, symbol] : symbols) commons += symbol.type == 'C' ? 1 : 0;
  EXPECT_EQ(commons, 180u);
  for (const DeclaredBlock& block : blocks) {
    std::string name = symbolName(block.block);
    ASSERT_EQ(symbols.count(name), 1u) << name;
    const Symbol& symbol = symbols.find(name)->second;
    EXPECT_EQ(symbol.type, 'C') << name;
    if (block.dimension > 0) {
      EXPECT_EQ(symbol.size, block.dimension * block.elementBytes)
          << name << ": " << block.dimension << " x " << block.elementBytes;
    } else {
      // An empty array: the block has no size.
      EXPECT_EQ(symbol.size, std::nullopt) << name << ": " << block.dimension;
    }
  }
  // The nine subroutines.
  for (const char* subroutine : {"root10_", "root20_", "root21_", "root23_", "root9_", "root25_",
                                 "root26_", "root27_", "root28_"}) {
    ASSERT_EQ(symbols.count(subroutine), 1u) << subroutine;
    EXPECT_EQ(symbols.find(subroutine)->second.type, 'T') << subroutine;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryDeck, GeneratedSource,
                         ::testing::Values("Empty", "DefaultMultiplier", "RamTables", "RoundUp",
                                           "RoundUpDefaultQuantum", "FourthCard",
                                           "LargeFirstOffset", "HugeSizes", "NegativeList56",
                                           "ZeroAndNegativeDimensions"),
                         [](const auto& info) { return info.param; });

// The dimensions and types of the blocks, as compiled.
void expectBlocks(const std::string& deckName, const std::vector<ExpectedBlock>& expected) {
  const CompiledDeck& deck = compiledDeck(deckName);
  ASSERT_EQ(deck.run.exitStatus, 0) << deck.run.err;
  std::vector<DeclaredBlock> blocks = declaredBlocks(deck.newmods);
  ASSERT_EQ(blocks.size(), expected.size());
  std::multimap<std::string, Symbol> symbols = symbolsOf(deck.symbols.out);
  for (std::size_t n = 0; n < expected.size(); ++n) {
    const ExpectedBlock& e = expected[n];
    SCOPED_TRACE("row " + std::to_string(n + 1) + ", block " + std::string(e.block));
    EXPECT_EQ(blocks[n].block, e.block);
    EXPECT_EQ(blocks[n].dimension, e.dimension);
    EXPECT_EQ(blocks[n].elementBytes, e.elementBytes);
    auto symbol = symbols.find(symbolName(std::string(e.block)));
    ASSERT_NE(symbol, symbols.end());
    EXPECT_EQ(symbol->second.size, e.dimension * e.elementBytes);
  }
}

TEST(CompiledBlocks, EmptyDeck) {
  SKIP_WITHOUT_COMPILER();
  expectBlocks("Empty", emptyDeckBlocks());
}

TEST(CompiledBlocks, RamTablesSizesJarray) {
  SKIP_WITHOUT_COMPILER();
  std::vector<ExpectedBlock> blocks = emptyDeckBlocks();
  blocks[123 - 1].dimension = 79880;
  expectBlocks("RamTables", blocks);
}

TEST(CompiledBlocks, RoundedToQuanta) {
  SKIP_WITHOUT_COMPILER();
  std::vector<ExpectedBlock> blocks = rounded(emptyDeckBlocks(), 4096);
  // Spot checks of the rule: X (500 x 8 = 4000 bytes) takes one quantum,
  // CSTO (3600 bytes) one, TEXVEC (4200 bytes) two as CHARACTER*1, CIDEAL
  // (40 bytes) 1024 elements of CHARACTER*80, KARRAY (280000 bytes) 69
  // quanta, NBHDXX in ROOT28 none.
  EXPECT_EQ(blocks[0].dimension, 512);
  EXPECT_EQ(blocks[15].dimension, 4096);
  EXPECT_EQ(blocks[67].dimension, 8192);
  EXPECT_EQ(blocks[67].elementBytes, 1);
  EXPECT_EQ(blocks[16].dimension, 1024);
  EXPECT_EQ(blocks[121].dimension, 70656);
  EXPECT_EQ(blocks[179].dimension, 5);
  expectBlocks("RoundUp", blocks);
  expectBlocks("RoundUpDefaultQuantum", rounded(emptyDeckBlocks(), 4194304));
}

TEST(CompiledBlocks, NegativeAndZeroDimensionsHaveNoSize) {
  SKIP_WITHOUT_COMPILER();
  for (auto [deckName, list56, list74] : {std::tuple{"NegativeList56", -2000000000, -2000000000},
                                          std::tuple{"ZeroAndNegativeDimensions", -20, 0}}) {
    SCOPED_TRACE(deckName);
    const CompiledDeck& deck = compiledDeck(deckName);
    ASSERT_EQ(deck.run.exitStatus, 0) << deck.run.err;
    std::vector<DeclaredBlock> blocks = declaredBlocks(deck.newmods);
    ASSERT_EQ(blocks.size(), 180u);
    EXPECT_EQ(blocks[95 - 1].block, "C0B095");
    EXPECT_EQ(blocks[95 - 1].dimension, list56);
    EXPECT_EQ(blocks[180 - 1].block, "C28B01");
    EXPECT_EQ(blocks[180 - 1].dimension, list74);
    std::multimap<std::string, Symbol> symbols = symbolsOf(deck.symbols.out);
    for (const char* name : {"c0b095_", "c28b01_"}) {
      ASSERT_EQ(symbols.count(name), 1u) << name;
      EXPECT_EQ(symbols.find(name)->second.type, 'C') << name;
      EXPECT_EQ(symbols.find(name)->second.size, std::nullopt) << name;
    }
  }
  // Written in full, not as asterisks.
  std::string newmods = compiledDeck("NegativeList56").newmods;
  EXPECT_NE(newmods.find("\n      COMMON  / C0B095 /   NBHDSW(-2000000000 )\n"), std::string::npos);
  EXPECT_NE(newmods.find("\n      COMMON  / C28B01 /   NBHDXX(-2000000000 )\n"), std::string::npos);
}

// --- DIMDEF, compiled and called --------------------------------------------

constexpr std::int32_t kUntouched = -777777777;  // the probe's marker
constexpr std::int32_t kProbedSelectors[] = {0, 20, 21, 23, 9, 25, 26, 27, 28, 10, 99};

// The object file of the probe program, compiled once.
const std::string& probeObject() {
  static TempDir dir;
  static const std::string object = [] {
    ProcessResult result =
        runCommand("gfortran -c -std=legacy " + shellQuote(testDataPath("emit/dimdef_probe.f")) +
                   " -o " + shellQuote(dir.file("probe.o")));
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return dir.file("probe.o");
  }();
  return object;
}

// LSIZE(1..50) after DIMDEF(LSIZE, NCHAIN), by NCHAIN, as the expected
// values say: the NCHAIN = 0 block, then for each selector the pairs of the
// lists its group uses first, in row order, list 99 written as 0.
std::map<std::int32_t, std::vector<std::int32_t>> expectedLsize(const DimdefValues& v) {
  auto L = [&](std::size_t k) { return v.lists[k - 1]; };
  std::map<std::int32_t, std::vector<std::int32_t>> filled = {
      {0, v.lists},
      {20, {23, L(23), 1, L(1), 0, v.list99, 29, L(29)}},
      {21, {13, L(13)}},
      {23, {71, v.list71BeforeRoot23}},
      {9, {1, L(1), 23, L(23), 52, v.list52, 4, L(4)}},
      {25, {9, L(9), 71, v.list71BeforeRoot25, 73, v.list73BeforeRoot25}},
      {26, {9, L(9)}},
      {27, {9, L(9)}},
      {28, {74, v.list74BeforeRoot28}},
      {10, {}},
      {99, {}},
  };
  filled[0].push_back(v.LTLABL);
  for (auto& [selector, values] : filled) values.resize(50, kUntouched);
  return filled;
}

class DimdefProgram : public ::testing::TestWithParam<std::string> {};

TEST_P(DimdefProgram, HandsOnTheListSizes) {
  SKIP_WITHOUT_COMPILER();
  const DeckCase& c = deckCase(GetParam());
  ASSERT_TRUE(c.dimdef.has_value());
  const CompiledDeck& deck = compiledDeck(GetParam());
  ASSERT_EQ(deck.run.exitStatus, 0) << deck.run.err;
  ASSERT_EQ(deck.compileDimdef.exitStatus, 0) << deck.compileDimdef.err;
  const std::string& probe = probeObject();
  std::string program = deck.dir.file("probe");
  ProcessResult link =
      runCommand("gfortran " + shellQuote(probe) + " " + shellQuote(deck.dir.file("dimdef.o")) +
                 " -o " + shellQuote(program));
  ASSERT_EQ(link.exitStatus, 0) << link.err;
  ProcessResult output = runCommand(shellQuote(program));
  ASSERT_EQ(output.exitStatus, 0) << output.err;

  std::map<std::int32_t, std::vector<std::int32_t>> expected = expectedLsize(*c.dimdef);
  std::vector<std::string> lines = linesOf(output.out);
  ASSERT_EQ(lines.size(), std::size(kProbedSelectors));
  for (std::size_t n = 0; n < lines.size(); ++n) {
    std::istringstream in(lines[n]);
    std::int32_t selector = 0;
    in >> selector;
    EXPECT_EQ(selector, kProbedSelectors[n]);
    std::vector<std::int32_t> lsize;
    for (std::int64_t value; in >> value;) lsize.push_back(static_cast<std::int32_t>(value));
    EXPECT_EQ(lsize, expected[selector]) << "NCHAIN = " << selector;
  }
}

INSTANTIATE_TEST_SUITE_P(Decks, DimdefProgram,
                         ::testing::Values("Empty", "DefaultMultiplier", "RamTables", "RoundUp",
                                           "FourthCard", "LargeFirstOffset", "HugeSizes",
                                           "NegativeList56"),
                         [](const auto& info) { return info.param; });

TEST(DimdefSource, ValuesWiderThanTheirFieldAreWrittenInFull) {
  SKIP_WITHOUT_COMPILER();
  std::string large = compiledDeck("LargeFirstOffset").dimdef;
  EXPECT_NE(large.find("\n      LSIZE( 5)  =       0\n      LSIZE( 6)  =123457000\n"),
            std::string::npos)
      << large;
  std::string huge = compiledDeck("HugeSizes").dimdef;
  EXPECT_NE(huge.find("\n      LSIZE(23)  =2147000000\n"), std::string::npos) << huge;
  std::string negative = compiledDeck("NegativeList56").dimdef;
  EXPECT_NE(negative.find("\n      LSIZE(N7)  =-1999921880\n"), std::string::npos) << negative;
  EXPECT_NE(negative.find("\n      LSIZE( 2)  =-2000000000\n      RETURN\n 9900 CONTINUE\n"),
            std::string::npos)
      << negative;
}

}  // namespace
}  // namespace sizgen
