#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sizgen {

// Exit statuses of the program.
enum ExitStatus : int {
  kExitSuccess = 0,  // a normal run, --help, --version
  kExitFailure = 1,  // a deck or file that cannot be processed
  kExitUsage = 2,    // a command line that is not understood
};

// What the command line asks for.
enum class Mode {
  Run,       // generate the files and the listing
  Check,     // read and plan the deck, say whether it is sound
  Report,    // the storage report
  Json,      // the whole result as JSON
  Explain,   // how lists got their sizes
  Fit,       // the SCALE card that fits a memory budget
  Diff,      // what changes from another deck
  Annotate,  // the deck card by card with what each field reads
  Format,    // the deck in its canonical layout
  Html,      // one HTML page of the deck
  Lsp,       // a language server for editors, on standard input and output
  Help,
  Version,
};

struct Options {
  Mode mode = Mode::Run;
  std::string deck;                // the deck file; empty: standard input
  std::string outputDirectory;     // where the files go; empty: the current directory
  std::optional<int> explainList;  // with Explain: one list, or nothing for all
  std::int64_t fitBytes = 0;       // with Fit (or Html: --html --fit): the memory budget in bytes
  std::string oldDeck;             // with Diff: the deck compared with; "-": standard input
  bool diffAsJson = false;         // with Diff: as JSON (--json --diff)
  bool diffAsHtml = false;         // with Diff: as an HTML page (--html --diff)
};

// One option of the command line: its names, the value it takes, the mode
// it selects and its lines of --help.  The parser, --help and the tests of
// the documentation all read the table of these rows.
struct OptionRow {
  char shortName;             // 0: none
  std::string_view longName;  // without the leading "--"
  std::string_view argument;  // the value's name in --help; empty: takes none
  Mode mode;                  // the mode it selects; Run: none, it sets a value
  std::string_view help;      // what it does; a line feed starts another line
  // Records the value of an option that takes one in `options`; returns
  // the message of a usage error, or empty.
  std::string (*apply)(std::string_view value, Options& options);
};

// The options, in the order --help lists them.
std::span<const OptionRow> optionTable();

// Whether `mode` prints an analysis of the deck instead of running it.
constexpr bool isAnalysis(Mode mode) {
  return mode != Mode::Run && mode != Mode::Help && mode != Mode::Version && mode != Mode::Lsp;
}

// Whether `mode` reads no deck at all.
constexpr bool takesNoDeck(Mode mode) {
  return mode == Mode::Help || mode == Mode::Version || mode == Mode::Lsp;
}

// The options of `arguments` (the words after the program name), or the
// one line of a usage error, without "sizgen: " and without newline.
struct CommandLine {
  Options options;
  std::string error;  // empty: the command line is understood
};
CommandLine parseCommandLine(std::span<const std::string_view> arguments);

// A memory size: digits, optionally followed by K, M or G (powers of
// 1000) or KiB, MiB or GiB (powers of 1024).  Its bytes; nothing when it
// is not one, or is one too large for 63 bits.
struct ByteSize {
  std::optional<std::int64_t> bytes;
  bool tooLarge = false;
};
ByteSize parseByteSize(std::string_view text);

// The text printed by --help, ending with a newline.
std::string_view helpText();
// The line printed by --version, without newline.
std::string_view versionLine();
// The line that ends a usage error on standard error.
std::string_view usageLine();

}  // namespace sizgen
