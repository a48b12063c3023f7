#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/test_support.h"

namespace sizgen {
namespace {

namespace support = sizgen::testing;

using support::shellQuote;

CommandLine parsed(std::vector<std::string_view> arguments) {
  return parseCommandLine(arguments);
}

TEST(ParseCommandLine, OptionsModesAndTheDeck) {
  EXPECT_EQ(parsed({}).options.mode, Mode::Run);
  EXPECT_EQ(parsed({"--help"}).options.mode, Mode::Help);
  EXPECT_EQ(parsed({"-h"}).options.mode, Mode::Help);
  EXPECT_EQ(parsed({"--version"}).options.mode, Mode::Version);
  EXPECT_EQ(parsed({"--check"}).options.mode, Mode::Check);
  EXPECT_EQ(parsed({"--report"}).options.mode, Mode::Report);
  EXPECT_EQ(parsed({"--json"}).options.mode, Mode::Json);

  CommandLine deckAfter = parsed({"--explain=57", "my.deck"});
  EXPECT_EQ(deckAfter.error, "");
  EXPECT_EQ(deckAfter.options.mode, Mode::Explain);
  EXPECT_EQ(deckAfter.options.explainList, 57);
  EXPECT_EQ(deckAfter.options.deck, "my.deck");
  // Options after the deck, values in the next word.
  CommandLine deckBefore = parsed({"my.deck", "--explain", "all"});
  EXPECT_EQ(deckBefore.error, "");
  EXPECT_EQ(deckBefore.options.explainList, std::nullopt);
  EXPECT_EQ(deckBefore.options.deck, "my.deck");
  EXPECT_EQ(parsed({"-"}).options.deck, "");
  EXPECT_EQ(parsed({"--fit", "4MiB"}).options.fitBytes, 4 * 1024 * 1024);
  EXPECT_EQ(parsed({"-o", "/"}).options.outputDirectory, "/");
  EXPECT_EQ(parsed({"--output-dir=/tmp"}).options.outputDirectory, "/tmp");
  // A word after "--" is the deck, whatever it looks like.
  EXPECT_EQ(parsed({"--", "--check"}).options.deck, "--check");
}

// The table's rows agree with one another and with getopt_long's rules.
TEST(OptionTable, EachOptionAndModeOnce) {
  std::set<std::string_view> longNames;
  std::set<char> shortNames;
  std::set<Mode> modes;
  for (const OptionRow& row : optionTable()) {
    EXPECT_TRUE(longNames.insert(row.longName).second) << row.longName;
    if (row.shortName != 0) {
      EXPECT_TRUE(shortNames.insert(row.shortName).second) << row.longName;
    }
    if (row.mode != Mode::Run) {
      EXPECT_TRUE(modes.insert(row.mode).second) << row.longName;
    }
    // A value is taken exactly when something records it.
    EXPECT_EQ(row.argument.empty(), row.apply == nullptr) << row.longName;
    EXPECT_FALSE(row.help.empty()) << row.longName;
    // Every long name, and every short one, selects its row's mode.
    if (row.mode != Mode::Run && row.argument.empty()) {
      EXPECT_EQ(parsed({"--" + std::string(row.longName)}).options.mode, row.mode);
      if (row.shortName != 0) {
        const std::string word = std::string("-") + row.shortName;
        EXPECT_EQ(parsed({word}).options.mode, row.mode);
      }
    }
  }
  // Every mode but a plain run has its option.
  EXPECT_EQ(modes, (std::set<Mode>{Mode::Check, Mode::Report, Mode::Json, Mode::Explain, Mode::Fit,
                                   Mode::Diff, Mode::Annotate, Mode::Format, Mode::Html, Mode::Lsp,
                                   Mode::Help, Mode::Version}));
}

// --diff alone, and with --json or --html on either side of it.
TEST(ParseCommandLine, DiffTakesTheOldDeckAndGoesWithJson) {
  struct Case {
    std::vector<std::string_view> arguments;
    bool asJson;
    bool asHtml = false;
  };
  const Case cases[] = {
      {{"--diff=old.deck", "new.deck"}, false},
      {{"--diff", "old.deck", "new.deck"}, false},
      {{"--json", "--diff=old.deck", "new.deck"}, true},
      {{"new.deck", "--diff=old.deck", "--json"}, true},
      {{"--html", "--diff=old.deck", "new.deck"}, false, true},
      {{"new.deck", "--diff=old.deck", "--html"}, false, true},
  };
  for (const Case& c : cases) {
    const CommandLine line = parsed(c.arguments);
    EXPECT_EQ(line.error, "") << c.arguments.front();
    EXPECT_EQ(line.options.mode, Mode::Diff);
    EXPECT_EQ(line.options.diffAsJson, c.asJson);
    EXPECT_EQ(line.options.diffAsHtml, c.asHtml);
    EXPECT_EQ(line.options.oldDeck, "old.deck");
    EXPECT_EQ(line.options.deck, "new.deck");
  }
  EXPECT_EQ(parsed({"--diff=-", "new.deck"}).options.oldDeck, "-");
}

TEST(ParseCommandLine, EveryUnusableArgumentHasItsMessage) {
  support::TempDir dir;
  support::writeFile(dir.file("file"), "");
  const std::string file = dir.file("file");
  const std::string missing = dir.file("missing");
  // The directory itself, by a path longer than PATH_MAX.
  std::string tooLong = dir.path();
  while (tooLong.size() <= PATH_MAX) tooLong += "/.";
  struct Case {
    std::vector<std::string_view> arguments;
    std::string message;
  };
  const std::string explainValues = "--explain takes a list number from 1 to 99 or \"all\", not ";
  const std::string fitValues =
      "--fit takes a size in bytes greater than 0, optionally with K, M, G (powers of 1000) or "
      "KiB, MiB, GiB (powers of 1024), not ";
  const std::string fitTooLarge = "--fit takes a size of at most 9223372036854775807 bytes, not ";
  const Case cases[] = {
      {{"--foo"}, "unknown option \"--foo\""},
      {{"-x"}, "unknown option \"-x\""},
      {{"--HELP"}, "unknown option \"--HELP\""},
      {{"--x\x1b[2J"}, "unknown option \"--x\\x1b[2J\""},
      {{"--fit"}, "option \"--fit\" needs a value"},
      {{"-o"}, "option \"-o\" needs a value"},
      {{"--check=yes"}, "option \"--check\" takes no value"},
      {{"a.deck", "b.deck"}, "more than one deck: \"b.deck\""},
      {{"a.deck", "b\nc"}, "more than one deck: \"b\\x0ac\""},
      {{""}, "the deck's name is empty"},
      {{"--report", "--json"}, "--report and --json cannot be combined"},
      {{"--lsp", "--check"}, "--lsp and --check cannot be combined"},
      {{"--lsp", "a.deck"}, "--lsp takes no deck"},
      {{"--lsp", "-o", "/"},
       "--output-dir goes only with a run that writes the files, not with --lsp"},
      {{"--check", "--fit=1G"}, "--check and --fit cannot be combined"},
      {{"--help", "--version"}, "--help and --version cannot be combined"},
      {{"--version", "a.deck"}, "--version takes no deck"},
      {{"--explain=0"}, explainValues + "\"0\""},
      {{"--explain=100"}, explainValues + "\"100\""},
      {{"--explain=7x"}, explainValues + "\"7x\""},
      {{"--explain="}, explainValues + "\"\""},
      {{"--fit=0"}, fitValues + "\"0\""},
      {{"--fit=12X"}, fitValues + "\"12X\""},
      {{"--fit=-5"}, fitValues + "\"-5\""},
      {{"--fit=1.5G"}, fitValues + "\"1.5G\""},
      {{"--fit=9223372036854775808"}, fitTooLarge + "\"9223372036854775808\""},
      {{"--fit=99999999999999999999"}, fitTooLarge + "\"99999999999999999999\""},
      {{"--fit=8589934592GiB"}, fitTooLarge + "\"8589934592GiB\""},
      {{"--output-dir="}, "--output-dir needs a directory"},
      {{"-o", missing}, "no output directory \"" + missing + "\""},
      {{"-o", file}, "the output directory \"" + file + "\" is not a directory"},
      {{"-o", tooLong},
       "the output directory \"" + tooLong + "\" cannot be used: File name too long"},
      {{"--json", "-o", "/"},
       "--output-dir goes only with a run that writes the files, not with --json"},
      {{"--diff"}, "option \"--diff\" needs a value"},
      {{"--diff="}, "--diff needs the deck to compare with"},
      {{"--diff=a", "--check"}, "--diff and --check cannot be combined"},
      {{"--fit=1G", "--diff=a"}, "--fit and --diff cannot be combined"},
      {{"--json", "--diff=a", "--report"}, "--diff and --report cannot be combined"},
      {{"--diff=-"}, "--diff=- reads the old deck from standard input: the deck must be a file"},
      {{"--diff=-", "-"},
       "--diff=- reads the old deck from standard input: the deck must be a file"},
      {{"--html", "--json"}, "--html and --json cannot be combined"},
      {{"--json", "--diff=a", "--html"}, "--diff and --html cannot be combined"},
      {{"--html", "--fit=1G", "--diff=a"}, "--fit and --diff cannot be combined"},
      {{"--html", "--diff=a", "--fit=1G"}, "--diff and --fit cannot be combined"},
      {{"--diff=a", "-o", "/"},
       "--output-dir goes only with a run that writes the files, not with --diff"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parsed(c.arguments).error, c.message) << c.arguments.front();
  }
}

TEST(ParseByteSize, DecimalAndBinaryUnits) {
  struct Case {
    std::string_view text;
    std::optional<std::int64_t> bytes;
    bool tooLarge = false;
  };
  const Case cases[] = {
      {"4194304", 4194304},
      {"4MiB", 4194304},
      {"4M", 4000000},
      {"3K", 3000},
      {"3KiB", 3072},
      {"2G", 2000000000},
      {"2GiB", std::int64_t{2} << 30},
      {"9223372036854775807", 9223372036854775807},
      {"8589934591GiB", std::int64_t{8589934591} << 30},
      // A size, but beyond 63 bits.
      {"9223372036854775808", std::nullopt, true},
      {"99999999999999999999", std::nullopt, true},
      {"8589934592GiB", std::nullopt, true},
      {"9223372036854776K", std::nullopt, true},
      // Not a size at all, however many digits.
      {"99999999999999999999X", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseByteSize(c.text).bytes, c.bytes) << c.text;
    EXPECT_EQ(parseByteSize(c.text).tooLarge, c.tooLarge) << c.text;
  }
  for (std::string_view bad : {"", "K", "4 MiB", "4mib", "4Mi", "4B", "0x10", "+4", "4MiBs"}) {
    EXPECT_EQ(parseByteSize(bad).bytes, std::nullopt) << bad;
    EXPECT_FALSE(parseByteSize(bad).tooLarge) << bad;
  }
}

const std::string kDeck = "DEFAULT      2.0\nC not read\n";

// Runs sizgen with `arguments` in the empty directory `directory`, its
// standard input a file holding kDeck; then `cat` reads on from the same
// open file, so the output ends with what sizgen left unread.  The exit
// status is printed as "exit N" between the two.
support::ProcessResult runWithArguments(const std::string& directory,
                                        const std::vector<std::string>& arguments) {
  std::string script = "\"$sizgen\"";
  for (const std::string& argument : arguments) script += " " + shellQuote(argument);
  return support::runSizgenShell(directory, kDeck, script + "; echo \"exit $?\"; cat");
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

TEST(CommandLine, HelpDescribesOptionsOutputsAndCards) {
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
  // Each option with its value and the first line of what it does.
  for (const OptionRow& row : optionTable()) {
    std::string names = "--" + std::string(row.longName);
    if (!row.argument.empty()) names += "=" + std::string(row.argument);
    const std::string firstLine(row.help.substr(0, row.help.find('\n')));
    EXPECT_NE(help.find(names + std::string(24 - 6 - names.size(), ' ') + firstLine + "\n"),
              std::string::npos)
        << names;
  }
}

TEST(CommandLine, UsageErrorsReadNothingAndTouchNothing) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--HELP"},
                                             {"deck", "extra"},
                                             {"--fit=0", "deck"},
                                             {"--explain=100"},
                                             {"--report", "--json"},
                                             {"--output-dir=missing"},
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
    EXPECT_TRUE(result.err.ends_with(" (usage: sizgen [OPTION]... [DECK]; see sizgen --help)\n"))
        << result.err;
    EXPECT_TRUE(isEmptyDirectory(dir.path())) << shown;
  }
}

TEST(CommandLine, NoArgumentsRunsTheDeckOnStandardInput) {
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

TEST(CommandLine, ADeckFileAndAnOutputDirectory) {
  support::TempDir dir;
  support::TempDir out;
  support::writeFile(dir.file("my.deck"), kDeck);
  // The deck named, the files in the output directory, standard input not read.
  support::ProcessResult named = runWithArguments(dir.path(), {"-o", out.path(), "my.deck"});
  EXPECT_EQ(named.err, "");
  EXPECT_TRUE(named.out.ends_with("exit 0\n" + kDeck)) << named.out;
  EXPECT_NE(named.out.find(" Default multiplier =   2.000"), std::string::npos);
  for (std::string_view name : {"newmods.for", "dimdef.for", "debug.lis", "dum.bin"}) {
    EXPECT_TRUE(support::fileExists(out.file(name))) << name;
    EXPECT_FALSE(support::fileExists(dir.file(name))) << name;
  }
  support::TempDir same;
  support::ProcessResult piped = support::runSizgenBinary(same.path(), kDeck, {"-"});
  EXPECT_EQ(piped.exitStatus, 0);
  EXPECT_EQ(support::readFile(same.file("newmods.for")),
            support::readFile(out.file("newmods.for")));

  // A deck that cannot be read is a file error: exit status 1, nothing touched.
  for (const std::string& deck : {std::string("missing.deck"), dir.path()}) {
    support::TempDir empty;
    support::ProcessResult result = runWithArguments(empty.path(), {deck});
    EXPECT_TRUE(result.out.starts_with("exit 1\n")) << result.out;
    const std::string reason = deck == dir.path()
                                   ? "cannot open " + deck + ": Is a directory"
                                   : "cannot open " + deck + ": No such file or directory";
    EXPECT_EQ(result.err, "sizgen: " + reason + "\n");
    EXPECT_TRUE(isEmptyDirectory(empty.path()));
  }
}

}  // namespace
}  // namespace sizgen
