#include "driver/command_line.h"

#include "input/card_fields.h"
#include "version.h"

namespace sizgen {

Command parseCommandLine(std::span<const std::string_view> arguments) {
  if (arguments.empty()) return Command::Run;
  if (arguments.size() == 1 && arguments[0] == "--help") return Command::Help;
  if (arguments.size() == 1 && arguments[0] == "--version") return Command::Version;
  return Command::UsageError;
}

std::string_view helpText() {
  return "usage: sizgen < DECK\n"
         "       sizgen --help | --version\n"
         "\n"
         "Reads a deck of 80-column cards on standard input, resolves the list sizes\n"
         "of the host program and writes, in the current directory:\n"
         "  newmods.for  the nine subroutines ROOT10 ... ROOT28 declaring the arrays\n"
         "  dimdef.for   the subroutine DIMDEF (LSIZE, NCHAIN) with the list sizes\n"
         "  debug.lis    six lines of storage totals\n"
         "  dum.bin      opened, never written\n"
         "and a listing on standard output.\n"
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
         "              21-30, optionally 31-40 (its { comment holding \"Optional\n"
         "              card for Lists 31, etc.\"), then the seven supplemental\n"
         "              offsets\n"
         "\n"
         "Exit status: 0 after a normal run, 1 when the deck or a file cannot be\n"
         "processed (one line on standard error), 2 for a usage error.\n"
         "See sizgen(1).\n";
}

std::string_view versionLine() {
  return "sizgen " SIZGEN_VERSION;
}

std::string usageError(std::span<const std::string_view> arguments) {
  std::string message = "sizgen: ";
  if (arguments.size() > 1) {
    message += "too many arguments";
  } else {
    // Shown as card text is: a newline or an escape sequence in the
    // argument would break the one line or reach the terminal.
    message += "unknown argument \"";
    message += printableText(arguments.empty() ? std::string_view() : arguments[0]);
    message += '"';
  }
  message += " (usage: sizgen [--help | --version] < DECK)";
  return message;
}

}  // namespace sizgen
