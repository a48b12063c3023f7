// The plan of a run and whole runs held in memory: the list sizes each
// group sees, the DIMDEF pairs, a size out of range found before anything
// is generated, and outputs that fail at any write.

#include "sizing/run_planning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "base/error.h"
#include "base/sink.h"
#include "model/list_history.h"
#include "model/run_plan.h"
#include "support/cards.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::FailingFiles;
using testing::FailingSink;
using testing::listCard;
using testing::runWith;

constexpr std::string_view kClosingLine = " Normal termination of  \"SIZGEN\".";

// List `k` as each of the nine groups sees it, in walk order.
std::vector<std::int32_t> listPerGroup(const RunPlan& plan, std::size_t k) {
  std::vector<std::int32_t> sizes;
  for (const PlannedGroup& group : plan.groups) sizes.push_back(group.LSTNEW(k));
  return sizes;
}

TEST(RunPlan, ListsThatChangeBetweenGroups) {
  const RunPlan plan = planRun(DeckSettings{});
  using Sizes = std::vector<std::int32_t>;
  // ROOT10 ROOT20 ROOT21 ROOT23 ROOT9 ROOT25 ROOT26 ROOT27 ROOT28
  EXPECT_EQ(listPerGroup(plan, 71), (Sizes{504, 504, 504, 70000, 70000, 52, 52, 52, 52}));
  EXPECT_EQ(listPerGroup(plan, 73), (Sizes{80, 80, 80, 80, 80, 53, 53, 53, 53}));
  EXPECT_EQ(listPerGroup(plan, 74), (Sizes{100, 100, 100, 100, 100, 100, 100, 100, 5}));
  EXPECT_EQ(listPerGroup(plan, 99), (Sizes{0, 70000, 70000, 70000, 70000, 70000, 70000, 70000, 70000}));
  EXPECT_EQ(plan.MTOT, 86656);
  EXPECT_EQ(plan.LTLABL, 79880);
  EXPECT_FALSE(plan.finalSizesShown);
  // Row 72 (KKS, list 71) in ROOT10 and row 125 in ROOT23.
  EXPECT_EQ(plan.array(72).dimension, 504);
  EXPECT_EQ(plan.array(125).dimension, 70000);
  EXPECT_EQ(plan.array(122).list, 99);
  EXPECT_EQ(plan.array(122).extent, 70000);
}

TEST(RunPlan, RamTablesGiveList29TheSizeOfLabcomFromRoot20On) {
  DeckSettings settings;
  settings.KRAMTB = 1;
  const RunPlan plan = planRun(settings);
  EXPECT_EQ(plan.groups[0].LSTNEW(29), 1);
  EXPECT_EQ(plan.groups[1].LSTNEW(29), 79880);
  EXPECT_EQ(plan.firstBlock[28], 79880);
  EXPECT_EQ(plan.debug.list29Before, 1);
  EXPECT_EQ(plan.debug.list29After, 79880);
}

TEST(RunPlan, PairsOfEachChainBlockInOrderOfFirstUse) {
  DeckSettings settings;
  settings.LSTSUP(2) = 742;
  const RunPlan plan = planRun(settings);
  std::vector<std::vector<std::int32_t>> lists;
  for (const PlannedGroup& group : plan.groups) {
    std::vector<std::int32_t> pairLists;
    for (const ListPair& pair : group.pairs) pairLists.push_back(pair.list);
    lists.push_back(pairLists);
  }
  EXPECT_EQ(lists, (std::vector<std::vector<std::int32_t>>{
                       {}, {23, 1, 99, 29}, {13}, {71}, {1, 23, 52, 4}, {9, 71, 73}, {9}, {9}, {74}}));
  // Each size is the one of the pair's group.
  EXPECT_EQ(plan.groups[3].pairs[0].size, 742);
  EXPECT_EQ(plan.groups[5].pairs[1].size, 52);
  EXPECT_EQ(plan.groups[1].pairs[2].size, 70000);  // list 99, written as 0
  EXPECT_EQ(plan.groups[1].pairs[2].dimdefList, 0);
}

// Whether `steps` are one step of each rule of `Rules`, in that order.
template <class... Rules>
bool stepsOf(const std::vector<ListStep>& steps) {
  std::size_t n = 0;
  return steps.size() == sizeof...(Rules) &&
         (std::holds_alternative<Rules>(steps[n++].rule) && ...);
}

TEST(Planner, EachStepShowsItsListsAndThePlanHoldsEveryStep) {
  DeckSettings settings;
  settings.KSCALE = 1;
  settings.FINMUL = 2.0;
  Planner planner(settings);
  const ListSizes passed = planner.resolveCards();
  EXPECT_EQ(passed(1), 500);  // 250 x 2, not yet adjusted
  EXPECT_EQ(passed(51), 0);   // not yet derived
  const ListSizes settled = planner.settleLists();
  EXPECT_EQ(settled(1), 502);
  EXPECT_EQ(settled(51), 200);  // 2 x L12
  const RunPlan plan = planner.finish();
  EXPECT_TRUE(std::ranges::equal(plan.resolved.range(1, 99), settled.range(1, 99)));
  using namespace step;
  EXPECT_TRUE((stepsOf<FromDefault, FinalMultiplier, PlusTwo>(plan.history(1))));
  EXPECT_TRUE((stepsOf<Derived, PlotList, SquareRootRule>(plan.history(71))));
  EXPECT_TRUE(stepsOf<FirstOffset>(plan.history(99)));
}

TEST(Planner, AStepOutOfOrderIsAFaultOfTheProgram) {
  const DeckSettings settings;
  Planner early(settings);
  EXPECT_THROW(early.settleLists(), InternalError);
  EXPECT_THROW(early.finish(), InternalError);
  Planner twice(settings);
  twice.resolveCards();
  EXPECT_THROW(twice.resolveCards(), InternalError);
  twice.settleLists();
  twice.finish();
  EXPECT_THROW(twice.finish(), InternalError);
}

TEST(RunPlan, ASizeOutOfRangeStopsTheRunBeforeAnyFileIsWritten) {
  // List 57 is L1 x L24; TEXVEC (list 7) rounded becomes CHARACTER*1 and
  // counts bytes; list 56 is L6 x SCALE6.
  const std::string decks[] = {
      listCard({"100000", "", "", "", "", "", "", "", "", ""}) + "\n" +
          listCard({"", "", "", "100000"}),
      "ROUND UP    4096\n" + listCard({"", "", "", "", "", "", "4.0E8"}),
      "NBHDSW     1E10\n",
  };
  const std::string messages[] = {
      "list 57 (L1 x L24) is out of the 32-bit range; "
      "list 1 comes from card 1, columns 1-8 (1st list-size card, field 1)",
      "the dimension of row 68 (TEXVEC in C0B068) rounded to 4096 bytes is out of the 32-bit range",
      "list 56 (L6 x SCALE6) is out of the 32-bit range; "
      "the larger factor comes from card 1, columns 9-16 (NBHDSW)",
  };
  for (std::size_t i = 0; i < std::size(decks); ++i) {
    MemorySink listing;
    FailingFiles files;
    EXPECT_EQ(runWith(decks[i], listing, files), messages[i]);
    EXPECT_EQ(files.prepared().size(), 4u);
    EXPECT_EQ(files.text("newmods.for"), nullptr) << "no file is committed";
    EXPECT_EQ(listing.text().find(kClosingLine), std::string::npos);
  }
}

TEST(RunInMemory, FilesAreCommittedAsOneSetBeforeTheClosingLine) {
  const std::string deck = "DEFAULT      1.5\n" + listCard({"600", "1200"});
  MemorySink normalListing;
  FailingFiles normal;
  ASSERT_EQ(runWith(deck, normalListing, normal), "");
  const std::string normalText = normalListing.text();
  ASSERT_NE(normalText.find(kClosingLine), std::string::npos);
  EXPECT_EQ(normal.prepared(),
            (std::vector<std::string>{"newmods.for", "dimdef.for", "dum.bin", "debug.lis"}));
  for (const auto& [name, lines] : {std::pair{"newmods.for", 211u}, std::pair{"dimdef.for", 89u},
                                    std::pair{"debug.lis", 6u}, std::pair{"dum.bin", 0u}}) {
    ASSERT_NE(normal.text(name), nullptr) << name;
    EXPECT_EQ(testing::linesOf(*normal.text(name)).size(), lines) << name;
  }
  const int listingRecords = static_cast<int>(testing::linesOf(normalText).size());

  // A commit that fails: the listing stops short of the closing line.
  for (const char* name : {"newmods.for", "dimdef.for", "dum.bin", "debug.lis"}) {
    SCOPED_TRACE(name);
    MemorySink listing;
    FailingFiles files(name);
    EXPECT_EQ(runWith(deck, listing, files),
              "cannot write " + std::string(name) + ": No space left on device");
    EXPECT_EQ(files.text("newmods.for"), nullptr);
    EXPECT_EQ(listing.text(), normalText.substr(0, normalText.find(kClosingLine)));
  }
  // A listing sink that throws at each of its writes ends the run there.
  for (int n = 1; n <= listingRecords; ++n) {
    SCOPED_TRACE("listing, write " + std::to_string(n));
    FailingSink listing("standard output", n);
    FailingFiles files;
    EXPECT_EQ(runWith(deck, listing, files), "cannot write standard output: No space left on device");
    EXPECT_TRUE(normalText.starts_with(listing.text()));
    // The files are committed only after the last echo and the sizes.
    const bool committed = files.text("newmods.for") != nullptr;
    EXPECT_EQ(committed, n == listingRecords) << "the closing line comes after the files";
  }
}

TEST(RunInMemory, MatchesTheExpectedFilesOfEveryTestDeck) {
  for (const auto& entry :
       std::filesystem::directory_iterator(testing::testDataPath("decks"))) {
    const std::string name = entry.path().stem();
    SCOPED_TRACE(name);
    testing::InMemoryRun run = testing::runInMemory(testing::readFile(entry.path()));
    const std::string expected = "expected/" + name + "/";
    EXPECT_EQ(run.listing, testing::readTestData(expected + "listing"));
    for (const char* file : {"newmods.for", "dimdef.for", "debug.lis"}) {
      std::string path = testing::testDataPath(expected + file);
      std::string want = testing::fileExists(path) ? testing::readFile(path) : "";
      EXPECT_EQ(run.files[file], want) << file;
    }
    EXPECT_EQ(run.files["dum.bin"], "");
  }
}

}  // namespace
}  // namespace sizgen
