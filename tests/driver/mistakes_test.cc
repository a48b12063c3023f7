// Mistakes a user is likely to make, each with the exact message it must
// give: the columns of a field moved by a comma, the hints for near misses,
// and command-line arguments that hold bytes a terminal would act on.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace sizgen {
namespace {

namespace support = sizgen::testing;

const std::string kUsage = " (usage: sizgen [OPTION]... [DECK]; see sizgen --help)";

struct Mistake {
  std::string what;                    // what the user did
  std::string deck;                    // standard input
  std::vector<std::string> arguments;  // empty: the deck is run
  std::string message;                 // standard error without "sizgen: " and newline
  int exitStatus = 2;                  // with arguments: a usage error, or 1 for a deck file
};

const std::vector<Mistake> kMistakes = {
    // A comma ends a field; the next field starts right after it.
    {"comma in the first field",
     "1,x     12345678\n",
     {},
     "card 1, columns 3-10: cannot read \"x     12\" as an integer"},
    {"comma in the second field",
     "     300,     400 abc\n",
     {},
     "card 1, columns 18-25: cannot read \"abc\" as an integer"},
    {"commas on a later card",
     "C fine\nDEFAULT  2.0\n   1,  2,x\n",
     {},
     "card 3, columns 10-17: cannot read \"x\" as an integer"},
    {"comma among reals",
     "1.5,x   2.5E3\n",
     {},
     "card 1, columns 5-12: cannot read \"x   2.5E\" as a real"},
    {"comma before a real out of range",
     "1,3.0E10\n",
     {},
     "card 1, columns 3-10: 3e+10 is out of the 32-bit range"},
    {"comma among FIXED flags",
     "FIXED     1,1 1 x\n",
     {},
     "card 1, columns 17-18: cannot read \"x\" as an integer"},
    {"comma in a keyword's value",
     "DEFAULT  x,5\n",
     {},
     "card 1, columns 9-11: cannot read \"x,\" as a real"},
    // Tabs.
    {"tab after a keyword",
     "CARDS\t500\n",
     {},
     "card 1, columns 1-8: cannot read \"CARDS\\x0950\" as an integer (cards use blanks, not "
     "tabs: a tab is one column)"},
    {"tab before a keyword's value",
     "ROUND UP\t4096\n",
     {},
     "card 1, columns 9-16: cannot read \"\\x094096\" as an integer (cards use blanks, not tabs: "
     "a tab is one column)"},
    // Cards meant as other cards.
    {"keyword moved right",
     " DEFAULT  2.0\n",
     {},
     "card 1, columns 1-8: cannot read \"DEFAULT\" as a real (did you mean \"DEFAULT\", starting "
     "in column 1?)"},
    {"lower-case comment",
     "c comment\n",
     {},
     "card 1, columns 1-8: cannot read \"c commen\" as an integer (did you mean \"C \" for a "
     "comment?)"},
    {"lower-case blank card",
     "blank\n",
     {},
     "card 1, columns 1-8: cannot read \"blank\" as an integer (did you mean \"BLANK\"?)"},
    {"RAM TABLE without S",
     "RAM TABLE\n",
     {},
     "card 1, columns 1-8: cannot read \"RAM TABL\" as a real (did you mean \"RAM TABLES\"?)"},
    {"byte-order mark",
     "\xef\xbb\xbf"
     "DEFAULT  2.0\n",
     {},
     "card 1, columns 1-8: cannot read \"\\xef\\xbb\\xbfDEFAU\" as a real (the card begins with a "
     "UTF-8 byte-order mark, which some editors add: save the deck as ASCII or as UTF-8 without "
     "BOM)"},
    {"comment on a keyword card",
     "DEFAULT  2.0 { doubled\n",
     {},
     "card 1, columns 9-16: cannot read \"2.0 { d\" as a real (a { comment is allowed only on "
     "list-size cards)"},
    {"comment on FIXED",
     "FIXED      1 1 { lists 1 and 2\n",
     {},
     "card 1, columns 15-16: cannot read \"{\" as an integer (a { comment is allowed only on "
     "list-size cards)"},
    {"fourth-card marker in the fields",
     "\n\n\nOptional card for Lists 31, etc.\n",
     {},
     "card 4, columns 1-8: cannot read \"Optional\" as an integer (the text \"Optional card for "
     "Lists 31, etc.\" goes in the card's { comment)"},
    // Arguments are shown on one line, whatever bytes they hold.
    {"newline in an option", "", {"--a\nb"}, "unknown option \"--a\\x0ab\"" + kUsage},
    {"escape sequence in a deck's name",
     "",
     {"\x1b[31mred"},
     "cannot open \\x1b[31mred: No such file or directory",
     1},
    {"non-ASCII deck name",
     "",
     {"caf\xc3\xa9"},
     "cannot open caf\\xc3\\xa9: No such file or directory",
     1},
    {"carriage return after an option",
     "",
     {"--help\r"},
     "unknown option \"--help\\x0d\"" + kUsage},
    {"escape sequence in a value",
     "",
     {"--explain=\x1b[2J"},
     "--explain takes a list number from 1 to 99 or \"all\", not \"\\x1b[2J\"" + kUsage},
};

TEST(Mistakes, EachGivesItsMessage) {
  for (const Mistake& mistake : kMistakes) {
    if (mistake.arguments.empty()) {
      support::InMemoryRun run = support::runInMemory(mistake.deck);
      EXPECT_EQ(run.error, mistake.message) << mistake.what;
    } else {
      support::TempDir dir;
      support::ProcessResult run = support::runSizgenBinary(dir.path(), "", mistake.arguments);
      EXPECT_EQ(run.exitStatus, mistake.exitStatus) << mistake.what;
      EXPECT_EQ(run.err, "sizgen: " + mistake.message + "\n") << mistake.what;
      EXPECT_EQ(run.out, "") << mistake.what;
    }
  }
}

}  // namespace
}  // namespace sizgen
