// sizgen: re-dimensions the host program from a deck of cards.

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "driver/command_line.h"
#include "driver/modes.h"
#include "driver/output_files.h"
#include "input/card_fields.h"

namespace {

// Prints `text` on standard output; a failed write is an error like any other.
int printText(std::string_view text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0) {
    return sizgen::kExitSuccess;
  }
  std::fprintf(stderr, "sizgen: cannot write standard output: %s\n",
               errno != 0 ? std::strerror(errno) : "write error");
  return sizgen::kExitFailure;
}

// The deck named on the command line, opened for reading; throws
// sizgen::Error when it cannot be read.
std::FILE* openDeck(const std::string& path, const std::string& name) {
  std::FILE* deck = std::fopen(path.c_str(), "re");
  if (deck == nullptr) throw sizgen::Error("cannot open " + name + ": " + std::strerror(errno));
  struct stat status {};
  if (::fstat(fileno(deck), &status) == 0 && S_ISDIR(status.st_mode)) {
    std::fclose(deck);
    throw sizgen::Error("cannot read " + name + ": " + std::strerror(EISDIR));
  }
  return deck;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace sizgen;
  // Before any file is opened: see holdClosedStandardStreams.
  holdClosedStandardStreams();
  ignoreFileSizeSignal();

  std::vector<std::string_view> arguments(argv + 1, argv + argc);
  const CommandLine commandLine = parseCommandLine(arguments);
  if (!commandLine.error.empty()) {
    std::fprintf(stderr, "sizgen: %s %s\n", commandLine.error.c_str(),
                 std::string(usageLine()).c_str());
    return kExitUsage;
  }
  const Options& options = commandLine.options;
  if (options.mode == Mode::Help) return printText(helpText());
  if (options.mode == Mode::Version) return printText(std::string(versionLine()) + "\n");

  std::FILE* deck = stdin;
  try {
    std::string deckName = "standard input";
    if (!options.deck.empty()) {
      deckName = printableText(options.deck);
      deck = openDeck(options.deck, deckName);
    }
    runMode(options, deck, deckName, stdout);
  } catch (const Error& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "sizgen: %s\n", error.what());
    return kExitFailure;
  } catch (const std::exception& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "sizgen: internal error: %s\n", error.what());
    return kExitFailure;
  }
  if (deck != stdin) std::fclose(deck);
  return kExitSuccess;
}
