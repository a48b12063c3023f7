// The README's examples run as shown, the manual page and --help tell the
// same story, and CI runs the README's test command.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "emit/generated_files.h"
#include "files/ending_signals.h"
#include "support/test_support.h"

namespace sizgen::testing {
namespace {

std::string sourceFile(const std::string& relative) {
  return readFile(std::string(SIZGEN_SOURCE_DIR) + "/" + relative);
}

// One "$ command" of a console block and the lines it prints.
struct Step {
  std::string command;
  std::string output;
};

// The ```console blocks of a Markdown text.
std::vector<std::vector<Step>> consoleBlocks(const std::string& markdown) {
  std::vector<std::vector<Step>> blocks;
  bool inside = false;
  for (const std::string& line : linesOf(markdown)) {
    if (!inside) {
      if (line == "```console") {
        inside = true;
        blocks.emplace_back();
      }
    } else if (line == "```") {
      inside = false;
    } else if (line.starts_with("$ ")) {
      blocks.back().push_back({line.substr(2), ""});
    } else if (!blocks.back().empty()) {
      blocks.back().back().output += line + "\n";
    }
  }
  return blocks;
}

std::string binaryDirectory() {
  std::string binary = SIZGEN_BINARY;
  return binary.substr(0, binary.rfind('/'));
}

TEST(Documentation, ReadmeExamplesRunAsShown) {
  auto blocks = consoleBlocks(sourceFile("README.md"));
  ASSERT_GE(blocks.size(), 3u);
  const std::string kSeparator = "----- end of step -----";
  for (const auto& block : blocks) {
    // One shell runs the whole block, so that "echo $?" sees the status of
    // the step before it.
    TempDir dir;
    std::string script = "cd '" + dir.path() + "' && PATH='" + binaryDirectory() + "':\"$PATH\"\n";
    for (const Step& step : block) {
      script +=
          "{ " + step.command + "\n} 2>&1; status=$?; echo '" + kSeparator + "'; (exit $status)\n";
    }
    writeFile(dir.file("example.sh"), script);
    ProcessResult result = runCommand("sh '" + dir.file("example.sh") + "'");
    std::vector<std::string> outputs;
    std::string current;
    for (const std::string& line : linesOf(result.out)) {
      if (line == kSeparator) {
        outputs.push_back(current);
        current.clear();
      } else {
        current += line + "\n";
      }
    }
    ASSERT_EQ(outputs.size(), block.size()) << result.out << result.err;
    for (std::size_t i = 0; i < block.size(); ++i) {
      EXPECT_EQ(outputs[i], block[i].output) << "$ " << block[i].command;
    }
  }
}

TEST(Documentation, ManualPageHelpAndReadmeAgree) {
  const std::string manual = sourceFile("docs/sizgen.1");
  const std::string readme = sourceFile("README.md");
  const std::string help(helpText());
  for (const char* keyword :
       {"DEFAULT", "SCALE", "FIXED", "CARDS", "NBHDSW", "RAM TABLES", "ROUND UP"}) {
    EXPECT_NE(manual.find(keyword), std::string::npos) << keyword;
    EXPECT_NE(help.find(keyword), std::string::npos) << keyword;
  }
  for (const GeneratedFile& file : kGeneratedFiles) {
    const std::string name(file.name);
    EXPECT_NE(manual.find(name), std::string::npos) << name;
    EXPECT_NE(help.find(name), std::string::npos) << name;
  }
  // Options, written with groff's escaped hyphens in the manual page.
  for (const OptionRow& row : optionTable()) {
    const std::string option(row.longName);
    EXPECT_NE(help.find("--" + option), std::string::npos) << option;
    std::string escaped = "\\-\\-";
    for (char c : option) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(manual.find(escaped), std::string::npos) << option;
    EXPECT_NE(readme.find("--" + option), std::string::npos) << option;
  }
  // Exit statuses 0, 1 and 2 in both.
  for (const char* status : {"0", "1", "2"}) {
    EXPECT_NE(manual.find(std::string(".B ") + status + "\n"), std::string::npos) << status;
  }
  EXPECT_NE(help.find("0 after a normal run, 1 when"), std::string::npos);
  EXPECT_NE(help.find("2 for a usage error"), std::string::npos);
  // The version in the page's header is the program's.
  EXPECT_NE(manual.find("\"" + std::string(versionLine()) + "\""), std::string::npos);
}

// The manual page names each signal that a commit holds back or catches.
TEST(Documentation, ManualPageNamesTheSignalsACommitHoldsBack) {
  std::string manual = sourceFile("docs/sizgen.1");
  for (char& c : manual) c = c == '\n' ? ' ' : c;
  const std::size_t files = manual.find(".SH FILES");
  const std::string list = manual.substr(files, manual.find(".SH", files + 1) - files);
  for (int signal : kNamedEndingSignals) {
    const std::string name = "SIG" + std::string(::sigabbrev_np(signal));
    EXPECT_TRUE(list.find(name + ",") != std::string::npos ||
                list.find(name + " and") != std::string::npos)
        << name;
  }
  EXPECT_NE(list.find("and the real-time signals"), std::string::npos);
}

// The deck of the manual page's example that begins with `title`: the
// lines between the .nf and .fi after it; empty when there is none.
std::string manualPageDeck(const std::string& title) {
  const std::string manual = sourceFile("docs/sizgen.1");
  std::size_t example = manual.find(title);
  if (example == std::string::npos) return {};
  std::size_t begin = manual.find(".nf\n", example) + 4;
  std::size_t end = manual.find(".fi\n", begin);
  return manual.substr(begin, end - begin);
}

TEST(Documentation, ManualPageExampleDeckRuns) {
  std::string deck = manualPageDeck("A deck that doubles");
  ASSERT_NE(deck, "");
  EXPECT_NE(deck.find("ROUND UP    4096"), std::string::npos);
  TempDir dir;
  ProcessResult result = runSizgenBinary(dir.path(), deck);
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  // Three list-size cards and the offsets card, each echoed.
  EXPECT_NE(result.out.find(" 1st card (Lists  1-10).       1     600    1200    1800"),
            std::string::npos);
  EXPECT_NE(result.out.find(" Supplemental offsets.         1   90000"), std::string::npos);
  EXPECT_EQ(result.err, "");
}

TEST(Documentation, ManualPageFourthCardExampleSetsListsThirtyOneAndTwo) {
  std::string deck = manualPageDeck("A deck with the optional fourth card");
  ASSERT_NE(deck, "");
  TempDir dir;
  ProcessResult result = runSizgenBinary(dir.path(), deck);
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_NE(result.out.find(" 4th card (Lists 31-32).       1     700       5{Optional"),
            std::string::npos);
  std::string dimdef = readFile(dir.file("dimdef.for"));
  EXPECT_NE(dimdef.find("      LSIZE(31)  =     700\n      LSIZE(32)  =       5\n"),
            std::string::npos)
      << dimdef;
}

// The --diff example: its deck is the larger study's, its command prints
// the lines the page shows.
TEST(Documentation, ManualPageDiffExampleRunsAsShown) {
  const std::string deck = manualPageDeck("A deck that doubles");
  std::string example = manualPageDeck("What changes from the built-in defaults");
  ASSERT_NE(example, "");
  for (std::size_t at = example.find("\\-"); at != std::string::npos; at = example.find("\\-"))
    example.replace(at, 2, "-");
  ASSERT_TRUE(example.starts_with("$ ")) << example;
  const std::size_t end = example.find('\n');
  TempDir dir;
  writeFile(dir.file("larger.deck"), deck);
  ProcessResult result = runCommand("cd '" + dir.path() + "' && PATH='" + binaryDirectory() +
                                    "':\"$PATH\" && " + example.substr(2, end - 2));
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(result.out, example.substr(end + 1));
  EXPECT_FALSE(fileExists(dir.file("newmods.for")));
}

// CI runs the README's two commands as it gives them: the build command
// first, before anything else is installed, then the test command.
TEST(Documentation, ContinuousIntegrationRunsTheReadmeCommands) {
  std::vector<std::string> commands;
  bool inBuildSection = false;
  bool inBlock = false;
  for (const std::string& line : linesOf(sourceFile("README.md"))) {
    if (line.starts_with("## ")) inBuildSection = line == "## Build and run";
    if (!inBuildSection) continue;
    if (line == "```sh" || line == "```") {
      inBlock = line == "```sh";
    } else if (inBlock) {
      commands.push_back(line);
    }
  }
  ASSERT_GE(commands.size(), 2U);
  const std::string ci = sourceFile(".ci/run");
  const std::size_t build = ci.find("\n" + commands[0] + "\n");
  const std::size_t test = ci.find("\n" + commands[1] + "\n");
  EXPECT_NE(build, std::string::npos) << commands[0];
  EXPECT_NE(test, std::string::npos) << commands[1];
  EXPECT_LT(build, test);
  EXPECT_LT(build, ci.find("apt-get install")) << "CI installs packages before the build command";
}

}  // namespace
}  // namespace sizgen::testing
