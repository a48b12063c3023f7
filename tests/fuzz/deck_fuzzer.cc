// Feeds arbitrary bytes to sizgen as the card deck of a plain run or of an
// analysis, all held in memory.  The first byte picks the mode:
//
//   0 a run   1 --check   2 --report   3 --json   4 --explain=LIST   5 --fit=SIZE
//   6 --diff  7 --json --diff  8 --annotate  9 --format  10 --html
//   11 --html --diff  12 --html --fit=SIZE
//
// (its value modulo 13).  --explain takes one more byte: 0 is "all", any
// other picks a list from 1 to 99.  --fit takes four more: a 16-bit
// number (plus 1) shifted left by 0 to 39 bits, the budget in bytes.  The
// rest is the deck; --diff splits it at its first NUL byte into the old
// deck and the new one (without one, the old deck is empty).  A run or an
// analysis may end with a sizgen::Error; anything else (a crash, a
// sanitizer report, a leak, another exception) is a fault.  Nothing is
// written to any file.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/sink.h"
#include "driver/command_line.h"
#include "driver/deck_diff.h"
#include "driver/modes.h"
#include "driver/run.h"
#include "files/memory_files.h"
#include "page/diff_page.h"

namespace {

// The command line that the leading bytes of `input` pick; consumes them.
std::vector<std::string> commandLineOf(std::span<const std::uint8_t>& input) {
  auto take = [&]() -> unsigned {
    if (input.empty()) return 0;
    unsigned byte = input.front();
    input = input.subspan(1);
    return byte;
  };
  auto budget = [&]() {
    std::uint64_t number = take();
    number = (number << 8 | take()) + 1;
    unsigned shift = (take() << 8 | take()) % 40;
    return "--fit=" + std::to_string(number << shift);
  };
  switch (take() % 13) {
    case 1:
      return {"--check"};
    case 2:
      return {"--report"};
    case 3:
      return {"--json"};
    case 4: {
      unsigned list = take();
      return {"--explain=" + (list == 0 ? std::string("all") : std::to_string(1 + list % 99))};
    }
    case 5:
      return {budget()};
    case 6:
      return {"--diff=old.deck", "new.deck"};
    case 7:
      return {"--json", "--diff=old.deck", "new.deck"};
    case 8:
      return {"--annotate"};
    case 9:
      return {"--format"};
    case 10:
      return {"--html"};
    case 11:
      return {"--html", "--diff=old.deck", "new.deck"};
    case 12:
      return {"--html", budget()};
    default:
      return {};
  }
}

// A stream that reads `deck`, which must outlive it.
std::FILE* openDeck(std::string& deck) {
  std::FILE* file =
      deck.empty() ? std::fopen("/dev/null", "r") : fmemopen(deck.data(), deck.size(), "r");
  if (file == nullptr) std::abort();
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> input(data, size);
  const std::vector<std::string> words = commandLineOf(input);
  const std::vector<std::string_view> arguments(words.begin(), words.end());
  const sizgen::CommandLine commandLine = sizgen::parseCommandLine(arguments);
  if (!commandLine.error.empty()) std::abort();  // the harness made a bad command line

  std::string deck(reinterpret_cast<const char*>(input.data()), input.size());
  std::string oldDeck;
  if (commandLine.options.mode == sizgen::Mode::Diff) {
    const std::size_t separator = std::min(deck.find('\0'), deck.size());
    oldDeck = deck.substr(0, separator);
    deck.erase(0, std::min(separator + 1, deck.size()));
  }
  std::FILE* in = openDeck(deck);
  std::FILE* old = openDeck(oldDeck);
  sizgen::MemorySink out;
  try {
    if (commandLine.options.mode == sizgen::Mode::Run) {
      sizgen::MemoryFiles files;
      sizgen::runSizgen({in, out, files});
    } else if (commandLine.options.mode == sizgen::Mode::Diff && commandLine.options.diffAsHtml) {
      const sizgen::DeckDifference difference =
          sizgen::diffDecks({old, "old.deck"}, {in, "new.deck"}, stderr);
      sizgen::print(out, sizgen::diffPage(difference.before, difference.after, difference.diff,
                                          "old.deck", "new.deck"));
    } else if (commandLine.options.mode == sizgen::Mode::Diff) {
      sizgen::print(out, sizgen::deckDiff({old, "old.deck"}, {in, "new.deck"},
                                          commandLine.options.diffAsJson, stderr));
    } else {
      sizgen::analyse(commandLine.options, in, "standard input", out);
    }
  } catch (const sizgen::Error&) {
    // A deck that cannot be processed: the expected way for most inputs to end.
  }
  std::fclose(old);
  std::fclose(in);
  return 0;
}
