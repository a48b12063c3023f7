#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/test_support.h"

namespace sizgen {
namespace {

namespace support = sizgen::testing;

using support::shellQuote;

Command commandOf(std::vector<std::string_view> arguments) {
  return parseCommandLine(arguments);
}

TEST(ParseCommandLine, OnlyNothingHelpOrVersion) {
  EXPECT_EQ(commandOf({}), Command::Run);
  EXPECT_EQ(commandOf({"--help"}), Command::Help);
  EXPECT_EQ(commandOf({"--version"}), Command::Version);
  for (const std::vector<std::string_view>& arguments :
       std::vector<std::vector<std::string_view>>{{""},
                                                  {"-"},
                                                  {"-h"},
                                                  {"help"},
                                                  {"--HELP"},
                                                  {"--help="},
                                                  {"--versions"},
                                                  {"deck"},
                                                  {"--help", "--help"},
                                                  {"--help", "--version"},
                                                  {"--version", "deck"},
                                                  {"", ""}}) {
    EXPECT_EQ(commandOf(arguments), Command::UsageError) << arguments.size();
  }
}

const std::string kDeck = "DEFAULT      2.0\nC not read\n";

// Runs sizgen with `arguments` in the empty directory `directory`, its
// standard input a file holding kDeck; then `cat` reads on from the same
// open file, so the output ends with what sizgen left unread.  The exit
// status is printed as "exit N" between the two.
support::ProcessResult runWithArguments(const std::string& directory,
                                        const std::vector<std::string>& arguments) {
  support::TempDir scratch;
  support::writeFile(scratch.file("deck"), kDeck);
  std::string command = "cd " + shellQuote(directory) + " && { " + shellQuote(SIZGEN_BINARY);
  for (const std::string& argument : arguments) command += " " + shellQuote(argument);
  command += "; echo \"exit $?\"; cat; } <" + shellQuote(scratch.file("deck"));
  return support::runCommand(command);
}

bool isEmptyDirectory(const std::string& directory) {
  return std::filesystem::is_empty(directory);
}

TEST(CommandLine, VersionPrintsOneLine) {
  support::TempDir dir;
  support::ProcessResult result = runWithArguments(dir.path(), {"--version"});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out, "sizgen 1.0.0\nexit 0\n" + kDeck);
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(isEmptyDirectory(dir.path()));
}

TEST(CommandLine, HelpDescribesInputOutputsAndCards) {
  support::TempDir dir;
  support::ProcessResult result = runWithArguments(dir.path(), {"--help"});
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(isEmptyDirectory(dir.path()));
  // The deck is not read: all of it is left for `cat`.
  const std::string tail = "exit 0\n" + kDeck;
  ASSERT_TRUE(result.out.ends_with(tail)) << result.out;
  std::string help = result.out.substr(0, result.out.size() - tail.size());
  EXPECT_TRUE(help.ends_with("\n"));
  EXPECT_NE(help.find("standard input"), std::string::npos) << help;
  for (std::string_view word : {"newmods.for", "dimdef.for", "debug.lis", "dum.bin", "DEFAULT",
                                "SCALE", "FIXED", "CARDS", "NBHDSW", "RAM TABLES", "ROUND UP"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
}

TEST(CommandLine, AnyOtherArgumentsAreAUsageError) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"-h"},
                                             {""},
                                             {"--HELP"},
                                             {"--versions"},
                                             {"deck"},
                                             {"--help", "--help"},
                                             {"--help", "--version"},
                                             {"--version", "extra"}}) {
    support::TempDir dir;
    support::ProcessResult result = runWithArguments(dir.path(), arguments);
    std::string shown = arguments.front() + " (" + std::to_string(arguments.size()) + ")";
    // Nothing on standard output, nothing read from the deck.
    EXPECT_EQ(result.out, "exit 2\n" + kDeck) << shown;
    // One usage line on standard error.
    ASSERT_TRUE(result.err.ends_with("\n")) << shown;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_TRUE(result.err.starts_with("sizgen: ")) << result.err;
    EXPECT_NE(result.err.find("(usage: sizgen [--help | --version] < DECK)"), std::string::npos)
        << result.err;
    // No file touched.
    EXPECT_TRUE(isEmptyDirectory(dir.path())) << shown;
  }
}

TEST(CommandLine, NoArgumentsRunsTheDeck) {
  support::TempDir dir;
  support::ProcessResult result = support::runSizgenBinary(dir.path(), kDeck);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_NE(result.out.find(" Default multiplier =   2.000  1DEFAULT      2.0"), std::string::npos);
  EXPECT_NE(result.out.find("\n Normal termination of  \"SIZGEN\".   LTLABL ="), std::string::npos);
  for (std::string_view name : {"newmods.for", "dimdef.for", "debug.lis", "dum.bin"}) {
    EXPECT_TRUE(support::fileExists(dir.file(name))) << name;
  }
}

}  // namespace
}  // namespace sizgen
