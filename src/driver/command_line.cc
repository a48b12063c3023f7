#include "driver/command_line.h"

#include <getopt.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "input/card_fields.h"
#include "version.h"

namespace sizgen {
namespace {

// Long options without a short form get codes above any character.
enum OptionCode : int {
  kCheck = 256,
  kReport,
  kJson,
  kExplain,
  kFit,
  kVersion,
};

constexpr std::array<option, 9> kLongOptions = {{
    {"output-dir", required_argument, nullptr, 'o'},
    {"check", no_argument, nullptr, kCheck},
    {"report", no_argument, nullptr, kReport},
    {"json", no_argument, nullptr, kJson},
    {"explain", required_argument, nullptr, kExplain},
    {"fit", required_argument, nullptr, kFit},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
}};

// How an option is named in messages.
std::string optionName(Mode mode) {
  switch (mode) {
    case Mode::Check:
      return "--check";
    case Mode::Report:
      return "--report";
    case Mode::Json:
      return "--json";
    case Mode::Explain:
      return "--explain";
    case Mode::Fit:
      return "--fit";
    case Mode::Help:
      return "--help";
    case Mode::Version:
      return "--version";
    case Mode::Run:
      break;
  }
  return "";
}

// An argument as messages show it: in quotes, bytes that are not printable
// as \xHH, so that the message stays one line.
std::string quoted(std::string_view text) {
  return "\"" + printableText(text) + "\"";
}

std::optional<int> parseListNumber(std::string_view text) {
  int list = 0;
  auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), list);
  if (failure != std::errc() || end != text.data() + text.size() || list < 1 || list > 99)
    return std::nullopt;
  return list;
}

}  // namespace

std::optional<std::int64_t> parseByteSize(std::string_view text) {
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
  if (digits == 0) return std::nullopt;
  std::int64_t number = 0;
  auto [end, failure] = std::from_chars(text.data(), text.data() + digits, number);
  if (failure != std::errc() || end != text.data() + digits) return std::nullopt;
  for (const Suffix& suffix : kSuffixes) {
    if (text.substr(digits) != suffix.text) continue;
    if (number > std::numeric_limits<std::int64_t>::max() / suffix.factor) return std::nullopt;
    return number * suffix.factor;
  }
  return std::nullopt;
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
    if (options.mode != Mode::Run && options.mode != mode) {
      result.error = optionName(options.mode) + " and " + optionName(mode) + " cannot be combined";
      return false;
    }
    options.mode = mode;
    return true;
  };

  optind = 0;  // start afresh: the parser keeps its place between calls
  opterr = 0;  // the messages are ours
  for (;;) {
    const int code = getopt_long(argc, argv.data(), ":o:h", kLongOptions.data(), nullptr);
    if (code == -1) break;
    // The word that getopt refused, for messages.
    std::string_view word = argv[static_cast<std::size_t>(optind - 1)];
    switch (code) {
      case 'o':
        options.outputDirectory = optarg;
        if (options.outputDirectory.empty()) return fail("--output-dir needs a directory");
        break;
      case kCheck:
        if (!setMode(Mode::Check)) return result;
        break;
      case kReport:
        if (!setMode(Mode::Report)) return result;
        break;
      case kJson:
        if (!setMode(Mode::Json)) return result;
        break;
      case kExplain:
        if (!setMode(Mode::Explain)) return result;
        if (std::string_view(optarg) != "all") {
          options.explainList = parseListNumber(optarg);
          if (!options.explainList)
            return fail("--explain takes a list number from 1 to 99 or \"all\", not " +
                        quoted(optarg));
        }
        break;
      case kFit: {
        if (!setMode(Mode::Fit)) return result;
        std::optional<std::int64_t> bytes = parseByteSize(optarg);
        if (!bytes || *bytes == 0)
          return fail(
              "--fit takes a size in bytes greater than 0, optionally with K, M, G "
              "(powers of 1000) or KiB, MiB, GiB (powers of 1024), not " +
              quoted(optarg));
        options.fitBytes = *bytes;
        break;
      }
      case 'h':
        if (!setMode(Mode::Help)) return result;
        break;
      case kVersion:
        if (!setMode(Mode::Version)) return result;
        break;
      case ':':
        return fail("option " + quoted(word.substr(0, word.find('='))) + " needs a value");
      default:
        if (word.starts_with("--") && word.find('=') != std::string_view::npos && optopt != 0)
          return fail("option " + quoted(word.substr(0, word.find('='))) + " takes no value");
        return fail("unknown option " + quoted(word));
    }
  }

  for (int i = optind; i < argc; ++i) {
    if (!options.deck.empty()) return fail("more than one deck: " + quoted(argv[i]));
    options.deck = argv[i];
    if (options.deck.empty()) return fail("the deck's name is empty");
  }
  if (options.deck == "-") options.deck.clear();

  const bool generates = options.mode == Mode::Run;
  if (!options.outputDirectory.empty()) {
    if (!generates)
      return fail("--output-dir goes only with a run that writes the files, not with " +
                  optionName(options.mode));
    struct stat status {};
    if (::stat(options.outputDirectory.c_str(), &status) != 0)
      return fail("no output directory " + quoted(options.outputDirectory));
    if (!S_ISDIR(status.st_mode))
      return fail("the output directory " + quoted(options.outputDirectory) +
                  " is not a directory");
  }
  if ((options.mode == Mode::Help || options.mode == Mode::Version) && !options.deck.empty())
    return fail(optionName(options.mode) + " takes no deck");
  return result;
}

std::string_view usageLine() {
  return "(usage: sizgen [OPTION]... [DECK]; see sizgen --help)";
}

std::string_view helpText() {
  return "usage: sizgen [OPTION]... [DECK]\n"
         "\n"
         "Reads a deck of 80-column cards from DECK (standard input when it is\n"
         "missing or -), resolves the list sizes of the host program and writes,\n"
         "in the current directory or the one --output-dir names:\n"
         "  newmods.for  the nine subroutines ROOT10 ... ROOT28 declaring the arrays\n"
         "  dimdef.for   the subroutine DIMDEF (LSIZE, NCHAIN) with the list sizes\n"
         "  debug.lis    six lines of storage totals\n"
         "  dum.bin      opened, never written\n"
         "and a listing on standard output.\n"
         "\n"
         "Options:\n"
         "  -o, --output-dir=DIR  write the four files in DIR, which must exist\n"
         "      --check           read and plan the deck, write nothing; print one\n"
         "                        line with LTLABL and the total storage\n"
         "      --report          print the storage of every array, group and block\n"
         "                        instead of the listing; write no file\n"
         "      --json            print the whole result as one JSON document;\n"
         "                        write no file\n"
         "      --explain=LIST    print how list LIST (1 to 99, or all) got its size;\n"
         "                        write no file\n"
         "      --fit=SIZE        print the SCALE card that makes the largest lists\n"
         "                        whose COMMON storage stays within SIZE bytes (K, M,\n"
         "                        G: powers of 1000; KiB, MiB, GiB: powers of 1024);\n"
         "                        write no file\n"
         "  -h, --help            print this text\n"
         "      --version         print the version\n"
         "Only one of --check, --report, --json, --explain and --fit at a time.\n"
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
         "processed (one line on standard error), 2 for a usage error.\n"
         "See sizgen(1).\n";
}

std::string_view versionLine() {
  return "sizgen " SIZGEN_VERSION;
}

}  // namespace sizgen
