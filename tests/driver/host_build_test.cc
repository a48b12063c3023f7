// The example in examples/host-build is a Fortran host program whose CMake
// build runs sizgen on a deck and compiles what it generates.  This test
// builds and runs it as a user would, with the sizgen just built, then
// edits the deck and builds again: a comment card recompiles nothing; a
// change of sizes generates the files anew and the program hands on the
// new sizes.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/cards.h"
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
using sizgen::testing::TempDir;
using sizgen::testing::writeFile;

bool toolsFound() {
  return runCommand("command -v cmake && command -v gfortran").exitStatus == 0;
}

// A command run by the test, with the variables of an enclosing make
// removed so that the example's build is its own.
ProcessResult run(const std::string& command) {
  return runCommand("env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL " + command);
}

// What the host program printed: LTLABL and the list sizes by list.
struct HostSizes {
  std::int64_t LTLABL = -1;
  std::map<int, std::int64_t> lists;
};

HostSizes parseHostOutput(const std::string& output) {
  static const std::regex ltlabl(R"( LTLABL    = *(-?\d+))");
  static const std::regex list(R"( LSIZE\( *(\d+)\) = *(-?\d+))");
  HostSizes sizes;
  for (const std::string& line : linesOf(output)) {
    std::smatch m;
    if (std::regex_match(line, m, ltlabl)) {
      sizes.LTLABL = std::stoll(m[1]);
    } else if (std::regex_match(line, m, list)) {
      sizes.lists[std::stoi(m[1])] = std::stoll(m[2]);
    } else {
      ADD_FAILURE() << "unexpected line from the host program: " << line;
    }
  }
  return sizes;
}

// What a plain run of sizgen on `deck` gives, in a directory of its own:
// the listing, the LTLABL of its closing line and the two generated files.
struct PlainRun {
  std::string listing;
  std::int64_t LTLABL = -1;
  std::string newmods;
  std::string dimdef;
};

PlainRun plainRun(const std::string& deck) {
  TempDir dir;
  ProcessResult result = runSizgenBinary(dir.path(), deck);
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  static const std::regex closing(R"( Normal termination of  "SIZGEN"\.   LTLABL = *(-?\d+) .*)");
  std::vector<std::string> lines = linesOf(result.out);
  std::smatch m;
  PlainRun plain;
  plain.listing = result.out;
  if (!lines.empty() && std::regex_match(lines.back(), m, closing)) {
    plain.LTLABL = std::stoll(m[1]);
  } else {
    ADD_FAILURE() << "no closing line: " << result.out;
  }
  plain.newmods = readFile(dir.file("newmods.for"));
  plain.dimdef = readFile(dir.file("dimdef.for"));
  return plain;
}

// Writes `deck` to `path` until its time is later than that of `generated`,
// so that the build sees the change on a file system with coarse times too.
void writeNewerThan(const std::string& path, const std::string& deck,
                    const std::string& generated) {
  namespace fs = std::filesystem;
  for (int attempt = 0; attempt < 300; ++attempt) {
    writeFile(path, deck);
    if (fs::last_write_time(path) > fs::last_write_time(generated)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  FAIL() << path << " is not newer than " << generated;
}

TEST(HostBuild, GeneratesTheSizedSourceAndRegeneratesItWhenTheDeckChanges) {
  if (!toolsFound()) GTEST_SKIP() << "cmake or gfortran is not installed";
  TempDir dir;
  const std::string source = dir.file("host-build");
  const std::string build = dir.file("build");
  const std::string sized = build + "/sized";
  const std::string program = shellQuote(build + "/host");

  // A copy of the example, so that the deck can be edited.
  ProcessResult copy =
      run("cp -R " + shellQuote(std::string(SIZGEN_SOURCE_DIR) + "/examples/host-build") + " " +
          shellQuote(source));
  ASSERT_EQ(copy.exitStatus, 0) << copy.err;

  ProcessResult configure = run("cmake -S " + shellQuote(source) + " -B " + shellQuote(build) +
                                " -DSIZGEN_EXECUTABLE=" + shellQuote(SIZGEN_BINARY));
  ASSERT_EQ(configure.exitStatus, 0) << configure.out << configure.err;
  ProcessResult firstBuild = run("cmake --build " + shellQuote(build));
  ASSERT_EQ(firstBuild.exitStatus, 0) << firstBuild.out << firstBuild.err;
  ProcessResult firstOutput = run(program);
  ASSERT_EQ(firstOutput.exitStatus, 0) << firstOutput.err;

  // The shipped deck gives lists 1 to 10 on its first card; list 1 is
  // raised by 2.  LTLABL is what a plain run's closing line says.
  const std::string deck = readFile(source + "/host.deck");
  const PlainRun shipped = plainRun(deck);
  HostSizes first = parseHostOutput(firstOutput.out);
  EXPECT_EQ(first.LTLABL, shipped.LTLABL);
  EXPECT_EQ(first.lists,
            (std::map<int, std::int64_t>{{1, 602}, {2, 1200}, {3, 1800}, {4, 100}, {5, 4000}}));
  EXPECT_EQ(readFile(sized + "/newmods.for"), shipped.newmods);
  EXPECT_EQ(readFile(sized + "/dimdef.for"), shipped.dimdef);
  EXPECT_EQ(readFile(sized + "/sizgen.lis"), shipped.listing);

  // A comment card added: sizgen runs again, but its files are unchanged
  // and keep their time stamps, so nothing is recompiled or relinked.
  const auto hostTime = std::filesystem::last_write_time(build + "/host");
  writeNewerThan(source + "/host.deck", "C  the shipped deck, with a comment\n" + deck,
                 sized + "/newmods.for");
  ProcessResult commentBuild = run("cmake --build " + shellQuote(build));
  ASSERT_EQ(commentBuild.exitStatus, 0) << commentBuild.out << commentBuild.err;
  EXPECT_NE(commentBuild.out.find("Sizing the host program"), std::string::npos)
      << commentBuild.out;
  EXPECT_EQ(commentBuild.out.find("Building Fortran object"), std::string::npos)
      << commentBuild.out;
  EXPECT_EQ(std::filesystem::last_write_time(build + "/host"), hostTime);

  // Another deck: doubled defaults and other sizes for lists 1 to 5.
  const std::string changed = keywordCard("DEFAULT", "2.0") +
                              listCard({"800", "1500", "2400", "100", "3000"}) + "BLANK\nBLANK\n" +
                              listCard({"90000", "1000", "0", "75000"});
  writeNewerThan(source + "/host.deck", changed, sized + "/newmods.for");
  ProcessResult secondBuild = run("cmake --build " + shellQuote(build));
  ASSERT_EQ(secondBuild.exitStatus, 0) << secondBuild.out << secondBuild.err;
  EXPECT_NE(secondBuild.out.find("Sizing the host program"), std::string::npos) << secondBuild.out;
  ProcessResult secondOutput = run(program);
  ASSERT_EQ(secondOutput.exitStatus, 0) << secondOutput.err;

  const PlainRun edited = plainRun(changed);
  EXPECT_NE(edited.LTLABL, shipped.LTLABL);
  EXPECT_NE(edited.newmods, shipped.newmods);
  HostSizes second = parseHostOutput(secondOutput.out);
  EXPECT_EQ(second.LTLABL, edited.LTLABL);
  EXPECT_EQ(second.lists,
            (std::map<int, std::int64_t>{{1, 802}, {2, 1500}, {3, 2400}, {4, 100}, {5, 3000}}));
  EXPECT_EQ(readFile(sized + "/newmods.for"), edited.newmods);
  EXPECT_EQ(readFile(sized + "/dimdef.for"), edited.dimdef);
}

}  // namespace
}  // namespace sizgen
