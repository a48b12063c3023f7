// sizgen: re-dimensions the host program from a deck of cards.

#include <cstdio>
#include <exception>
#include <string_view>
#include <vector>

#include "driver/command_line.h"
#include "driver/error.h"
#include "driver/run.h"

int main(int argc, char** argv) {
  using namespace sizgen;
  std::vector<std::string_view> arguments(argv + 1, argv + argc);
  switch (parseCommandLine(arguments)) {
    case Command::Help:
      std::fputs(helpText().data(), stdout);
      return std::fflush(stdout) == 0 ? kExitSuccess : kExitFailure;
    case Command::Version:
      std::printf("%s\n", versionLine().data());
      return std::fflush(stdout) == 0 ? kExitSuccess : kExitFailure;
    case Command::UsageError:
      std::fprintf(stderr, "%s\n", usageError(arguments).c_str());
      return kExitUsage;
    case Command::Run:
      break;
  }
  try {
    runSizgen();
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
