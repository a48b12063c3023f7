#pragma once

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

enum class Command { Run, Help, Version, UsageError };

// What the arguments after the program name ask for: nothing runs the
// deck; exactly "--help" or "--version" asks for that; anything else is a
// usage error.
Command parseCommandLine(std::span<const std::string_view> arguments);

// The text printed by --help, ending with a newline.
std::string_view helpText();
// The line printed by --version, without newline.
std::string_view versionLine();
// The line printed on standard error for a usage error, without newline:
// what is wrong with `arguments`, then the usage.
std::string usageError(std::span<const std::string_view> arguments);

}  // namespace sizgen
