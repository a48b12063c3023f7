// The run's error paths, through the program as a user runs it: the one
// line on standard error, the exit status, what stayed on the listing and
// what the four files look like afterwards.  Then runs repeated in one
// process, also after a failed one.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "files/directory_files.h"
#include "support/cards.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

namespace support = sizgen::testing;

using support::echo;
using support::fields;
using support::InMemoryRun;
using support::kCommentEcho;
using support::kFirstEcho;
using support::kFourthEcho;
using support::kOffsetsEcho;
using support::kThreeEmptyCards;
using support::runInMemory;
using support::threeEmptyEchoes;

// The card-column ruler under which the cards are echoed.
std::string ruler() {
  std::string text = " " + std::string(111, '-') + "\n";
  text += std::string(31, ' ') + "0";
  for (char digit = '1'; digit <= '8'; ++digit) text += std::string(9, ' ') + digit;
  text += "\n" + std::string(31, ' ') + "0";
  for (int d = 1; d <= 8; ++d) text += std::string(9, ' ') + "0";
  text += "\n" + std::string(31, ' ') + std::string(81, '-') + "\n";
  return text;
}

// Checks that the listing begins with the type-code heading and the 177
// codes, twenty to a line (114 codes 3 and 63 codes 4, the first three
// 3, 3, 4), and returns the length of that part.
std::size_t typeCodesLength(const std::string& out) {
  const std::string heading = "  Following are  KBLTYP(1:177):\n";
  if (!out.starts_with(heading)) {
    ADD_FAILURE() << "no type-code heading:\n" << out.substr(0, 200);
    return 0;
  }
  std::size_t position = heading.size();
  std::vector<char> codes;
  for (int line = 1; line <= 9; ++line) {
    std::size_t end = out.find('\n', position);
    if (end == std::string::npos) {
      ADD_FAILURE() << "type-code line " << line << " is missing";
      return 0;
    }
    std::string text = out.substr(position, end - position);
    EXPECT_EQ(text.size(), line < 9 ? 80u : 68u) << text;
    for (std::size_t i = 0; i + 4 <= text.size(); i += 4) {
      EXPECT_EQ(text.substr(i, 3), "   ") << text;
      codes.push_back(text[i + 3]);
    }
    position = end + 1;
  }
  EXPECT_EQ(codes.size(), 177u);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), '3'), 114);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), '4'), 63);
  EXPECT_EQ(std::string(codes.begin(), codes.begin() + 3), "334");
  return position;
}

// What the listing holds after the type codes and the ruler.
std::string afterRuler(const std::string& out) {
  std::size_t start = typeCodesLength(out);
  std::string rest = out.substr(start);
  if (!rest.starts_with(ruler())) {
    ADD_FAILURE() << "no ruler after the type codes:\n" << rest.substr(0, 500);
    return "(no ruler)";
  }
  return rest.substr(ruler().size());
}

// The names in `directory`, sorted.
std::vector<std::string> entries(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

using Names = std::vector<std::string>;
const Names kAllFiles = {"debug.lis", "dimdef.for", "dum.bin", "newmods.for"};

// A deck that ends in an error: the message on standard error, exit
// status 1, and the listing ends with `echoes`, without a closing line.
void expectDeckError(std::string_view deck, std::string_view message, std::string_view echoes) {
  support::TempDir dir;
  support::ProcessResult result = support::runSizgenBinary(dir.path(), deck);
  EXPECT_EQ(result.exitStatus, 1) << deck;
  EXPECT_EQ(result.err, "sizgen: " + std::string(message) + "\n") << deck;
  EXPECT_EQ(afterRuler(result.out), echoes) << deck;
}

TEST(DeckErrors, KeywordCardIsEchoedOnlyAfterItsFieldIsRead) {
  expectDeckError("C first\nDEFAULT     1.5x\nSCALE        2.0\n",
                  "card 2, columns 9-16: cannot read \"1.5x\" as a real",
                  echo(kCommentEcho, "C first"));
  expectDeckError("SCALE     x\n", "card 1, columns 9-16: cannot read \"x\" as a real", "");
  expectDeckError("NBHDSW  two\n", "card 1, columns 9-16: cannot read \"two\" as a real", "");
  expectDeckError("CARDS      5OO\n", "card 1, columns 9-16: cannot read \"5OO\" as an integer",
                  "");
  expectDeckError("ROUND UP 4k\n", "card 1, columns 9-16: cannot read \"4k\" as an integer", "");
  expectDeckError("FIXED     x1\n", "card 1, columns 11-12: cannot read \"x1\" as an integer", "");
  expectDeckError("FIXED" + std::string(64, ' ') + "q\n",
                  "card 1, columns 69-70: cannot read \"q\" as an integer", "");
  // A keyword card gets no hint.
  expectDeckError("DEFAULT      abc\n", "card 1, columns 9-16: cannot read \"abc\" as a real", "");
}

TEST(DeckErrors, ListSizeCardIsEchoedBeforeItsFieldsAreRead) {
  const std::string card = "      10      20     12x";
  expectDeckError("C\n" + card + "\nDEFAULT      2.0\n",
                  "card 2, columns 17-24: cannot read \"12x\" as an integer",
                  echo(kCommentEcho, "C") + echo(kFirstEcho, card));
  expectDeckError(fields({"5", "-1.9"}) + "\n",
                  "card 1, columns 9-16: cannot read \"-1.9\" as an integer",
                  echo(kFirstEcho, fields({"5", "-1.9"})));
  const std::string fourth = "Optional card for Lists 31, etc.";
  expectDeckError(kThreeEmptyCards + fourth + "\n",
                  "card 4, columns 1-8: cannot read \"Optional\" as an integer (the text "
                  "\"Optional card for Lists 31, etc.\" goes in the card's { comment)",
                  threeEmptyEchoes() + echo(kFourthEcho, fourth));
}

TEST(DeckErrors, BytesThatAreNotPrintableAreShownInHex) {
  expectDeckError("  \t1\n",
                  "card 1, columns 1-8: cannot read \"\\x091\" as an integer (cards use blanks, "
                  "not tabs: a tab is one column)",
                  echo(kFirstEcho, "  \t1"));
  expectDeckError(std::string("DEFAULT  1\0\n", 12),
                  "card 1, columns 9-16: cannot read \"1\\x00\" as a real", "");
  expectDeckError("DEFAULT  \xff\n", "card 1, columns 9-16: cannot read \"\\xff\" as a real", "");
}

TEST(DeckErrors, CardNumberIsTheInputLine) {
  // CR LF ends a line; the last line counts without its line feed.
  expectDeckError("C one\r\n\r\nDEFAULT  x", "card 3, columns 9-16: cannot read \"x\" as a real",
                  echo(kCommentEcho, "C one") + echo(kFirstEcho, ""));
  // A carriage return at the very end is a character of the card.
  expectDeckError(fields({"12"}) + "\r",
                  "card 1, columns 9-16: cannot read \"\\x0d\" as an integer",
                  echo(kFirstEcho, fields({"12"}) + "\r"));
}

TEST(DeckErrors, RealOutsideThirtyTwoBits) {
  expectDeckError(fields({"3.0E10"}) + "\n",
                  "card 1, columns 1-8: 3e+10 is out of the 32-bit range",
                  echo(kFirstEcho, fields({"3.0E10"})));
  expectDeckError(fields({"1", "-9.9E999"}) + "\n",
                  "card 1, columns 9-16: -inf is out of the 32-bit range",
                  echo(kFirstEcho, fields({"1", "-9.9E999"})));
  // Read in real form, the offsets card converts all ten fields.
  const std::string ninth = fields({"1", "2", "3", "4", "5", "6", "7", "8", "3.0E10"});
  expectDeckError(kThreeEmptyCards + ninth + "\n",
                  "card 4, columns 65-72: 3e+10 is out of the 32-bit range",
                  threeEmptyEchoes() + echo(kOffsetsEcho, ninth));
  const std::string eighth = fields({"1.0E3", "", "", "", "", "", "", "9.9E999"});
  expectDeckError(kThreeEmptyCards + eighth + "\n",
                  "card 4, columns 57-64: inf is out of the 32-bit range",
                  threeEmptyEchoes() + echo(kOffsetsEcho, eighth));
  const std::string tenth = fields({"1.0E3", "", "", "", "", "", "", "", "", "junk"});
  expectDeckError(kThreeEmptyCards + tenth + "\n",
                  "card 4, columns 73-80: cannot read \"junk\" as a real",
                  threeEmptyEchoes() + echo(kOffsetsEcho, tenth));
}

TEST(DeckErrors, MisspeltKeywordGetsAHint) {
  struct Case {
    std::string card;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"default      1.5", "cannot read \"default\" as an integer (did you mean \"DEFAULT\"?)"},
      {"Scale 2.0", "cannot read \"Scale 2.\" as an integer (did you mean \"SCALE\"?)"},
      {"SCALE2.0", "cannot read \"SCALE2.0\" as a real (did you mean \"SCALE\"?)"},
      {"FIXED1 1", "cannot read \"FIXED1 1\" as a real (did you mean \"FIXED\"?)"},
      {"cards        500", "cannot read \"cards\" as an integer (did you mean \"CARDS\"?)"},
      {"nbhdsw       7.0", "cannot read \"nbhdsw\" as an integer (did you mean \"NBHDSW\"?)"},
      {"ram tables", "cannot read \"ram tabl\" as an integer (did you mean \"RAM TABLES\"?)"},
      {"round up    4096", "cannot read \"round up\" as an integer (did you mean \"ROUND UP\"?)"},
  };
  for (const Case& c : cases) {
    expectDeckError(c.card + "\n", "card 1, columns 1-8: " + c.message, echo(kFirstEcho, c.card));
  }
  // Also where the card is taken as the offsets card.
  expectDeckError(kThreeEmptyCards + "round up    4096\n",
                  "card 4, columns 1-8: cannot read \"round up\" as an integer "
                  "(did you mean \"ROUND UP\"?)",
                  threeEmptyEchoes() + echo(kOffsetsEcho, "round up    4096"));
  // No hint for a card that merely starts with letters.
  expectDeckError("defaul       1.5\n", "card 1, columns 1-8: cannot read \"defaul\" as an integer",
                  echo(kFirstEcho, "defaul       1.5"));
}

// The entries of `directory` with their content and modification time.
std::map<std::string, std::pair<std::string, long long>> snapshot(const std::string& directory) {
  std::map<std::string, std::pair<std::string, long long>> found;
  for (const std::string& name : entries(directory)) {
    const std::string path = directory + "/" + name;
    struct stat status {};
    ::lstat(path.c_str(), &status);
    const long long time = status.st_mtim.tv_sec * 1'000'000'000LL + status.st_mtim.tv_nsec;
    found[name] = {S_ISREG(status.st_mode) ? support::readFile(path) : "(not a file)", time};
  }
  return found;
}

TEST(FilesAfterAnError, AFailedRunCreatesAndChangesNothing) {
  // Each deck or start-up error, in an empty directory and in one with an
  // earlier set of files: the directory is left exactly as it was, time
  // stamps included.
  struct Case {
    std::string what;
    std::string deck;
    std::string blocked;  // a directory in place of this output, if any
    std::string message;
  };
  const std::vector<Case> cases = {
      {"unreadable field", "DEFAULT      2.0\nx\n", "",
       "card 2, columns 1-8: cannot read \"x\" as an integer"},
      {"size out of range", "NBHDSW     1E10\n", "",
       "list 56 (L6 x SCALE6) is out of the 32-bit range; the larger factor comes from card 1, "
       "columns 9-16 (NBHDSW)"},
      {"newmods.for a directory", "", "newmods.for", "cannot open newmods.for: Is a directory"},
      {"dimdef.for a directory", "", "dimdef.for", "cannot open dimdef.for: Is a directory"},
      {"dum.bin a directory", "", "dum.bin", "cannot open dum.bin: Is a directory"},
      {"debug.lis a directory", "", "debug.lis", "cannot open debug.lis: Is a directory"},
  };
  for (const Case& c : cases) {
    for (bool earlier : {false, true}) {
      SCOPED_TRACE(c.what + (earlier ? ", earlier files" : ", empty directory"));
      support::TempDir dir;
      if (earlier) {
        for (const std::string& name : kAllFiles) {
          support::writeFile(dir.file(name), "earlier " + name + "\n");
          const timespec times[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
          ::utimensat(AT_FDCWD, dir.file(name).c_str(), times, 0);
        }
      }
      if (!c.blocked.empty()) {
        std::filesystem::remove(dir.file(c.blocked));
        std::filesystem::create_directory(dir.file(c.blocked));
      }
      const auto before = snapshot(dir.path());
      support::ProcessResult result = support::runSizgenBinary(dir.path(), c.deck);
      EXPECT_EQ(result.exitStatus, 1);
      EXPECT_EQ(result.err, "sizgen: " + c.message + "\n");
      // A file that cannot be replaced is found before the listing.
      if (!c.blocked.empty()) {
        EXPECT_EQ(result.out, "");
      }
      EXPECT_EQ(snapshot(dir.path()), before);
    }
  }
}

TEST(FilesAfterAnError, FileWithoutWritePermission) {
  support::TempDir dir;
  // Root may write any file: as root, run the program as user 65534.
  std::string asUser;
  if (::geteuid() == 0) {
    asUser = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    support::ProcessResult probe =
        support::runSizgenShell(dir.path(), "", "exec " + asUser + "\"$sizgen\" --version");
    if (probe.exitStatus != 0) {
      GTEST_SKIP() << "running as root, and setpriv cannot run the program as user 65534: "
                   << probe.err;
    }
    ::chmod(dir.path().c_str(), 0777);  // that user creates the other files
  }
  support::writeFile(dir.file("dimdef.for"), "read only\n");
  ::chmod(dir.file("dimdef.for").c_str(), 0444);
  support::ProcessResult result =
      support::runSizgenShell(dir.path(), "", "exec " + asUser + "\"$sizgen\"");
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.err, "sizgen: cannot open dimdef.for: Permission denied\n");
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(support::readFile(dir.file("dimdef.for")), "read only\n");
  EXPECT_FALSE(support::fileExists(dir.file("newmods.for")));
  EXPECT_FALSE(support::fileExists(dir.file("dum.bin")));
  EXPECT_FALSE(support::fileExists(dir.file("debug.lis")));
}

void expectSameRun(const InMemoryRun& first, const InMemoryRun& second) {
  EXPECT_EQ(first.error, second.error);
  EXPECT_EQ(first.listing, second.listing);
  EXPECT_EQ(first.files, second.files);
}

const std::string kSettingsDeck =
    "DEFAULT      2.0\nSCALE        1.5\nNBHDSW       3.0\n"
    "ROUND UP    4096\nRAM TABLES\nCARDS        900\n" +
    fields({"10", "20"}) + "\n";

TEST(RepeatedRuns, TwoRunsInARowAreTheSame) {
  InMemoryRun first = runInMemory(kSettingsDeck);
  InMemoryRun second = runInMemory(kSettingsDeck);
  EXPECT_EQ(first.error, "");
  EXPECT_TRUE(first.listing.ends_with(" words).\n")) << first.listing;
  expectSameRun(first, second);
}

TEST(RepeatedRuns, RunAfterAFailedRun) {
  InMemoryRun empty = runInMemory("");
  InMemoryRun settings = runInMemory(kSettingsDeck);

  // A deck that fails after setting much: nothing of it stays for the next run.
  InMemoryRun failed = runInMemory(kSettingsDeck + "FIXED      1 1\n" + fields({"7"}) + "\n" +
                                   fields({"1", "x"}) + "\n");
  EXPECT_EQ(failed.error, "card 10, columns 9-16: cannot read \"x\" as an integer");
  EXPECT_FALSE(failed.listing.ends_with(" words).\n"));
  expectSameRun(runInMemory(""), empty);

  // A run that could not open its files.
  {
    support::TempDir dir;
    std::filesystem::create_directory(dir.file("dimdef.for"));
    DirectoryFiles files(dir.path());
    MemorySink listing;
    EXPECT_EQ(support::runWith(kSettingsDeck, listing, files),
              "cannot open dimdef.for: Is a directory");
    EXPECT_EQ(listing.text(), "");
  }
  expectSameRun(runInMemory(kSettingsDeck), settings);
}

}  // namespace
}  // namespace sizgen
