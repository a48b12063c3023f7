// Outputs that are one file: standard output redirected into a generated
// file or the deck, a generated file linked to another, the deck one of
// the files.  The run must stop before it writes a line, naming the first
// two (in the order they are checked: the listing, the deck, newmods.for,
// dimdef.for, dum.bin, debug.lis) that are the same file.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "files/directory_files.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using sizgen::testing::linesOf;
using sizgen::testing::ProcessResult;
using sizgen::testing::readFile;
using sizgen::testing::runSizgenShell;
using sizgen::testing::TempDir;
using sizgen::testing::writeFile;

const std::vector<std::string> kOutputs = {"newmods.for", "dimdef.for", "dum.bin", "debug.lis"};

// The content of every regular file under `directory`, by path relative
// to it; a link reads as the file it names.
std::map<std::string, std::string> contents(const std::string& directory) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(directory)) {
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), directory).string()] = readFile(entry.path().string());
  }
  return files;
}

// `command` run in `directory` with sizgen standing for the built program
// and an empty deck on standard input.
ProcessResult runIn(const std::string& directory, const std::string& command) {
  return runSizgenShell(directory, "", command);
}

struct AliasCase {
  std::string name;
  std::string setup;    // shell commands run first, in the directory
  std::string command;  // the run, with standard output redirected
  std::string message;
  std::string truncatedByShell;  // the file that `>` empties before the run
};

TEST(SameFile, OutputsThatAreOneFileAreRefusedBeforeAnythingIsWritten) {
  const std::vector<AliasCase> cases = {
      {"listing into newmods.for", "", "\"$sizgen\" > newmods.for",
       "standard output and newmods.for are the same file", "newmods.for"},
      {"listing appended to newmods.for", "", "\"$sizgen\" >> newmods.for",
       "standard output and newmods.for are the same file", ""},
      {"listing into dimdef.for", "", "\"$sizgen\" >> dimdef.for",
       "standard output and dimdef.for are the same file", ""},
      {"listing into dum.bin", "", "\"$sizgen\" >> dum.bin",
       "standard output and dum.bin are the same file", ""},
      {"listing into debug.lis", "", "\"$sizgen\" >> debug.lis",
       "standard output and debug.lis are the same file", ""},
      {"listing into a hard link of debug.lis", "ln debug.lis another.lis",
       "\"$sizgen\" >> another.lis", "standard output and debug.lis are the same file", ""},
      {"listing into a file of the output directory", "mkdir out && cp newmods.for out/",
       "\"$sizgen\" --output-dir=out >> out/newmods.for",
       "standard output and newmods.for are the same file", ""},
      {"dimdef.for a symbolic link to newmods.for", "rm dimdef.for && ln -s newmods.for dimdef.for",
       "\"$sizgen\" >> listing.txt", "newmods.for and dimdef.for are the same file", ""},
      {"dum.bin a symbolic link to dimdef.for", "rm dum.bin && ln -s dimdef.for dum.bin",
       "\"$sizgen\" >> listing.txt", "dimdef.for and dum.bin are the same file", ""},
      {"debug.lis a hard link of newmods.for", "rm debug.lis && ln newmods.for debug.lis",
       "\"$sizgen\" >> listing.txt", "newmods.for and debug.lis are the same file", ""},
      {"debug.lis a symbolic link to a link to dum.bin",
       "rm debug.lis && ln -s dum.bin link && ln -s link debug.lis", "\"$sizgen\" >> listing.txt",
       "dum.bin and debug.lis are the same file", ""},
      // The deck is one of the files: named, on standard input, in the
      // output directory, appended to, linked.
      {"the deck named newmods.for", "", "\"$sizgen\" newmods.for >> listing.txt",
       "the deck and newmods.for are the same file", ""},
      {"the deck on standard input is dimdef.for", "", "\"$sizgen\" < dimdef.for >> listing.txt",
       "the deck and dimdef.for are the same file", ""},
      {"the deck is debug.lis of the output directory", "mkdir out && cp debug.lis out/",
       "\"$sizgen\" -o out out/debug.lis >> listing.txt",
       "the deck and debug.lis are the same file", ""},
      {"the deck a hard link of dum.bin", "ln dum.bin my.deck",
       "\"$sizgen\" my.deck >> listing.txt", "the deck and dum.bin are the same file", ""},
      {"the listing appended to the deck", "cp newmods.for my.deck",
       "\"$sizgen\" my.deck >> my.deck", "standard output and the deck are the same file", ""},
      {"dimdef.for a link to newmods.for, which does not exist yet",
       "rm newmods.for dimdef.for && ln -s newmods.for dimdef.for", "\"$sizgen\" >> listing.txt",
       "newmods.for and dimdef.for are the same file", ""},
      // The first pair in the order checked: the listing meets newmods.for
      // before dimdef.for meets either.
      {"all three one file", "rm dimdef.for && ln -s newmods.for dimdef.for",
       "\"$sizgen\" >> dimdef.for", "standard output and newmods.for are the same file", ""},
  };
  for (const AliasCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    for (const std::string& name : kOutputs) writeFile(dir.file(name), "earlier " + name + "\n");
    writeFile(dir.file("listing.txt"), "earlier listing\n");
    if (!c.setup.empty()) {
      ProcessResult setup = runIn(dir.path(), c.setup);
      ASSERT_EQ(setup.exitStatus, 0) << setup.err;
    }
    std::map<std::string, std::string> before = contents(dir.path());
    if (!c.truncatedByShell.empty()) before[c.truncatedByShell] = "";

    ProcessResult result = runIn(dir.path(), c.command);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "sizgen: " + c.message + "\n");
    EXPECT_EQ(contents(dir.path()), before);
  }
}

TEST(SameFile, DevicesAreNeverTheSameFile) {
  // /dev/null as the listing and behind two links: three outputs on one
  // device, a normal run.
  for (const std::string& setup : {std::string("true"), std::string("ln -s /dev/null dimdef.for && "
                                                                    "ln -s /dev/null debug.lis")}) {
    SCOPED_TRACE(setup);
    TempDir dir;
    ProcessResult result = runIn(dir.path(), setup + " && \"$sizgen\" > /dev/null");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(linesOf(readFile(dir.file("newmods.for"))).size(), 211u);
  }
  // The listing on a pipe.
  TempDir dir;
  ProcessResult piped = runIn(dir.path(), "\"$sizgen\" | tail -n 1");
  EXPECT_EQ(piped.err, "");
  EXPECT_NE(piped.out.find("Normal termination"), std::string::npos) << piped.out;
}

TEST(SameFile, AnInodeFreedByAnotherRunIsNotTakenForTheSameFile) {
  // Between this run's look at newmods.for and its look at dimdef.for,
  // another run replaces newmods.for (its old inode freed) and writes a
  // new dimdef.for, which a file system such as ext4 gives the freed
  // inode.  The two outputs are still two files.
  int sameIdentity = 0;
  for (int trial = 0; trial < 20; ++trial) {
    TempDir dir;
    for (const std::string& name : kOutputs) writeFile(dir.file(name), "earlier " + name + "\n");
    DirectoryFiles files(dir.path());
    const auto newmods = files.prepare("newmods.for", OutputFiles::Use::Written);
    // The other run's temporaries, renamed into place.
    writeFile(dir.file(".newmods"), "another run's newmods.for\n");
    ASSERT_EQ(std::rename(dir.file(".newmods").c_str(), dir.file("newmods.for").c_str()), 0);
    writeFile(dir.file(".dimdef"), "another run's dimdef.for\n");
    ASSERT_EQ(std::rename(dir.file(".dimdef").c_str(), dir.file("dimdef.for").c_str()), 0);
    const auto dimdef = files.prepare("dimdef.for", OutputFiles::Use::Written);
    ASSERT_TRUE(newmods && dimdef);
    if (*newmods == *dimdef) ++sameIdentity;
  }
  EXPECT_EQ(sameIdentity, 0) << "newmods.for and dimdef.for taken for one file, in 20 trials";
}

}  // namespace
}  // namespace sizgen
