// sizgen: re-dimensions the host program from a deck of cards.

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "driver/command_line.h"
#include "driver/deck_input.h"
#include "driver/modes.h"
#include "files/process_set_up.h"
#include "files/stream_sink.h"

int main(int argc, char** argv) {
  using namespace sizgen;
  // Before any file is opened: see holdClosedStandardInput.
  holdClosedStandardInput();
  holdClosedStandardOutputs();
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
      StreamSink out(stdout, "standard output", StreamSink::OnFailure::Throw);
      print(out, options.mode == Mode::Help ? helpText() : versionLine());
      return kExitSuccess;
    }
    if (options.mode == Mode::Lsp) return serveLanguageServer();
    const Deck deck = openDeck(options.deck);
    performMode(options, deck.stream, deck.name, stdout);
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
