#include "sizing/storage_total.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "sizing/list_resolution.h"
#include "support/resolution.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

using testing::errorOf;
using testing::InMemoryRun;
using testing::linesOf;
using testing::resolved;
using testing::runInMemory;

// The totals of lists that no card set.
std::int32_t storageTotalOf(const ListSizes& LSTNEW) {
  return storageTotal(DeckSettings{}, LSTNEW, ListHistory{});
}
std::int32_t adjustedTotalOf(std::int32_t MTOT, const ListSizes& LSTNEW) {
  return adjustedTotal(MTOT, DeckSettings{}, LSTNEW, ListHistory{});
}

TEST(StorageTotal, EmptyDeck) {
  ListSizes LSTNEW = resolved();
  std::int32_t MTOT = storageTotalOf(LSTNEW);
  EXPECT_EQ(MTOT, 86656);
  // Less (252 + 700) / 2 = 476 and 7 x 3600 / 4 = 6300.
  EXPECT_EQ(adjustedTotalOf(MTOT, LSTNEW), 79880);
}

TEST(StorageTotal, WordsPerElementOfEachList) {
  // How much one more element of list k adds to MTOT: the words of every
  // ROOT10 row dimensioned by it.
  struct Weight {
    std::size_t list;
    std::int32_t words;
  };
  const Weight weights[] = {
      {31, 20},  // CIDEAL, CHARACTER*80
      {15, 4},   // CSTO, CHARACTER*1
      {7, 2},    // TEXVEC, CHARACTER*6
      {1, 12},   // KK, BUS, FINIT, E, F, KSSFRQ, KODE, KPSOUR
      {56, 1},   // NBHDSW
      {71, 1},   // KKS, with the derived 2 x L1
      {72, 1},   // NODABR
      {73, 4},   // KBEGSW, KENTNB, NEXTSW, NAMESW
      {74, 2},   // BVALUE
      {13, 0},   // PLOTEV is in ROOT21
      {23, 0},   // ROOT20 and ROOT9 only
      {29, 0},   // JARRAY is in ROOT20
      {32, 0},   // no array
      {61, 0},   // never computed
      {99, 0},   // KARRAY of ROOT20
  };
  const ListSizes base = resolved();
  for (Weight w : weights) {
    ListSizes LSTNEW = base;
    LSTNEW(w.list) += 1000;
    EXPECT_EQ(storageTotalOf(LSTNEW), 86656 + 1000 * w.words) << "list " << w.list;
  }
  ListSizes negative = base;
  negative(56) = -86456;  // 200 less 86656
  EXPECT_EQ(storageTotalOf(negative), 0);
}

TEST(StorageTotal, IndependentOfTheLateSteps) {
  // List 99 and the late sizes of lists 71, 73 and 74 come after the
  // total; the total uses the derived values.
  ListSizes LSTNEW = resolved();
  EXPECT_EQ(LSTNEW(71), 504);
  EXPECT_EQ(LSTNEW(73), 80);
  EXPECT_EQ(LSTNEW(74), 100);
  LSTNEW(99) = 123456;
  EXPECT_EQ(storageTotalOf(LSTNEW), 86656);
}

TEST(StorageTotal, LargeListsThatFit) {
  // L25 = 1e9: 3 x L25 exceeds 32 bits inside list 53 = 75 + 26785714.
  ListSizes cards;
  cards(25) = 1000000000;
  ListSizes LSTNEW = resolved({}, cards);
  EXPECT_EQ(LSTNEW(53), 26785789);
  std::int32_t MTOT = storageTotalOf(LSTNEW);
  EXPECT_EQ(MTOT, 86656 + 2 * (1000000000 - 400) + 2 * (26785789 - 85));
  EXPECT_EQ(adjustedTotalOf(MTOT, LSTNEW), MTOT - 6776);

  // L15 = 4e8: 7 x L15 exceeds 32 bits in the modify step.
  cards = {};
  cards(15) = 400000000;
  LSTNEW = resolved({}, cards);
  MTOT = storageTotalOf(LSTNEW);
  EXPECT_EQ(MTOT, 1600072256);
  EXPECT_EQ(adjustedTotalOf(MTOT, LSTNEW), 900071780);
}

TEST(StorageTotal, RunningSumMayPassTheRange) {
  // L5 = 3.1e8 adds 7 words per element (TR, TX, and YKM, KM through
  // list 54) before row 95, whose negative list 56 brings the total back.
  DeckSettings settings;
  settings.SCALE6 = -2000000;
  ListSizes cards;
  cards(5) = 310000000;
  ListSizes LSTNEW = resolved(settings, cards);
  EXPECT_EQ(LSTNEW(56), -80000000);
  EXPECT_EQ(storageTotalOf(LSTNEW), 2090068956);
}

TEST(StorageTotal, TotalOutOfRange) {
  ListSizes cards;
  cards(5) = 2000000000;
  ListSizes LSTNEW = resolved({}, cards);
  EXPECT_EQ(errorOf([&] { storageTotalOf(LSTNEW); }),
            "the storage total MTOT is out of the 32-bit range; most of it is list 5, 8000000000 "
            "words in 2 arrays (the largest TR, row 52); then list 54, 6000000060 words in 2 "
            "arrays (the largest YKM, row 2)");
  cards = {};
  cards(17) = 21262214;  // list 65 = 2147483614, 2 words per element
  LSTNEW = resolved({}, cards);
  EXPECT_EQ(errorOf([&] { storageTotalOf(LSTNEW); }),
            "the storage total MTOT is out of the 32-bit range; most of it is list 65, 4294967228 "
            "words in 1 array (ELP, row 63); then list 66, 1020586272 words in 1 array (CU, row "
            "64)");
}

TEST(StorageTotal, ModifyStep) {
  ListSizes LSTNEW;
  // Each division truncates toward zero on its own.
  LSTNEW(1) = 3;
  LSTNEW(7) = 0;
  LSTNEW(15) = 1;
  EXPECT_EQ(adjustedTotalOf(100, LSTNEW), 98);
  LSTNEW(1) = -3;
  LSTNEW(15) = -1;
  EXPECT_EQ(adjustedTotalOf(100, LSTNEW), 102);
  // Wide intermediates: L1 + L7 and 7 x L15 beyond 32 bits.
  LSTNEW(1) = 2000000000;
  LSTNEW(7) = 2000000000;
  LSTNEW(15) = 4;
  EXPECT_EQ(adjustedTotalOf(kMax, LSTNEW), kMax - 2000000000 - 7);
  LSTNEW(1) = 252;
  LSTNEW(7) = 700;
  LSTNEW(15) = 2000000000;
  EXPECT_EQ(adjustedTotalOf(kMax, LSTNEW), -1352516829);
}

TEST(StorageTotal, ModifyStepOutOfRange) {
  // What is out of range; where the total came from is the storage
  // total's own text.
  auto what = [](const std::string& message) { return message.substr(0, message.find(';')); };
  ListSizes LSTNEW;
  LSTNEW(1) = 2;
  LSTNEW(7) = 2;
  LSTNEW(15) = 4;
  EXPECT_EQ(adjustedTotalOf(kMin + 9, LSTNEW), kMin);
  EXPECT_EQ(what(errorOf([&] { adjustedTotalOf(kMin + 8, LSTNEW); })),
            "LTLABL (MTOT after the modify step) is out of the 32-bit range");
  LSTNEW(15) = -8;  // adds 14
  EXPECT_EQ(adjustedTotalOf(kMax - 12, LSTNEW), kMax);
  EXPECT_EQ(what(errorOf([&] { adjustedTotalOf(kMax - 11, LSTNEW); })),
            "LTLABL (MTOT after the modify step) is out of the 32-bit range");
}

// ---------------------------------------------------------------------------
// debug.lis and what the modify step hands on

const std::string kEmptyDeckDebug =
    "  Before modify,  MTOT = 86656\n"
    "  LSTNEW(1) = 252\n"
    "  LSTNEW(7) = 700\n"
    "  After  modify,  MTOT = 79880\n"
    "  B4 modify, LSTNEW(29) = 1\n"
    "     modify, LSTNEW(29) = 1\n";

const std::string kClosing79880 =
    " Normal termination of  \"SIZGEN\".   LTLABL =     79880   (the size of  \"LABCOM\"  in  "
    "INTEGER  words).\n";

// The LSIZE lines of DIMDEF's selector-20 block.
std::vector<std::string> block20(const std::vector<std::string>& dimdef) {
  auto at = std::find(dimdef.begin(), dimdef.end(), " 2000 IF ( NCHAIN  .NE.  20 )   GO TO 2100");
  if (dimdef.end() - at < 9) {
    ADD_FAILURE() << "no selector-20 block";
    return {};
  }
  return std::vector<std::string>(at + 1, at + 9);
}

TEST(DebugFile, EmptyDeck) {
  InMemoryRun run = runInMemory("");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(run.files["debug.lis"], kEmptyDeckDebug);
  EXPECT_TRUE(run.listing.ends_with(kClosing79880));
  auto dimdef = linesOf(run.files["dimdef.for"]);
  ASSERT_GE(dimdef.size(), 38u);
  EXPECT_EQ(dimdef[32], "      LSIZE(29)  =       1");
  EXPECT_EQ(dimdef[36], "      LSIZE(N7)  =     79880");
}

TEST(DebugFile, RamTables) {
  InMemoryRun run = runInMemory("RAM TABLES\n");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(run.files["debug.lis"],
            "  Before modify,  MTOT = 86656\n"
            "  LSTNEW(1) = 252\n"
            "  LSTNEW(7) = 700\n"
            "  After  modify,  MTOT = 79880\n"
            "  B4 modify, LSTNEW(29) = 1\n"
            "     modify, LSTNEW(29) = 79880\n");
  EXPECT_TRUE(run.listing.ends_with(kClosing79880));
  auto dimdef = linesOf(run.files["dimdef.for"]);
  ASSERT_GE(dimdef.size(), 38u);
  EXPECT_EQ(dimdef[32], "      LSIZE(29)  =   79880");
  auto pairs = block20(dimdef);
  ASSERT_EQ(pairs.size(), 8u);
  EXPECT_EQ(pairs[6], "      LSIZE( 7)  =      29");
  EXPECT_EQ(pairs[7], "      LSIZE( 8)  =   79880");
}

TEST(DebugFile, FirstOffsetChangesOnlyList99) {
  InMemoryRun run = runInMemory("\n\n\n  123456\n");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(run.files["debug.lis"], kEmptyDeckDebug);
  EXPECT_TRUE(run.listing.ends_with(kClosing79880));
  auto pairs = block20(linesOf(run.files["dimdef.for"]));
  ASSERT_EQ(pairs.size(), 8u);
  EXPECT_EQ(pairs[4], "      LSIZE( 5)  =       0");
  EXPECT_EQ(pairs[5], "      LSIZE( 6)  =  123456");
}

}  // namespace
}  // namespace sizgen
