// The files of a run as the program writes them itself: created when
// missing, an earlier longer file cut to what the run wrote, an unwritten
// file left as it was, and every failure one message naming the file.

#include "driver/output_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/error.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::errorOf;
using testing::fileExists;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;
using Use = OutputFiles::Use;

TEST(DirectoryFiles, WrittenFilesHoldExactlyWhatTheRunWrote) {
  TempDir dir;
  writeFile(dir.file("newmods.for"), std::string(20000, 'z'));
  writeFile(dir.file("dimdef.for"), "kept as it was\n");
  writeFile(dir.file("dum.bin"), "kept too");
  {
    DirectoryFiles files(dir.path());
    Sink& module = files.open("newmods.for", Use::Written);
    files.open("dimdef.for", Use::Written);
    files.open("dum.bin", Use::NeverWritten);
    Sink& debug = files.open("debug.lis", Use::Written);
    for (int i = 0; i < 2000; ++i) module.write("      END");  // beyond one buffer
    debug.write("  LSTNEW(1) = 252");
    files.close();
  }
  std::string expected;
  for (int i = 0; i < 2000; ++i) expected += "      END\n";
  EXPECT_EQ(readFile(dir.file("newmods.for")), expected);
  EXPECT_EQ(readFile(dir.file("dimdef.for")), "kept as it was\n");
  EXPECT_EQ(readFile(dir.file("dum.bin")), "kept too");
  EXPECT_EQ(readFile(dir.file("debug.lis")), "  LSTNEW(1) = 252\n");
}

TEST(DirectoryFiles, MissingFilesAreCreatedWrittenOrNot) {
  TempDir dir;
  {
    DirectoryFiles files(dir.path());
    files.open("dimdef.for", Use::Written);
    files.open("dum.bin", Use::NeverWritten);
    files.close();
  }
  EXPECT_TRUE(fileExists(dir.file("dimdef.for")));
  EXPECT_EQ(readFile(dir.file("dum.bin")), "");
}

TEST(DirectoryFiles, EveryFailureNamesTheFile) {
  TempDir dir;
  ASSERT_EQ(::mkdir(dir.file("newmods.for").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(dir.file("dum.bin").c_str(), 0755), 0);
  ASSERT_EQ(::symlink("/dev/full", dir.file("dimdef.for").c_str()), 0);
  DirectoryFiles files(dir.path());
  EXPECT_EQ(errorOf([&] { files.open("newmods.for", Use::Written); }),
            "cannot open newmods.for: Is a directory");
  EXPECT_EQ(errorOf([&] { files.open("dum.bin", Use::NeverWritten); }),
            "cannot open dum.bin: Is a directory");
  DirectoryFiles missing(dir.file("no such directory"));
  EXPECT_EQ(errorOf([&] { missing.open("debug.lis", Use::Written); }),
            "cannot open debug.lis: No such file or directory");
  // A full device fails when what was written is pushed out.
  Sink& dimdef = files.open("dimdef.for", Use::Written);
  dimdef.write("      END");
  EXPECT_EQ(errorOf([&] { files.close(); }), "cannot write dimdef.for: No space left on device");
}

TEST(StreamSink, RecordsEndWithALineFeedAndFailuresAreReported) {
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  StreamSink listing(stream, "the listing");
  listing.write(" Comment card is ignored.");
  listing.write("");
  listing.flush();
  EXPECT_EQ(testing::readBack(stream), " Comment card is ignored.\n\n");
  std::fclose(stream);

  std::FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  StreamSink fullListing(full, "standard output");
  fullListing.write("a short line stays in the buffer");
  EXPECT_EQ(errorOf([&] { fullListing.flush(); }),
            "cannot write standard output: No space left on device");
  std::fclose(full);
}

TEST(MemoryFiles, HoldWhatEachFileReceived) {
  MemoryFiles files;
  files.open("newmods.for", Use::Written).write("      END");
  files.open("dum.bin", Use::NeverWritten);
  ASSERT_NE(files.text("newmods.for"), nullptr);
  EXPECT_EQ(*files.text("newmods.for"), "      END\n");
  EXPECT_EQ(*files.text("dum.bin"), "");
  EXPECT_EQ(files.text("debug.lis"), nullptr);
}

}  // namespace
}  // namespace sizgen
