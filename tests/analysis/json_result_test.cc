// The JSON result of --json: its values against hand-derived ones, its
// totals against its own rows, the program's output and errors, and the
// schema page kept in step with the keys the document has.

#include "analysis/json_result.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "driver/run.h"
#include "model/catalog.h"
#include "reading/deck_reading.h"
#include "sizing/run_planning.h"
#include "support/cards.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using nlohmann::json;
using testing::keywordCard;
using testing::listCard;

// The plan of `deck`, read as --json reads it.
RunPlan planOf(std::string deck) {
  std::FILE* in = testing::openForReading(deck);
  const DeckSettings settings = readDeckSettings(in, "standard input");
  std::fclose(in);
  return planRun(settings);
}

// The document of `deck`, its cards included, as --json prints it.
std::string documentOf(const std::string& deck) {
  const DeckReading reading = readDeckText(deck);
  if (!reading.plan) throw InternalError("the deck has an error");
  return jsonResult(*reading.plan, reading.cards);
}

json resultOf(const std::string& deck) {
  return json::parse(documentOf(deck));
}

// The decks of tests/decks that a run completes.
const std::vector<std::string> kSoundDecks = {"crlf",  "defmul",   "empty",     "keywords",
                                              "lists", "nomarker", "ramtables", "reals"};

std::string deckText(const std::string& name) {
  return testing::readTestData("decks/" + name + ".deck");
}

// Field `key` of each element of `entries`.
template <class T>
std::vector<T> column(const json& entries, const std::string& key) {
  std::vector<T> values;
  for (const json& entry : entries) values.push_back(entry.at(key).get<T>());
  return values;
}

using Sizes = std::vector<std::int32_t>;

TEST(JsonResult, EmptyDeckGivesTheHandDerivedResult) {
  const json result = resultOf("");
  EXPECT_EQ(result.at("schema"), "sizgen-result");
  EXPECT_EQ(result.at("version"), 2);
  EXPECT_EQ(result.at("storage").at("mtot"), 86656);
  EXPECT_EQ(result.at("storage").at("ltlabl"), 79880);
  EXPECT_EQ(result.at("storage").at("labcomBytes"), 4 * 79880);

  const json& lists = result.at("lists");
  ASSERT_EQ(lists.size(), 99u);
  EXPECT_EQ(column<int>(lists, "list").front(), 1);
  EXPECT_EQ(column<int>(lists, "list").back(), 99);
  EXPECT_EQ(lists[0].at("size"), 252);
  EXPECT_EQ(lists[26].at("size"), 26);
  EXPECT_EQ(lists[98].at("size"), 0);  // set only after ROOT10

  const json& groups = result.at("groups");
  EXPECT_EQ(column<std::string>(groups, "subroutine"),
            (std::vector<std::string>{"ROOT10", "ROOT20", "ROOT21", "ROOT23", "ROOT9", "ROOT25",
                                      "ROOT26", "ROOT27", "ROOT28"}));
  std::vector<json> listSizes = column<json>(groups, "listSizes");
  // ROOT10 ROOT20 ROOT21 ROOT23 ROOT9 ROOT25 ROOT26 ROOT27 ROOT28
  EXPECT_EQ(column<std::int32_t>(listSizes, "list71"),
            (Sizes{504, 504, 504, 70000, 70000, 52, 52, 52, 52}));
  EXPECT_EQ(column<std::int32_t>(listSizes, "list73"), (Sizes{80, 80, 80, 80, 80, 53, 53, 53, 53}));
  EXPECT_EQ(column<std::int32_t>(listSizes, "list74"),
            (Sizes{100, 100, 100, 100, 100, 100, 100, 100, 5}));
  EXPECT_EQ(column<std::int32_t>(listSizes, "list99"),
            (Sizes{0, 70000, 70000, 70000, 70000, 70000, 70000, 70000, 70000}));
  EXPECT_EQ(column<std::int32_t>(listSizes, "list29"), Sizes(9, 1));

  // Row 122 is dimensioned by list 99; row 17 is CHARACTER*80.
  const json& karray = result.at("arrays")[121];
  EXPECT_EQ(karray, json::parse(R"({"row": 122, "name": "KARRAY", "block": "C20B01",
      "group": "ROOT20", "list": 99, "type": "INTEGER*4", "extent": 70000,
      "dimension": 70000, "bytes": 280000})"));
  EXPECT_EQ(result.at("arrays")[16].at("type"), "CHARACTER*80");
  EXPECT_EQ(result.at("arrays")[16].at("bytes"), 10 * 80);

  const json& dimdef = result.at("dimdef");
  ASSERT_EQ(dimdef.at("firstBlock").size(), 32u);  // NLISTS = 31, then LTLABL
  EXPECT_EQ(dimdef.at("firstBlock")[0], 252);
  EXPECT_EQ(dimdef.at("firstBlock")[31], 79880);
  const json& chains = dimdef.at("chains");
  EXPECT_EQ(column<std::int32_t>(chains, "nchain"), (Sizes{20, 21, 23, 9, 25, 26, 27, 28}));
  const json& root20 = chains[0].at("pairs");
  EXPECT_EQ(column<std::int32_t>(root20, "dimdefList"), (Sizes{23, 1, 0, 29}));
  EXPECT_EQ(column<std::int32_t>(root20, "list"), (Sizes{23, 1, 99, 29}));
  EXPECT_EQ(column<std::int32_t>(root20, "size"), (Sizes{4000, 252, 70000, 1}));
  EXPECT_EQ(column<std::int32_t>(chains[4].at("pairs"), "size"), (Sizes{75, 52, 53}));

  EXPECT_EQ(result.at("debug"), json::parse(R"({"mtotBeforeModify": 86656, "list1": 252,
      "list7": 700, "mtotAfterModify": 79880, "list29BeforeModify": 1,
      "list29AfterModify": 1})"));
}

// The pairs and first block are what dimdef.for says, LSIZE by LSIZE.
TEST(JsonResult, DimdefEntriesAreTheLinesOfDimdefFor) {
  for (const std::string& name : kSoundDecks) {
    const json dimdef = resultOf(deckText(name)).at("dimdef");
    std::vector<std::int32_t> fromJson = dimdef.at("firstBlock").get<std::vector<std::int32_t>>();
    for (const json& chain : dimdef.at("chains"))
      for (const json& pair : chain.at("pairs")) {
        fromJson.push_back(pair.at("dimdefList"));
        fromJson.push_back(pair.at("size"));
      }
    std::vector<std::int32_t> fromFile;
    for (const std::string& line :
         testing::linesOf(testing::readTestData("expected/" + name + "/dimdef.for"))) {
      const std::size_t equals = line.find('=');
      if (line.find("LSIZE(") != std::string::npos && equals != std::string::npos)
        fromFile.push_back(std::stoi(line.substr(equals + 1)));
    }
    EXPECT_EQ(fromJson, fromFile) << name;
  }
}

TEST(JsonResult, BytesAddUpToTheGroupAndCommonTotals) {
  for (const std::string& name : kSoundDecks) {
    const json result = resultOf(deckText(name));
    const json& arrays = result.at("arrays");
    ASSERT_EQ(arrays.size(), static_cast<std::size_t>(kCatalogRows)) << name;
    std::int64_t all = 0;
    for (const json& group : result.at("groups")) {
      std::int64_t sum = 0;
      for (int row = group.at("firstRow"); row <= group.at("lastRow").get<int>(); ++row) {
        const json& array = arrays[static_cast<std::size_t>(row - 1)];
        EXPECT_EQ(array.at("row"), row) << name;
        EXPECT_EQ(array.at("group"), group.at("subroutine")) << name << " row " << row;
        sum += array.at("bytes").get<std::int64_t>();
      }
      EXPECT_EQ(group.at("bytes"), sum) << name << " " << group.at("subroutine");
      all += sum;
    }
    EXPECT_EQ(result.at("storage").at("commonBytes"), all) << name;
  }
}

// listSizes names every list that is not the same for all groups.
TEST(JsonResult, ListSizesCoverEveryListThatChangesBetweenGroups) {
  const std::set<std::size_t> named = {29, 71, 73, 74, 99};
  for (const std::string& name : kSoundDecks) {
    const RunPlan plan = planOf(deckText(name));
    const json groups = json::parse(jsonResult(plan, {})).at("groups");
    for (std::size_t g = 0; g < plan.groups.size(); ++g) {
      for (std::size_t k = 1; k <= 99; ++k) {
        if (named.contains(k))
          EXPECT_EQ(groups[g].at("listSizes").at("list" + std::to_string(k)),
                    plan.groups[g].LSTNEW(k))
              << name;
        else
          EXPECT_EQ(plan.groups[g].LSTNEW(k), plan.resolved(k)) << name << " list " << k;
      }
    }
  }
}

TEST(JsonResult, SettingsOfTheCards) {
  const json scaled = resultOf(deckText("defmul")).at("settings");
  EXPECT_EQ(scaled.at("scaleCard"), true);
  EXPECT_EQ(scaled.at("finmul"), 1.5);
  EXPECT_EQ(scaled.at("defmul"), 0.0001);
  std::vector<int> fixed(32, 0);
  fixed[0] = fixed[3] = 1;
  fixed[5] = -1;
  EXPECT_EQ(scaled.at("lstfix").get<std::vector<int>>(), fixed);

  const json plain = resultOf("").at("settings");
  EXPECT_EQ(plain, json::parse(R"({"defmul": 1.0, "scaleCard": false, "finmul": 0.0,
      "lstfix": [0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0],
      "scale6": 5.0, "nquant": 0, "nlists": 31,
      "lstsup": [70000,70000,70000,70000,70000,70000,70000], "ramTables": false})"));

  const json lists = resultOf(deckText("lists")).at("settings");
  EXPECT_EQ(lists.at("nlists"), 32);
  EXPECT_EQ(lists.at("nquant"), 4096);
  EXPECT_EQ(lists.at("lstsup").get<Sizes>(), (Sizes{123456, 300, 0, 1926, 5, -6, 7}));
  EXPECT_EQ(resultOf(keywordCard("NBHDSW", "2.9")).at("settings").at("scale6"), 2.9);
}

TEST(JsonResult, RamTablesGiveList29TheSizeOfLabcomAfterRoot10) {
  const json result = resultOf(deckText("ramtables"));
  EXPECT_EQ(result.at("settings").at("ramTables"), true);
  const std::int32_t ltlabl = result.at("storage").at("ltlabl");
  const std::int32_t before = result.at("lists")[28].at("size");
  ASSERT_NE(before, ltlabl);
  std::vector<json> listSizes = column<json>(result.at("groups"), "listSizes");
  Sizes expected(9, ltlabl);
  expected[0] = before;
  EXPECT_EQ(column<std::int32_t>(listSizes, "list29"), expected);
  EXPECT_EQ(result.at("dimdef").at("firstBlock")[28], ltlabl);
  EXPECT_EQ(result.at("debug").at("list29BeforeModify"), before);
  EXPECT_EQ(result.at("debug").at("list29AfterModify"), ltlabl);
}

// Reals read back as the very doubles of the deck; a default multiplier
// beyond the double range, never used as every list is given, has a
// string for its infinity.
TEST(JsonResult, RealsRoundTrip) {
  for (const std::string& deck :
       {deckText("reals"), deckText("defmul"),
        keywordCard("DEFAULT", "0.1") + keywordCard("SCALE", "1.000001")}) {
    const RunPlan plan = planOf(deck);
    const json settings = json::parse(jsonResult(plan, {})).at("settings");
    EXPECT_EQ(settings.at("defmul").get<double>(), plan.settings.DEFMUL) << deck;
    EXPECT_EQ(settings.at("finmul").get<double>(), plan.settings.FINMUL) << deck;
    EXPECT_EQ(settings.at("scale6").get<double>(), plan.settings.SCALE6) << deck;
  }
  const std::string everyList =
      listCard({"10", "10", "10", "10", "10", "10", "10", "10", "10", "10"});
  const std::string unused = keywordCard("DEFAULT", "1E999") + keywordCard("CARDS", "10") +
                             everyList + everyList + everyList + listCard({"10", "10"}, "{");
  ASSERT_EQ(planOf(unused).settings.DEFMUL, std::numeric_limits<double>::infinity());
  EXPECT_EQ(resultOf(unused).at("settings").at("defmul"), "Infinity");
}

// The names of the entries of `directory`.
std::vector<std::string> entries(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(JsonResult, ProgramPrintsTheDocumentAndWritesNoFile) {
  for (const std::string& name : kSoundDecks) {
    testing::TempDir dir;
    const std::string deck = deckText(name);
    const testing::ProcessResult result = testing::runSizgenBinary(dir.path(), deck, {"--json"});
    EXPECT_EQ(result.exitStatus, 0) << name;
    std::string warnings;
    for (const Warning& warning : allWarnings(planOf(deck)))
      warnings += "sizgen: warning: " + warningText(warning) + "\n";
    EXPECT_EQ(result.err, warnings) << name;
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{}) << name;
    ASSERT_TRUE(json::accept(result.out)) << name;
    EXPECT_EQ(result.out, documentOf(deck)) << name;
    // Two spaces of indent, a newline at the end.
    EXPECT_TRUE(result.out.starts_with("{\n  \"schema\": \"sizgen-result\",\n")) << name;
    EXPECT_TRUE(result.out.ends_with("\n}\n")) << name;
  }
}

// docs/json-results.md and the document.

// The page up to its section on the difference of two decks, which
// plan_diff_test.cc checks.
std::string schemaPage() {
  const std::string page =
      testing::readFile(std::string(SIZGEN_SOURCE_DIR) + "/docs/json-results.md");
  return page.substr(0, page.find("\n# The difference of two decks\n"));
}

// The keys in the first column of the page's tables: "| `key` | ...".
std::set<std::string> documentedKeys() {
  std::set<std::string> keys;
  for (const std::string& line : testing::linesOf(schemaPage())) {
    if (!line.starts_with("| `")) continue;
    keys.insert(line.substr(3, line.find('`', 3) - 3));
  }
  return keys;
}

void collectKeys(const json& value, std::set<std::string>& keys) {
  if (value.is_object()) {
    for (const auto& [key, member] : value.items()) {
      keys.insert(key);
      collectKeys(member, keys);
    }
  } else if (value.is_array()) {
    for (const json& member : value) collectKeys(member, keys);
  }
}

TEST(JsonResultSchema, PageDocumentsExactlyTheKeysOfTheDocument) {
  std::set<std::string> keys;
  for (const std::string& name : kSoundDecks) collectKeys(resultOf(deckText(name)), keys);
  EXPECT_EQ(documentedKeys(), keys);
}

// The page's example is the empty deck's document with entries left out:
// its lines, bar "...", come in the same order in the real output (commas
// after the last entry kept may differ).
TEST(JsonResultSchema, ExampleIsATrimmedRealOutput) {
  auto withoutComma = [](std::string line) {
    if (line.ends_with(",")) line.pop_back();
    return line;
  };
  std::vector<std::string> example;
  bool inside = false;
  for (const std::string& line : testing::linesOf(schemaPage())) {
    if (line == "```json") {
      inside = true;
    } else if (line == "```") {
      inside = false;
    } else if (inside && line.find("...") == std::string::npos) {
      example.push_back(withoutComma(line));
    }
  }
  ASSERT_GT(example.size(), 50u);
  std::size_t next = 0;
  for (const std::string& line : testing::linesOf(documentOf(""))) {
    if (next < example.size() && withoutComma(line) == example[next]) ++next;
  }
  EXPECT_EQ(next, example.size()) << "first line not found in order: " << example[next];
}

}  // namespace
}  // namespace sizgen
