// sizgen: re-dimensions the host program from a deck of cards.

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "driver/command_line.h"
#include "driver/modes.h"
#include "driver/output_files.h"
#include "input/card_fields.h"

namespace {

// A deck file, closed when it goes out of scope.
struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using DeckFile = std::unique_ptr<std::FILE, CloseFile>;

// The deck named on the command line, opened for reading; throws
// sizgen::Error when it cannot be read.
DeckFile openDeck(const std::string& path, const std::string& name) {
  DeckFile deck(std::fopen(path.c_str(), "re"));
  if (!deck) throw sizgen::Error("cannot open " + name + ": " + std::strerror(errno));
  struct stat status {};
  if (::fstat(fileno(deck.get()), &status) == 0 && S_ISDIR(status.st_mode))
    throw sizgen::Error("cannot read " + name + ": " + std::strerror(EISDIR));
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
  try {
    if (options.mode == Mode::Help || options.mode == Mode::Version) {
      StreamSink out(stdout, "standard output");
      print(out, options.mode == Mode::Help ? helpText() : versionLine());
      return kExitSuccess;
    }
    if (options.mode == Mode::Lsp) return serveLanguageServer();
    DeckFile deckFile;
    std::string deckName = "standard input";
    if (!options.deck.empty()) {
      deckName = printableText(options.deck);
      deckFile = openDeck(options.deck, deckName);
    }
    runMode(options, deckFile ? deckFile.get() : stdin, deckName, stdout);
  } catch (const Error& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "sizgen: %s\n", error.what());
    return kExitFailure;
  } catch (const std::exception& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "sizgen: internal error: %s\n", error.what());
    return kExitFailure;
  }
  return kExitSuccess;
}
