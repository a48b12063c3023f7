// End-to-end runs of the sizgen binary on the decks in tests/decks, compared
// byte for byte with the listing and the files in tests/expected/<deck>/.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::fileExists;
using testing::linesOf;
using testing::ProcessResult;
using testing::readFile;
using testing::readTestData;
using testing::runSizgenBinary;
using testing::TempDir;
using testing::writeFile;

constexpr std::string_view kGeneratedFiles[] = {"newmods.for", "dimdef.for", "debug.lis"};
constexpr std::string_view kAllFiles[] = {"newmods.for", "dimdef.for", "debug.lis", "dum.bin"};

// A line as it is shown in a failure message: quoted, with its length, and
// with control characters made visible.
std::string shown(const std::string& line) {
  std::string text = "\"";
  for (unsigned char c : line) {
    if (c == '\r') {
      text += "\\r";
    } else if (c < 0x20 || c >= 0x7f) {
      static constexpr char kHex[] = "0123456789abcdef";
      text += "\\x";
      text += kHex[c >> 4];
      text += kHex[c & 0xf];
    } else {
      text += static_cast<char>(c);
    }
  }
  return text + "\" (" + std::to_string(line.size()) + " characters)";
}

// Byte-for-byte comparison that names the first differing line instead of
// dumping both texts.
::testing::AssertionResult sameText(const std::string& what, const std::string& expected,
                                    const std::string& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  std::vector<std::string> want = linesOf(expected);
  std::vector<std::string> got = linesOf(actual);
  std::size_t common = want.size() < got.size() ? want.size() : got.size();
  for (std::size_t i = 0; i < common; ++i) {
    if (want[i] != got[i]) {
      return ::testing::AssertionFailure()
             << what << ": first difference at line " << i + 1 << "\n  expected: " << shown(want[i])
             << "\n  actual:   " << shown(got[i]);
    }
  }
  if (want.size() != got.size()) {
    const std::vector<std::string>& longer = want.size() > got.size() ? want : got;
    return ::testing::AssertionFailure()
           << what << ": expected " << want.size() << " lines, got " << got.size()
           << "; first extra line " << common + 1 << " ("
           << (want.size() > got.size() ? "missing" : "unexpected")
           << "): " << shown(longer[common]);
  }
  return ::testing::AssertionFailure()
         << what << ": same lines, but the text ends "
         << (!expected.empty() && expected.back() == '\n' ? "with" : "without")
         << " a line feed in the expected file and not in the actual one";
}

std::string expectedPath(const std::string& deck, std::string_view file) {
  return "expected/" + deck + "/" + std::string(file);
}

// Every deck that ends in a normal run, with its listing and all three
// generated files to compare.
class GoldenRun : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenRun, MatchesExpectedOutput) {
  const std::string deck = GetParam();
  TempDir dir;
  ProcessResult result = runSizgenBinary(dir.path(), readTestData("decks/" + deck + ".deck"));

  EXPECT_EQ(result.exitStatus, 0);
  // A deck that reads otherwise than it looks has its warnings to compare.
  const std::string warnings = expectedPath(deck, "warnings");
  EXPECT_EQ(result.err, fileExists(testing::testDataPath(warnings)) ? readTestData(warnings) : "");
  EXPECT_TRUE(sameText(deck + ": standard output", readTestData(expectedPath(deck, "listing")),
                       result.out));
  for (std::string_view name : kAllFiles) {
    EXPECT_TRUE(fileExists(dir.file(name))) << deck << ": " << name << " is missing";
  }
  for (std::string_view name : kGeneratedFiles) {
    if (!fileExists(dir.file(name))) continue;
    EXPECT_TRUE(sameText(deck + ": " + std::string(name), readTestData(expectedPath(deck, name)),
                         readFile(dir.file(name))));
  }
  if (fileExists(dir.file("dum.bin"))) {
    EXPECT_EQ(readFile(dir.file("dum.bin")), "") << deck << ": dum.bin is not empty";
  }
}

INSTANTIATE_TEST_SUITE_P(Decks, GoldenRun,
                         ::testing::Values("empty", "keywords", "lists", "nomarker", "reals",
                                           "defmul", "ramtables", "crlf"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

TEST(GoldenError, UnreadableFieldStopsAfterTheEcho) {
  // The first list-size card holds -1.9 and no upper-case E: the card is
  // echoed, then its integer field cannot be read and the run ends there.
  TempDir dir;
  ProcessResult result = runSizgenBinary(dir.path(), readTestData("decks/error.deck"));

  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_NE(result.err.find("card 2"), std::string::npos) << result.err;
  EXPECT_TRUE(
      sameText("error: standard output", readTestData("expected/error/listing"), result.out));
  for (std::string_view name : kAllFiles)
    EXPECT_FALSE(fileExists(dir.file(name))) << name << " was created";
}

// The listing of the empty deck with `echo` inserted after the ruler (its
// first 14 lines).
std::string emptyListingWithEcho(const std::string& echo) {
  std::string listing = readTestData(expectedPath("empty", "listing"));
  std::size_t afterRuler = 0;
  for (int line = 0; line < 14; ++line) afterRuler = listing.find('\n', afterRuler) + 1;
  return listing.insert(afterRuler, echo + "\n");
}

TEST(GoldenEndOfFile, LastLineWithoutLineFeed) {
  {
    // A short last line without its line feed is a card like any other: it
    // is echoed and its quantum rounds row 1 (500 REAL*8 elements, 4000
    // bytes, one quantum of 4096 bytes: 512 elements).
    TempDir dir;
    ProcessResult result = runSizgenBinary(dir.path(), "ROUND UP    4096");
    EXPECT_EQ(result.exitStatus, 0);
    const std::string card = "ROUND UP    4096" + std::string(64, ' ');
    EXPECT_TRUE(sameText("short last line: standard output",
                         emptyListingWithEcho(" Quantized bytes =     4096    1" + card),
                         result.out));
    std::string modules = readFile(dir.file("newmods.for"));
    EXPECT_NE(modules.find("      COMMON  / C0B001 /   X     (       512 )\n"), std::string::npos);
  }
  {
    // A full 80-column last line, likewise.
    TempDir dir;
    const std::string card = "ROUND UP    4096" + std::string(63, ' ') + "x";
    ProcessResult result = runSizgenBinary(dir.path(), card);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_TRUE(sameText("80-column last line: standard output",
                         emptyListingWithEcho(" Quantized bytes =     4096    1" + card),
                         result.out));
  }
}

TEST(GoldenFiles, ExistingDumBinKeepsItsBytes) {
  TempDir dir;
  const std::string content("kept\0as it was\r\n\xff", 18);
  writeFile(dir.file("dum.bin"), content);
  ProcessResult result = runSizgenBinary(dir.path(), readTestData("decks/lists.deck"));
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(readFile(dir.file("dum.bin")), content);
}

TEST(GoldenFiles, LongerOldFilesLeaveNoTrace) {
  TempDir dir;
  std::string old;
  for (int i = 0; i < 500; ++i)
    old += "C     OLD CONTENT THAT IS LONGER THAN ANY FILE OF A RUN " + std::to_string(i) + "\n";
  for (std::string_view name : kGeneratedFiles) writeFile(dir.file(name), old);

  ProcessResult result = runSizgenBinary(dir.path(), "");
  EXPECT_EQ(result.exitStatus, 0);
  for (std::string_view name : kGeneratedFiles) {
    EXPECT_TRUE(sameText("over old content: " + std::string(name),
                         readTestData(expectedPath("empty", name)), readFile(dir.file(name))));
  }
}

TEST(GoldenFiles, SecondRunReplacesTheFirst) {
  // The first run writes a 90-line dimdef.for and longer lines everywhere;
  // the second run's files must be exactly its own.
  TempDir dir;
  ProcessResult first = runSizgenBinary(dir.path(), readTestData("decks/lists.deck"));
  ASSERT_EQ(first.exitStatus, 0);
  ASSERT_TRUE(sameText("first run: dimdef.for", readTestData(expectedPath("lists", "dimdef.for")),
                       readFile(dir.file("dimdef.for"))));

  ProcessResult second = runSizgenBinary(dir.path(), readTestData("decks/empty.deck"));
  EXPECT_EQ(second.exitStatus, 0);
  EXPECT_TRUE(sameText("second run: standard output",
                       readTestData(expectedPath("empty", "listing")), second.out));
  for (std::string_view name : kGeneratedFiles) {
    EXPECT_TRUE(sameText("second run: " + std::string(name),
                         readTestData(expectedPath("empty", name)), readFile(dir.file(name))));
  }
  EXPECT_EQ(readFile(dir.file("dum.bin")), "");
}

}  // namespace
}  // namespace sizgen
