// --diff: a deck against itself, random pairs against the difference of
// their two --json documents and of their two runs' files, the errors of
// either deck, the line counts of a changed file, and the schema page.

#include "analysis/plan_diff.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "analysis/line_changes.h"
#include "driver/deck_diff.h"
#include "driver/modes.h"
#include "support/cards.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using nlohmann::json;
using testing::keywordCard;
using testing::listCard;

// What an analysis prints for `deck` on standard input, or the error.
std::string analysed(const Options& options, std::string deck) {
  std::FILE* in = testing::openForReading(deck);
  MemorySink out;
  std::string text;
  try {
    analyse(options, in, "standard input", out);
    text = out.text();
  } catch (const Error& error) {
    text = std::string("error: ") + error.what();
  }
  std::fclose(in);
  return text;
}

// --diff of the deck file `oldPath` with `deck` on standard input.
std::string diffed(const std::string& oldPath, std::string deck, bool asJson) {
  Options options;
  options.mode = Mode::Diff;
  options.oldDeck = oldPath;
  options.diffAsJson = asJson;
  return analysed(options, std::move(deck));
}

json jsonOf(std::string deck) {
  Options options;
  options.mode = Mode::Json;
  return json::parse(analysed(options, std::move(deck)));
}

// Random decks as a user writes them: keyword cards, then the list-size
// cards; a pair is a deck and the same deck with a card or two changed.
class RandomDecks {
 public:
  explicit RandomDecks(unsigned seed) : random_(seed) {}

  std::string deck() {
    cards_.clear();
    if (chance(0.5)) cards_.push_back(keywordCard("DEFAULT", pick({"0.7", "2.0", "1.5", ".01"})));
    if (chance(0.3)) cards_.push_back(keywordCard("SCALE", pick({"0.5", "2.0", "1.25"})));
    if (chance(0.2)) cards_.push_back("FIXED      1 0 1 1\n");
    if (chance(0.2)) cards_.push_back(keywordCard("NBHDSW", pick({"2.0", "7.5", "0"})));
    if (chance(0.2)) cards_.push_back(keywordCard("ROUND UP", pick({"8", "4096", "0"})));
    if (chance(0.2)) cards_.push_back(keywordCard("CARDS", pick({"500", "60", "1"})));
    if (chance(0.2)) cards_.push_back("RAM TABLES\n");
    const int listCards = std::uniform_int_distribution<>(0, 5)(random_);
    for (int i = 0; i < listCards; ++i) cards_.push_back(listSizeCard());
    return text();
  }

  // The last deck with one or two of its cards changed, dropped or added.
  std::string changed() {
    const int changes = std::uniform_int_distribution<>(1, 2)(random_);
    for (int i = 0; i < changes; ++i) {
      const double what = std::uniform_real_distribution<>()(random_);
      if (cards_.empty() || what < 0.3) {
        cards_.insert(cards_.begin(), keywordCard("DEFAULT", pick({"0.9", "1.1", "3.0"})));
      } else {
        std::uniform_int_distribution<std::size_t> index(0, cards_.size() - 1);
        const std::size_t at = index(random_);
        if (what < 0.5)
          cards_.erase(cards_.begin() + static_cast<std::ptrdiff_t>(at));
        else
          cards_[at] = cards_[at].starts_with(' ') ? listSizeCard() : "C changed\n";
      }
    }
    return text();
  }

 private:
  std::string listSizeCard() {
    return listCard({size(), size(), size(), size(), size(), "", size(), "", size(), size()});
  }
  std::string size() {
    return pick({"", "", "1", "7", "60", "600", "1001", "2500", "-5", "90000"});
  }
  std::string text() const {
    std::string deck;
    for (const std::string& card : cards_) deck += card;
    return deck;
  }
  bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
  std::string pick(std::initializer_list<const char*> values) {
    std::uniform_int_distribution<std::size_t> index(0, values.size() - 1);
    return *(values.begin() + index(random_));
  }

  std::mt19937 random_;
  std::vector<std::string> cards_;
};

// The decks of tests/decks that a run completes.
const std::vector<std::string> kSoundDecks = {"crlf",  "defmul",   "empty",     "keywords",
                                              "lists", "nomarker", "ramtables", "reals"};

TEST(DeckDiff, ADeckAgainstItselfSaysNoDifferenceInOneLine) {
  for (const std::string& name : kSoundDecks) {
    const std::string path = testing::testDataPath("decks/" + name + ".deck");
    EXPECT_EQ(
        diffed(path, testing::readTestData("decks/" + name + ".deck"), false),
        "no difference: " + path + " and standard input give the same cards, lists and files\n")
        << name;
  }
  testing::TempDir dir;
  RandomDecks decks(7);
  int same = 0;
  for (int d = 0; d < 100; ++d) {
    const std::string deck = decks.deck();
    testing::writeFile(dir.file("old.deck"), deck);
    const std::string text = diffed(dir.file("old.deck"), deck, false);
    if (text.starts_with("error: ")) continue;
    EXPECT_TRUE(text.starts_with("no difference: ")) << deck << text;
    EXPECT_EQ(testing::linesOf(text).size(), 1u) << deck;
    EXPECT_FALSE(json::parse(diffed(dir.file("old.deck"), deck, true))["difference"]) << deck;
    ++same;
  }
  EXPECT_GT(same, 80);
}

// A few hundred pairs: the lists, arrays and totals of the difference are
// those of the two --json documents, and "identical" says what comparing
// the files of two whole runs says.
TEST(DeckDiff, RandomPairsAgreeWithTheirJsonResultsAndTheirRunsFiles) {
  testing::TempDir dir;
  RandomDecks decks(16);
  int compared = 0;
  int withChangedFiles = 0;
  for (int d = 0; d < 300; ++d) {
    const std::string before = decks.deck();
    const std::string after = decks.changed();
    testing::writeFile(dir.file("old.deck"), before);
    const std::string text = diffed(dir.file("old.deck"), after, true);
    const testing::InMemoryRun a = testing::runInMemory(before);
    const testing::InMemoryRun b = testing::runInMemory(after);
    if (!a.error.empty() || !b.error.empty()) {
      EXPECT_TRUE(text.starts_with("error: ")) << text;
      continue;
    }
    ++compared;
    const json diff = json::parse(text);
    const json old = jsonOf(before);
    const json now = jsonOf(after);

    std::set<int> listed;
    for (const json& list : diff["lists"]) {
      const int k = list["list"];
      listed.insert(k);
      EXPECT_EQ(list["old"], old["lists"][k - 1]["size"]);
      EXPECT_EQ(list["new"], now["lists"][k - 1]["size"]);
      EXPECT_EQ(list["change"], list["new"].get<int>() - list["old"].get<int>());
      EXPECT_TRUE(list["oldStep"].is_string() || list["newStep"].is_string()) << k;
    }
    for (int k = 1; k <= 99; ++k) {
      if (old["lists"][k - 1]["size"] != now["lists"][k - 1]["size"]) {
        EXPECT_TRUE(listed.count(k)) << "list " << k << "\n" << before << "--\n" << after;
      }
    }

    std::set<int> rows;
    for (const json& array : diff["arrays"]) {
      const int row = array["row"];
      rows.insert(row);
      EXPECT_EQ(array["oldDimension"], old["arrays"][row - 1]["dimension"]);
      EXPECT_EQ(array["newDimension"], now["arrays"][row - 1]["dimension"]);
      EXPECT_EQ(array["bytes"]["old"], old["arrays"][row - 1]["bytes"]);
      EXPECT_EQ(array["bytes"]["new"], now["arrays"][row - 1]["bytes"]);
    }
    for (int row = 1; row <= 180; ++row) {
      if (old["arrays"][row - 1]["dimension"] != now["arrays"][row - 1]["dimension"]) {
        EXPECT_TRUE(rows.count(row)) << "row " << row;
      }
    }

    for (std::size_t g = 0; g < 9; ++g) {
      EXPECT_EQ(diff["groups"][g]["old"], old["groups"][g]["bytes"]);
      EXPECT_EQ(diff["groups"][g]["new"], now["groups"][g]["bytes"]);
    }
    for (const char* key : {"commonBytes", "ltlabl", "labcomBytes"}) {
      EXPECT_EQ(diff["storage"][key]["old"], old["storage"][key]) << key;
      EXPECT_EQ(diff["storage"][key]["new"], now["storage"][key]) << key;
      EXPECT_EQ(diff["storage"][key]["change"],
                now["storage"][key].get<std::int64_t>() - old["storage"][key].get<std::int64_t>());
    }

    bool filesChanged = false;
    for (const json& file : diff["files"]) {
      const std::string name = file["file"];
      const bool same = a.files.at(name) == b.files.at(name);
      EXPECT_EQ(file["identical"], same) << name;
      EXPECT_EQ(file["identical"], file["linesRemoved"] == 0 && file["linesAdded"] == 0) << name;
      filesChanged = filesChanged || !same;
    }
    withChangedFiles += filesChanged ? 1 : 0;
    EXPECT_EQ(diff["sameFiles"], !filesChanged);
  }
  EXPECT_GT(compared, 250);
  EXPECT_GT(withChangedFiles, 150);
  EXPECT_LT(withChangedFiles, compared);  // some changes give the same files
}

TEST(DeckDiff, ShowsTheCardsTheStepAndTheFilesThatChange) {
  testing::TempDir dir;
  testing::writeFile(dir.file("old.deck"), keywordCard("DEFAULT", "0.7") + listCard({"600"}));
  const std::string text =
      diffed(dir.file("old.deck"), keywordCard("DEFAULT", "0.7") + listCard({"700"}), false);
  for (const char* line : {
           "  LSTNEW(1): 600 from card 2, columns 1-8 (1st list-size card, field 1) -> 700 from card 2, "
           "columns 1-8 (1st list-size card, field 1)\n",
           "  list 1: 602 -> 702 (+100)\n",
           "    old: card 2, columns 1-8 (1st list-size card, field 1): 600\n",
           "    new: card 2, columns 1-8 (1st list-size card, field 1): 700\n",
           "  list 57: 1204 -> 1404 (+200)\n",
           "    new: derived: L1 x L24 = 702 x 2 = 1404\n",
           "  row 50 KK in C0B050 (ROOT10), INTEGER*4: 602 -> 702, 2408 -> 2808 bytes (+400)\n",
           "  ROOT21: 27992 -> 27992 bytes (0)\n",
           "  LTLABL: 63286 -> 65236 words (+1950)\n",
           "  dimdef.for: differs, 4 lines removed and 4 added\n",
       }) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "in\n" << text;
  }
  // A comment card moves the cards but changes no value and no file.
  const std::string moved = diffed(
      dir.file("old.deck"), "C note\n" + keywordCard("DEFAULT", "0.7") + listCard({"600"}), false);
  EXPECT_EQ(moved, "no difference: " + dir.file("old.deck") +
                       " and standard input give the same cards, lists and files\n");
  // A FIXED flag without a SCALE card changes a value and nothing else.
  EXPECT_EQ(diffed(dir.file("old.deck"),
                   "FIXED      1\n" + keywordCard("DEFAULT", "0.7") + listCard({"600"}), false),
            "old: " + dir.file("old.deck") +
                "\nnew: standard input\n"
                "values of the cards that differ (old -> new):\n"
                "  LSTFIX(1): 0 (no card) -> 1 from card 1, columns 11-12 (FIXED, field 1)\n"
                "the lists, the storage and the files are the same\n");
  // A value nothing reads (list 33 on the fourth card): the card differs,
  // the result does not.
  auto fourthCard = [](std::string_view list33) {
    return "BLANK\nBLANK\nBLANK\n" +
           listCard({"700", "5", list33}, "{Optional card for Lists 31, etc.");
  };
  testing::writeFile(dir.file("fourth.deck"), fourthCard("40"));
  EXPECT_EQ(diffed(dir.file("fourth.deck"), fourthCard("41"), false),
            "old: " + dir.file("fourth.deck") +
                "\nnew: standard input\n"
                "values of the cards that differ (old -> new):\n"
                "  LSTNEW(33): 40 from card 4, columns 17-24 (4th list-size card, field 3) -> 41 "
                "from card 4, columns 17-24 (4th list-size card, field 3)\n"
                "lists whose size differs (old -> new, change), and the step where they part:\n"
                "  list 33: 40 -> 41 (+1)\n"
                "    old: card 4, columns 17-24 (4th list-size card, field 3): 40\n"
                "    new: card 4, columns 17-24 (4th list-size card, field 3): 41\n"
                "storage: the same, 2559444 bytes of COMMON storage, LTLABL 93680 words\n"
                "generated files: identical\n");
}

TEST(DeckDiff, AnErrorNamesItsDeckBeforeTheRunsMessage) {
  testing::TempDir dir;
  testing::writeFile(dir.file("bad.deck"), keywordCard("DEFAULT", "abc"));
  testing::writeFile(dir.file("good.deck"), "");
  struct Case {
    std::string oldPath;
    std::string deck;
    std::string error;
  };
  const std::vector<Case> cases = {
      {dir.file("bad.deck"), "",
       dir.file("bad.deck") + ": card 1, columns 9-16: cannot read \"abc\" as a real"},
      {dir.file("good.deck"), "DEFAULT  abc\n",
       "standard input: card 1, columns 9-16: cannot read \"abc\" as a real"},
      {dir.file("none.deck"), "",
       "cannot open " + dir.file("none.deck") + ": No such file or directory"},
      {dir.path(), "", "cannot open " + dir.path() + ": Is a directory"},
  };
  for (const Case& c : cases) EXPECT_EQ(diffed(c.oldPath, c.deck, false), "error: " + c.error);

  // The program: exit status 1, the message on standard error, nothing on
  // standard output and no file; 0 for two sound decks that differ.
  testing::ProcessResult bad =
      testing::runSizgenBinary(dir.path(), "DEFAULT  abc\n", {"--diff=good.deck"});
  EXPECT_EQ(bad.exitStatus, 1);
  EXPECT_EQ(bad.err,
            "sizgen: standard input: card 1, columns 9-16: cannot read \"abc\" as a real\n");
  EXPECT_EQ(bad.out, "");
  testing::ProcessResult differ =
      testing::runSizgenBinary(dir.path(), "DEFAULT  2.0\n", {"--json", "--diff", "good.deck"});
  EXPECT_EQ(differ.exitStatus, 0);
  EXPECT_TRUE(json::parse(differ.out)["difference"]);
  EXPECT_FALSE(testing::fileExists(dir.file("newmods.for")));
  EXPECT_FALSE(testing::fileExists(dir.file("dum.bin")));
}

// Standard input is read once: --diff refuses to read both decks from it,
// whatever names lead to it, as a pipe or as a file.
TEST(DeckDiff, BothDecksOnStandardInputAreRefused) {
  const std::string deck = keywordCard("DEFAULT", "2.0");
  const std::string oldThere = " reads the old deck from standard input: the deck must be a file";
  struct Case {
    std::string command;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"\"$sizgen\" --diff=-", "--diff=-" + oldThere},
      {"cat | \"$sizgen\" --diff=/dev/stdin", "--diff=/dev/stdin" + oldThere},
      {"cat | \"$sizgen\" --diff=/proc/self/fd/0 -", "--diff=/proc/self/fd/0" + oldThere},
      {"cat | \"$sizgen\" --diff=- /dev/stdin",
       "--diff=- reads the old deck from standard input: the deck \"/dev/stdin\" is standard "
       "input too"},
      {"cat | \"$sizgen\" --diff=/dev/stdin /dev/fd/0",
       "--diff=/dev/stdin reads the old deck from standard input: the deck \"/dev/fd/0\" is "
       "standard input too"},
  };
  for (const Case& c : cases) {
    testing::TempDir dir;
    const testing::ProcessResult result = testing::runSizgenShell(dir.path(), deck, c.command);
    EXPECT_EQ(result.exitStatus, 2) << c.command;
    EXPECT_EQ(result.err,
              "sizgen: " + c.message + " (usage: sizgen [OPTION]... [DECK]; see sizgen --help)\n")
        << c.command;
    EXPECT_EQ(result.out, "") << c.command;
  }
  // A regular file on standard input is read again from its start under
  // another name: the deck is compared with itself.
  for (const std::string command :
       {"\"$sizgen\" --diff=/dev/stdin", "\"$sizgen\" --diff=- /dev/stdin",
        "\"$sizgen\" --diff=/dev/stdin /proc/self/fd/0"}) {
    testing::TempDir dir;
    const testing::ProcessResult result = testing::runSizgenShell(dir.path(), deck, command);
    EXPECT_EQ(result.exitStatus, 0) << command << result.err;
    EXPECT_TRUE(result.out.starts_with("no difference: ")) << command << result.out;
  }
}

TEST(LineChanges, CountsTheLinesOutsideTheLongestCommonSubsequence) {
  struct Case {
    std::string before;
    std::string after;
    std::int64_t removed;
    std::int64_t added;
  };
  const std::vector<Case> cases = {
      {"a\nb\nc\n", "a\nb\nc\n", 0, 0},
      {"", "", 0, 0},
      {"", "a\nb\n", 0, 2},
      {"a\nb\nc\n", "a\nx\nc\n", 1, 1},
      {"a\nb\nc\n", "a\nb\nb2\nc\n", 0, 1},  // a line inserted
      {"a\nb\nc\nd\n", "a\nd\n", 2, 0},      // two removed
      {"a\nb\nc\nd\n", "b\na\nd\nc\n", 2, 2},
      {"x\ny\n", "y\nx\n", 1, 1},
  };
  for (const Case& c : cases) {
    const LineChanges changes = lineChanges(c.before, c.after);
    EXPECT_EQ(changes.removed, c.removed) << c.before << "->" << c.after;
    EXPECT_EQ(changes.added, c.added) << c.before << "->" << c.after;
  }
}

// docs/json-results.md: its section on the difference documents exactly
// the keys that difference documents have.
TEST(DeckDiffSchema, PageDocumentsExactlyTheKeysOfTheDocument) {
  const std::string page =
      testing::readFile(std::string(SIZGEN_SOURCE_DIR) + "/docs/json-results.md");
  const std::size_t section = page.find("\n# The difference of two decks\n");
  ASSERT_NE(section, std::string::npos);
  std::set<std::string> documented;
  for (const std::string& line : testing::linesOf(page.substr(section))) {
    if (line.starts_with("| `")) documented.insert(line.substr(3, line.find('`', 3) - 3));
  }
  std::set<std::string> keys;
  auto collect = [&keys](const json& value, auto& self) -> void {
    if (value.is_object()) {
      for (const auto& [key, member] : value.items()) {
        keys.insert(key);
        self(member, self);
      }
    } else if (value.is_array()) {
      for (const json& member : value) self(member, self);
    }
  };
  testing::TempDir dir;
  testing::writeFile(dir.file("old.deck"), keywordCard("SCALE", "2.0") + listCard({"600"}));
  collect(json::parse(diffed(dir.file("old.deck"), listCard({"700"}), true)), collect);
  EXPECT_EQ(documented, keys);
}

}  // namespace
}  // namespace sizgen
