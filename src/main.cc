// sizgen: re-dimensions the host program from a deck of cards.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "driver/command_line.h"
#include "base/error.h"
#include "driver/output_files.h"
#include "driver/run.h"

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

}  // namespace

int main(int argc, char** argv) {
  using namespace sizgen;
  std::vector<std::string_view> arguments(argv + 1, argv + argc);
  switch (parseCommandLine(arguments)) {
    case Command::Help:
      return printText(helpText());
    case Command::Version:
      return printText(std::string(versionLine()) + "\n");
    case Command::UsageError:
      std::fprintf(stderr, "%s\n", usageError(arguments).c_str());
      return kExitUsage;
    case Command::Run:
      break;
  }
  holdClosedStandardStreams();
  ignoreFileSizeSignal();
  try {
    StreamSink listing(stdout, "standard output");
    DirectoryFiles files;
    runSizgen({stdin, listing, files});
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
