// The front ends say the same of a deck: the language server's diagnostics
// are the warnings and the error that a run prints (cards, columns, texts),
// --annotate shows every warning a run prints beneath its card, and
// --format gives a deck that formats to itself and runs as the original
// (the same files and --json result, less the warnings formatting
// removes).  Checked with the program itself on the test decks and a
// table of decks, and on every deck of the directory named by
// SIZGEN_AGREEMENT_DECKS (scripts/front-ends-agree), with counts.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "lsp/deck_diagnostics.h"
#include "reading/deck_format.h"
#include "reading/deck_reading.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using lsp::DeckDiagnostic;

// A warning or the error as a run prints it on standard error.
struct Printed {
  bool warning = false;
  long card = 0;  // 0: the line names no card before its text
  int firstColumn = 0;
  int lastColumn = 0;
  std::string text;
};

std::vector<Printed> printedLines(const std::string& err) {
  static const std::regex kPlaced(
      R"(sizgen: (warning: )?card (\d+), columns? (\d+)(?:-(\d+))?: ([^]*))");
  std::vector<Printed> lines;
  for (const std::string& line : testing::linesOf(err)) {
    std::smatch match;
    if (std::regex_match(line, match, kPlaced)) {
      const int first = std::stoi(match[3]);
      lines.push_back({match[1].matched, std::stol(match[2]), first,
                       match[4].matched ? std::stoi(match[4]) : first, match[5]});
    } else if (line.starts_with("sizgen: warning: ")) {
      lines.push_back({true, 0, 0, 0, line.substr(17)});
    } else if (line.starts_with("sizgen: ")) {
      lines.push_back({false, 0, 0, 0, line.substr(8)});
    }
  }
  return lines;
}

// "card N, columns A-B" as a message names the card a value came from.
std::string placeText(long card, int first, int last) {
  return "card " + std::to_string(card) + ", columns " + std::to_string(first) + "-" +
         std::to_string(last);
}

// The front ends' outputs of one deck, and the plain run of the deck that
// --format gives.
struct Outputs {
  std::string runErr;
  std::map<std::string, std::string> files;
  int runStatus = -1;
  std::string annotation;
  std::string annotateErr;
  int annotateStatus = -1;
  std::string formatted;
  int formatStatus = -1;
  std::string json;
  std::map<std::string, std::string> formattedFiles;
  std::string formattedErr;
  int formattedStatus = -1;
  std::string formattedJson;
};

std::map<std::string, std::string> outputFiles(const std::string& directory) {
  std::map<std::string, std::string> files;
  for (const char* name : {"newmods.for", "dimdef.for", "debug.lis", "dum.bin"}) {
    const std::string path = directory + "/" + name;
    if (testing::fileExists(path)) files[name] = testing::readFile(path);
  }
  return files;
}

int statusIn(const std::string& path) {
  return std::stoi(testing::readFile(path));
}

// Each mode started once, with the deck on standard input, by one shell.
Outputs outputsOf(std::string_view deck) {
  testing::TempDir dir;
  testing::writeFile(dir.file("deck"), deck);
  const std::string script = R"(
    mkdir run formatted-run
    (cd run && "$sizgen" <../deck >/dev/null 2>err; echo $? >status)
    "$sizgen" --annotate <deck >annotation 2>annotate.err; echo $? >annotate.status
    "$sizgen" --format <deck >formatted 2>/dev/null; echo $? >format.status
    "$sizgen" --json <deck >json 2>/dev/null
    (cd formatted-run && "$sizgen" <../formatted >/dev/null 2>err; echo $? >status)
    "$sizgen" --json <formatted >formatted.json 2>/dev/null
    true)";
  const testing::ProcessResult shell =
      testing::runCommand("cd " + testing::shellQuote(dir.path()) +
                          " && export sizgen=" + testing::shellQuote(SIZGEN_BINARY) + " && sh -c " +
                          testing::shellQuote(script));
  if (shell.exitStatus != 0) throw std::runtime_error("the modes did not run: " + shell.err);
  Outputs out;
  out.runErr = testing::readFile(dir.file("run/err"));
  out.runStatus = statusIn(dir.file("run/status"));
  out.files = outputFiles(dir.file("run"));
  out.annotation = testing::readFile(dir.file("annotation"));
  out.annotateErr = testing::readFile(dir.file("annotate.err"));
  out.annotateStatus = statusIn(dir.file("annotate.status"));
  out.formatted = testing::readFile(dir.file("formatted"));
  out.formatStatus = statusIn(dir.file("format.status"));
  out.json = testing::readFile(dir.file("json"));
  out.formattedErr = testing::readFile(dir.file("formatted-run/err"));
  out.formattedStatus = statusIn(dir.file("formatted-run/status"));
  out.formattedFiles = outputFiles(dir.file("formatted-run"));
  out.formattedJson = testing::readFile(dir.file("formatted.json"));
  return out;
}

// What was compared, and each disagreement found.
struct Agreement {
  int diagnostics = 0;        // diagnostics compared with the lines a run prints
  int annotatedWarnings = 0;  // warnings looked for beneath their cards in --annotate
  bool formatted = false;     // the deck was formatted and its run compared
  int warningsRemoved = 0;    // warnings the formatted deck no longer gives
  std::vector<std::string> mismatches;
};

// (a) The server's diagnostics, one for each line the run prints, in order:
// a warning or an error at a card is that card and those columns; an error
// whose message names the value first blames the first card it names.
void compareDiagnostics(std::string_view deck, const Outputs& out, Agreement& agreement) {
  static const std::regex kNamedPlace(R"(card \d+, columns \d+-\d+)");
  const std::vector<DeckDiagnostic> diagnostics = lsp::deckDiagnostics(deck);
  const std::vector<Printed> printed = printedLines(out.runErr);
  if (diagnostics.size() != printed.size()) {
    agreement.mismatches.push_back("diagnostics: " + std::to_string(diagnostics.size()) +
                                   " against " + std::to_string(printed.size()) + " lines of\n" +
                                   out.runErr);
    return;
  }
  for (std::size_t i = 0; i < printed.size(); ++i) {
    ++agreement.diagnostics;
    const DeckDiagnostic& d = diagnostics[i];
    const Printed& p = printed[i];
    const bool warning = d.severity == DeckDiagnostic::Severity::Warning;
    bool same = warning == p.warning;
    std::smatch named;
    if (p.card != 0) {
      same = same && d.card == p.card && d.firstColumn == p.firstColumn &&
             d.lastColumn == p.lastColumn && d.message == p.text;
    } else if (std::regex_search(p.text, named, kNamedPlace)) {
      same = same && d.message == p.text &&
             named.str() == placeText(d.card, d.firstColumn, d.lastColumn);
    } else {
      same = same && d.message == p.text;
    }
    if (!same) {
      agreement.mismatches.push_back(
          "diagnostic " + std::to_string(i + 1) + " at card " + std::to_string(d.card) + " " +
          std::to_string(d.firstColumn) + "-" + std::to_string(d.lastColumn) + " \"" + d.message +
          "\" against the run's line of card " + std::to_string(p.card) + " \"" + p.text + "\"");
    }
  }
}

// The annotation's lines under each card: the lines after the card's own
// line up to the next card's (the notes of no card follow the last card's).
std::map<long, std::vector<std::string>> annotationBlocks(const std::string& annotation,
                                                          std::size_t& margin) {
  std::map<long, std::vector<std::string>> blocks;
  const std::vector<std::string> lines = testing::linesOf(annotation);
  if (lines.empty()) return blocks;
  margin = lines.front().find_first_not_of(' ');  // the ruler's: the number's width and a blank
  long card = -1;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const std::string head = line.substr(0, margin);
    const auto digits = head.find_first_not_of(' ');
    if (line.size() > margin && line[margin - 1] == ' ' && digits != std::string::npos &&
        head.find_first_not_of("0123456789 ", digits) == std::string::npos &&
        head.find(' ', digits) == margin - 1) {
      card = std::stol(head.substr(digits));
      continue;
    }
    blocks[card].push_back(line);
  }
  return blocks;
}

bool hasMarked(const std::vector<std::string>& block, std::size_t margin, int first, int last,
               const std::string& note) {
  const std::string carets =
      std::string(margin, ' ') +
      std::string(static_cast<std::size_t>(std::max(first, 1) - 1), ' ') +
      std::string(static_cast<std::size_t>(std::max(last - first + 1, 1)), '^');
  for (std::size_t i = 0; i + 1 < block.size(); ++i) {
    if (block[i] == carets && block[i + 1] == std::string(margin + 2, ' ') + note) return true;
  }
  return false;
}

// (b) --annotate shows each warning the run prints beneath its card, marked
// at its columns, and a card's error there too; stops as the run does.
void compareAnnotation(const Outputs& out, Agreement& agreement) {
  std::size_t margin = 0;
  const auto blocks = annotationBlocks(out.annotation, margin);
  const auto noted = [&](long card, const std::string& note) {
    const auto block = blocks.find(card);
    if (block == blocks.end()) return false;
    return std::find(block->second.begin(), block->second.end(),
                     std::string(margin + 2, ' ') + note) != block->second.end();
  };
  if (out.annotateStatus != out.runStatus)
    agreement.mismatches.push_back("--annotate exits with " + std::to_string(out.annotateStatus) +
                                   ", the run with " + std::to_string(out.runStatus));
  for (const Printed& p : printedLines(out.runErr)) {
    if (p.warning) ++agreement.annotatedWarnings;
    const std::string note = (p.warning ? "warning: " : "error: ") + p.text;
    const bool found =
        p.card == 0 ? std::any_of(blocks.begin(), blocks.end(),
                                  [&](const auto& block) { return noted(block.first, note); })
                    : blocks.contains(p.card) &&
                          hasMarked(blocks.at(p.card), margin, p.firstColumn, p.lastColumn, note);
    if (!found) agreement.mismatches.push_back("--annotate does not show \"" + note + "\"");
  }
}

// The --json document less what formatting may change: the cards' texts
// and the warnings it removes.
std::optional<nlohmann::json> jsonResult(const std::string& text) {
  if (text.empty()) return std::nullopt;
  nlohmann::json document = nlohmann::json::parse(text);
  document.erase("cards");
  document.erase("warnings");
  return document;
}

// (c) --format formats a sound deck only; its deck formats to itself and
// runs as the original: the same files, status and --json result, and no
// warning the original does not give.
void compareFormatted(std::string_view deck, const Outputs& out, Agreement& agreement) {
  const bool sound = out.runStatus == 0;
  if ((out.formatStatus == 0) != sound) {
    agreement.mismatches.push_back("--format exits with " + std::to_string(out.formatStatus) +
                                   ", the run with " + std::to_string(out.runStatus));
    return;
  }
  if (!sound) return;
  agreement.formatted = true;
  if (formatDeck(readDeckText(out.formatted)) != out.formatted)
    agreement.mismatches.push_back("formatting the formatted deck changes it");
  if (out.formatted != formatDeck(readDeckText(deck)))
    agreement.mismatches.push_back("--format prints another deck than the formatter gives");
  if (out.formattedStatus != out.runStatus || out.formattedFiles != out.files)
    agreement.mismatches.push_back("the formatted deck's run differs in its files or status");
  if (jsonResult(out.formattedJson) != jsonResult(out.json))
    agreement.mismatches.push_back("the formatted deck's --json result differs");
  const std::vector<Printed> before = printedLines(out.runErr);
  const std::vector<Printed> after = printedLines(out.formattedErr);
  for (const Printed& p : after) {
    const bool given = std::any_of(before.begin(), before.end(), [&](const Printed& q) {
      return q.card == p.card && q.firstColumn == p.firstColumn && q.text == p.text;
    });
    if (!given) agreement.mismatches.push_back("formatting adds the warning \"" + p.text + "\"");
  }
  agreement.warningsRemoved += static_cast<int>(before.size()) - static_cast<int>(after.size());
}

Agreement frontEndsAgree(std::string_view deck) {
  const Outputs out = outputsOf(deck);
  Agreement agreement;
  compareDiagnostics(deck, out, agreement);
  compareAnnotation(out, agreement);
  compareFormatted(deck, out, agreement);
  return agreement;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

struct AgreedDeck {
  const char* name;
  std::string deck;
  std::string error;  // where the error is shown: "card first-last", "" for none
};

// Decks that reach every warning and the errors of planning, each of which
// blames the card that gave the value out of range.
std::vector<AgreedDeck> agreedDecks() {
  return {
      {"a list's card", "\n                                                21262215\n", "2 49-56"},
      {"the list's card past the warnings of others",
       "NBHDSW 5\nBLANK\n                                                21262215\n", "3 49-56"},
      {"DEFAULT, the larger factor", "DEFAULT  1E9\n", "1 9-16"},
      {"SCALE, the larger factor", "SCALE    1E9\n", "1 9-16"},
      {"NBHDSW for list 56", "NBHDSW   1E8\n", "1 9-16"},
      {"the list with most of the storage total", std::string(11, ' ') + "1.9E9\n", "1 9-16"},
      {"a dimension rounded to bytes, from its list's card",
       "ROUND UP       8\n" + std::string(51, ' ') + "4.0E8\n", "2 49-56"},
      {"an unreadable card", "SCALE 2.0\nDEFAULT  abc\n", "2 9-16"},
      {"every warning, sound",
       "C  two\r\nSCALE 2.0\r\n     300 400 500\r\nSCALE        3.0\r\nDEFAULT  0\r\n"
       "NBHDSW  -99999\r\nFIXED" +
           std::string(75, ' ') + "tail\r\nBLANK\r\nBLANK\r\n   90000\r\nDEFAULT      2.0\r\n",
       ""},
  };
}

TEST(FrontEndsAgree, OnTheTestDecksAndEachKindOfWarningAndError) {
  std::vector<AgreedDeck> decks = agreedDecks();
  for (const char* folder : {"tests/decks", "examples"}) {
    for (const auto& file :
         std::filesystem::directory_iterator(std::filesystem::path(SIZGEN_SOURCE_DIR) / folder)) {
      if (file.path().extension() == ".deck")
        decks.push_back({"", testing::readFile(file.path()), "(any)"});
    }
  }
  int diagnostics = 0;
  int formatted = 0;
  for (const AgreedDeck& deck : decks) {
    SCOPED_TRACE(deck.name + std::string(": ") + deck.deck.substr(0, 60));
    const Agreement agreement = frontEndsAgree(deck.deck);
    EXPECT_EQ(joined(agreement.mismatches), "");
    diagnostics += agreement.diagnostics;
    formatted += agreement.formatted ? 1 : 0;
    if (deck.error == "(any)") continue;
    std::string error;
    for (const DeckDiagnostic& d : lsp::deckDiagnostics(deck.deck)) {
      if (d.severity == DeckDiagnostic::Severity::Error)
        error = std::to_string(d.card) + " " + std::to_string(d.firstColumn) + "-" +
                std::to_string(d.lastColumn);
    }
    EXPECT_EQ(error, deck.error);
  }
  EXPECT_GT(diagnostics, 20);
  EXPECT_GT(formatted, 5);
}

// Every deck of the directory SIZGEN_AGREEMENT_DECKS, with the counts.
TEST(FrontEndsAgree, OnTheDecksOfADirectory) {
  const char* directory = std::getenv("SIZGEN_AGREEMENT_DECKS");
  if (directory == nullptr) GTEST_SKIP() << "SIZGEN_AGREEMENT_DECKS names no directory";
  std::vector<std::filesystem::path> paths;
  for (const auto& file : std::filesystem::directory_iterator(directory))
    paths.push_back(file.path());
  std::sort(paths.begin(), paths.end());
  int decks = 0;
  int diagnostics = 0;
  int annotated = 0;
  int formatted = 0;
  int removed = 0;
  int mismatches = 0;
  for (const auto& path : paths) {
    const Agreement agreement = frontEndsAgree(testing::readFile(path));
    ++decks;
    diagnostics += agreement.diagnostics;
    annotated += agreement.annotatedWarnings;
    formatted += agreement.formatted ? 1 : 0;
    removed += agreement.warningsRemoved;
    mismatches += static_cast<int>(agreement.mismatches.size());
    EXPECT_EQ(joined(agreement.mismatches), "") << path;
  }
  std::printf(
      "decks %d, diagnostics compared %d, warnings found in --annotate %d, decks formatted %d "
      "(warnings removed %d), mismatches %d\n",
      decks, diagnostics, annotated, formatted, removed, mismatches);
  EXPECT_GT(decks, 0);
}

}  // namespace
}  // namespace sizgen
