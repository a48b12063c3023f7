#include "driver/command_line.h"

#include <getopt.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "base/error.h"
#include "driver/deck_input.h"
#include "emit/generated_files.h"
#include "input/card_fields.h"
#include "version.h"

namespace sizgen {
namespace {

// An argument as messages show it: in quotes, bytes that are not printable
// as \xHH, so that the message stays one line.
std::string quoted(std::string_view text) {
  return "\"" + printableText(text) + "\"";
}

std::string applyOutputDirectory(std::string_view value, Options& options) {
  options.outputDirectory = value;
  return value.empty() ? "--output-dir needs a directory" : "";
}

std::string applyExplain(std::string_view value, Options& options) {
  if (value == "all") return "";
  int list = 0;
  auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), list);
  if (failure != std::errc() || end != value.data() + value.size() || list < 1 || list > 99)
    return "--explain takes a list number from 1 to 99 or \"all\", not " + quoted(value);
  options.explainList = list;
  return "";
}

std::string applyFit(std::string_view value, Options& options) {
  const ByteSize size = parseByteSize(value);
  if (size.tooLarge)
    return "--fit takes a size of at most " +
           std::to_string(std::numeric_limits<std::int64_t>::max()) + " bytes, not " +
           quoted(value);
  if (!size.bytes || *size.bytes == 0)
    return "--fit takes a size in bytes greater than 0, optionally with K, M, G "
           "(powers of 1000) or KiB, MiB, GiB (powers of 1024), not " +
           quoted(value);
  options.fitBytes = *size.bytes;
  return "";
}

std::string applyDiff(std::string_view value, Options& options) {
  options.oldDeck = value;
  return value.empty() ? "--diff needs the deck to compare with" : "";
}

// --json with --diff: the difference as JSON; --html with --diff: the
// difference as a page; --html with --fit: the page with the budget.
// Whether `mode`, given with the mode already chosen, makes such a pair;
// records it if so.
bool pairedModes(Options& options, Mode mode) {
  auto is = [&](Mode a, Mode b) {
    return (options.mode == a && mode == b) || (options.mode == b && mode == a);
  };
  if (is(Mode::Json, Mode::Diff) && !options.diffAsHtml) {
    options.mode = Mode::Diff;
    options.diffAsJson = true;
    return true;
  }
  if (is(Mode::Html, Mode::Diff) && !options.diffAsJson && options.fitBytes == 0) {
    options.mode = Mode::Diff;
    options.diffAsHtml = true;
    return true;
  }
  if (is(Mode::Html, Mode::Fit) && !options.diffAsHtml) {
    options.mode = Mode::Html;
    return true;
  }
  return false;
}

// clang-format off
constexpr std::array<OptionRow, 13> kOptions = {{
    // short long          value   mode           help
    {'o', "output-dir", "DIR",  Mode::Run,     "write the four files in DIR, which must exist",
     applyOutputDirectory},
    {0,   "check",      "",     Mode::Check,   "read and plan the deck, write nothing; print one\n"
                                               "line with LTLABL and the total storage", nullptr},
    {0,   "report",     "",     Mode::Report,  "print the storage of every array, group and block\n"
                                               "instead of the listing; write no file", nullptr},
    {0,   "json",       "",     Mode::Json,    "print the whole result as one JSON document;\n"
                                               "write no file", nullptr},
    {0,   "explain",    "LIST", Mode::Explain, "print how list LIST (1 to 99, or all) got its size;\n"
                                               "write no file", applyExplain},
    {0,   "fit",        "SIZE", Mode::Fit,     "print the SCALE card that makes the largest lists\n"
                                               "whose COMMON storage stays within SIZE bytes (K, M,\n"
                                               "G: powers of 1000; KiB, MiB, GiB: powers of 1024);\n"
                                               "write no file", applyFit},
    {0,   "diff",       "OLD",  Mode::Diff,    "print what changes from the deck OLD to this one:\n"
                                               "cards, lists, arrays, storage and which files\n"
                                               "would change; with --json as JSON; write no file",
     applyDiff},
    {0,   "annotate",   "",     Mode::Annotate, "print the deck card by card under a column ruler:\n"
                                               "what each field reads, what it sets, the size its\n"
                                               "list ends with, warnings and errors at their\n"
                                               "columns; write no file", nullptr},
    {0,   "format",     "",     Mode::Format,  "print the deck in its canonical layout: each value\n"
                                               "right-aligned in the columns it is read from;\n"
                                               "nothing that any card reads changes; write no file",
     nullptr},
    {0,   "html",       "",     Mode::Html,    "print one self-contained HTML page of the deck:\n"
                                               "a treemap of the storage, a chart of it against\n"
                                               "the SCALE multiplier, the lists, the annotated\n"
                                               "deck; with --diff the page of the difference,\n"
                                               "with --fit the budget on the chart; write no file",
     nullptr},
    {0,   "lsp",        "",     Mode::Lsp,     "serve the Language Server Protocol on standard\n"
                                               "input and output, for editors: the warnings and\n"
                                               "errors of the decks they open; write no file",
     nullptr},
    {'h', "help",       "",     Mode::Help,    "print this text", nullptr},
    {0,   "version",    "",     Mode::Version, "print the version", nullptr},
}};
// clang-format on

// Options without a short name are known to getopt_long by codes above any
// character: this one plus the index of their row.
constexpr int kFirstLongCode = 256;

int optionCode(const OptionRow& row) {
  return row.shortName != 0 ? row.shortName
                            : kFirstLongCode + static_cast<int>(&row - kOptions.data());
}

const OptionRow& rowOfCode(int code) {
  const auto* row = std::find_if(kOptions.begin(), kOptions.end(),
                                 [code](const OptionRow& r) { return optionCode(r) == code; });
  if (row == kOptions.end()) throw InternalError("no option has code " + std::to_string(code));
  return *row;
}

// How an option that selects `mode` is named in messages.
std::string optionName(Mode mode) {
  const auto* row = std::find_if(kOptions.begin(), kOptions.end(),
                                 [mode](const OptionRow& r) { return r.mode == mode; });
  if (mode == Mode::Run || row == kOptions.end())
    throw InternalError("no option selects this mode");
  return "--" + std::string(row->longName);
}

// getopt_long's tables: the short options, and the long ones ending with
// a row of zeros.
std::string shortOptions() {
  std::string text = ":";  // a missing value is reported as ':'
  for (const OptionRow& row : kOptions) {
    if (row.shortName == 0) continue;
    text += row.shortName;
    if (!row.argument.empty()) text += ':';
  }
  return text;
}

std::vector<option> longOptions() {
  std::vector<option> table;
  // The long names are literals of the table, hence NUL-terminated.
  std::transform(kOptions.begin(), kOptions.end(), std::back_inserter(table),
                 [](const OptionRow& row) -> option {
                   return {row.longName.data(),
                           row.argument.empty() ? no_argument : required_argument, nullptr,
                           optionCode(row)};
                 });
  table.push_back({nullptr, 0, nullptr, 0});
  return table;
}

}  // namespace

ByteSize parseByteSize(std::string_view text) {
  struct Suffix {
    std::string_view text;
    std::int64_t factor;
  };
  static constexpr std::array<Suffix, 7> kSuffixes = {{
      {"KiB", std::int64_t{1} << 10},
      {"MiB", std::int64_t{1} << 20},
      {"GiB", std::int64_t{1} << 30},
      {"K", 1000},
      {"M", std::int64_t{1000} * 1000},
      {"G", std::int64_t{1000} * 1000 * 1000},
      {"", 1},
  }};
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  const auto* suffix = std::find_if(kSuffixes.begin(), kSuffixes.end(),
                                    [&](const Suffix& s) { return text.substr(digits) == s.text; });
  if (digits == 0 || suffix == kSuffixes.end()) return {};
  std::int64_t number = 0;
  auto [end, failure] = std::from_chars(text.data(), text.data() + digits, number);
  if (failure == std::errc::result_out_of_range) return {std::nullopt, true};
  if (failure != std::errc() || end != text.data() + digits) return {};
  if (number > std::numeric_limits<std::int64_t>::max() / suffix->factor)
    return {std::nullopt, true};
  return {number * suffix->factor, false};
}

CommandLine parseCommandLine(std::span<const std::string_view> arguments) {
  // getopt_long works on a C argument vector, which it may reorder.
  std::vector<std::string> words{"sizgen"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  std::transform(words.begin(), words.end(), std::back_inserter(argv),
                 [](std::string& word) { return word.data(); });
  argv.push_back(nullptr);
  const int argc = static_cast<int>(words.size());

  CommandLine result;
  Options& options = result.options;
  auto fail = [&](std::string message) {
    result.error = std::move(message);
    return result;
  };
  auto setMode = [&](Mode mode) -> bool {
    if (pairedModes(options, mode)) return true;
    if (options.mode != Mode::Run && options.mode != mode) {
      // --html --fit=SIZE is named by the option that does not go with `mode`.
      const Mode chosen =
          options.mode == Mode::Html && options.fitBytes != 0 ? Mode::Fit : options.mode;
      result.error = optionName(chosen) + " and " + optionName(mode) + " cannot be combined";
      return false;
    }
    options.mode = mode;
    return true;
  };

  const std::string shortNames = shortOptions();
  const std::vector<option> longNames = longOptions();
  optind = 0;  // start afresh: the parser keeps its place between calls
  opterr = 0;  // the messages are ours
  for (;;) {
    const int code = getopt_long(argc, argv.data(), shortNames.c_str(), longNames.data(), nullptr);
    if (code == -1) break;
    // The word that getopt refused, for messages.
    std::string_view word = argv[static_cast<std::size_t>(optind - 1)];
    if (code == ':')
      return fail("option " + quoted(word.substr(0, word.find('='))) + " needs a value");
    if (code == '?') {
      if (word.starts_with("--") && word.find('=') != std::string_view::npos && optopt != 0)
        return fail("option " + quoted(word.substr(0, word.find('='))) + " takes no value");
      return fail("unknown option " + quoted(word));
    }
    const OptionRow& row = rowOfCode(code);
    if (row.mode != Mode::Run && !setMode(row.mode)) return result;
    if (row.apply != nullptr) {
      std::string error = row.apply(optarg, options);
      if (!error.empty()) return fail(std::move(error));
    }
  }

  for (int i = optind; i < argc; ++i) {
    if (!options.deck.empty()) return fail("more than one deck: " + quoted(argv[i]));
    options.deck = argv[i];
    if (options.deck.empty()) return fail("the deck's name is empty");
  }
  if (options.deck == "-") options.deck.clear();
  if (options.mode == Mode::Diff) {
    // Standard input is read once, whatever name leads to it.
    const std::string old = "--diff=" + printableText(options.oldDeck);
    if (options.oldDeck == "-" || namesStandardInput(options.oldDeck)) {
      if (options.deck.empty())
        return fail(old + " reads the old deck from standard input: the deck must be a file");
      if (namesStandardInput(options.deck))
        return fail(old + " reads the old deck from standard input: the deck " +
                    quoted(options.deck) + " is standard input too");
    }
  }

  const bool generates = options.mode == Mode::Run;
  if (!options.outputDirectory.empty()) {
    if (!generates)
      return fail("--output-dir goes only with a run that writes the files, not with " +
                  optionName(options.mode));
    struct stat status {};
    if (::stat(options.outputDirectory.c_str(), &status) != 0) {
      // Missing, or a name the program cannot use (too long a path, a
      // directory on the way it may not search).
      if (errno == ENOENT || errno == ENOTDIR)
        return fail("no output directory " + quoted(options.outputDirectory));
      return fail("the output directory " + quoted(options.outputDirectory) +
                  " cannot be used: " + std::strerror(errno));
    }
    if (!S_ISDIR(status.st_mode))
      return fail("the output directory " + quoted(options.outputDirectory) +
                  " is not a directory");
  }
  if (takesNoDeck(options.mode) && !options.deck.empty())
    return fail(optionName(options.mode) + " takes no deck");
  return result;
}

namespace {

constexpr std::string_view kSynopsis = "sizgen [OPTION]... [DECK]";

// The options part of --help: each row's names padded to one column, then
// its help lines.
std::string optionsHelp() {
  constexpr std::size_t kHelpColumn = 24;
  std::string text = "Options:\n";
  std::vector<std::string> analyses;
  for (const OptionRow& row : kOptions) {
    std::string names = row.shortName != 0 ? std::string("  -") + row.shortName + ", " : "      ";
    names += "--" + std::string(row.longName);
    if (!row.argument.empty()) names += "=" + std::string(row.argument);
    names.resize(std::max(kHelpColumn, names.size() + 2), ' ');
    std::string_view help = row.help;
    for (std::size_t end = help.find('\n'); end != std::string_view::npos; end = help.find('\n')) {
      text += names + std::string(help.substr(0, end)) + "\n";
      names.assign(kHelpColumn, ' ');
      help.remove_prefix(end + 1);
    }
    text += names + std::string(help) + "\n";
    if (isAnalysis(row.mode)) analyses.push_back("--" + std::string(row.longName));
  }
  std::string rule = "Only one of ";
  for (std::size_t i = 0; i < analyses.size(); ++i) {
    if (i > 0) rule += i + 1 == analyses.size() ? " and " : ", ";
    rule += analyses[i];
  }
  rule += " at a time, except --json or --html with --diff, and --html with --fit.";
  // Filled to lines of at most 79 columns, as the rest of the text is.
  std::string line;
  for (std::size_t begin = 0; begin < rule.size();) {
    const std::size_t end = std::min(rule.find(' ', begin), rule.size());
    const std::string_view word = std::string_view(rule).substr(begin, end - begin);
    if (!line.empty() && line.size() + 1 + word.size() > 79) {
      text += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + std::string(word);
    begin = end + 1;
  }
  return text + line + "\n";
}

}  // namespace

std::span<const OptionRow> optionTable() {
  return kOptions;
}

std::string_view usageLine() {
  static const std::string line = "(usage: " + std::string(kSynopsis) + "; see sizgen --help)";
  return line;
}

std::string_view helpText() {
  static const std::string text =
      "usage: " + std::string(kSynopsis) +
      "\n"
      "\n"
      "Reads a deck of 80-column cards from DECK (standard input when it is\n"
      "missing or -), resolves the list sizes of the host program and writes,\n"
      "in the current directory or the one --output-dir names:\n" +
      generatedFilesHelp() +
      "and a listing on standard output.\n"
      "\n" +
      optionsHelp() +
      "\n"
      "Cards (keywords in columns 1 on, values in columns 9-16):\n"
      "  C           comment\n"
      "  DEFAULT     default multiplier for lists not given (real)\n"
      "  SCALE       final multiplier for all lists not FIXED (real)\n"
      "  FIXED       flags for lists 1-30, columns 11-70, two columns each\n"
      "  CARDS       size of list 31 (integer)\n"
      "  NBHDSW      list 6 scale factor for lists 56 and 74 (real)\n"
      "  RAM TABLES  list 29 takes the size of LABCOM\n"
      "  ROUND UP    byte quantum for array sizes (integer, below 1: 4194304)\n"
      "  any other   list-size card, ten 8-column fields: lists 1-10, 11-20,\n"
      "              21-30, optionally 31-40 (marked by the text \"Optional card\n"
      "              for Lists 31, etc.\" in its { comment), then the seven\n"
      "              supplemental offsets\n"
      "\n"
      "Exit status: 0 after a normal run, 1 when the deck or a file cannot be\n"
      "processed (one line on standard error), 2 for a usage error; with\n"
      "--diff, 0 when both decks are sound, whether or not they differ.\n"
      "See sizgen(1).\n";
  return text;
}

std::string_view versionLine() {
  return "sizgen " SIZGEN_VERSION;
}

}  // namespace sizgen
