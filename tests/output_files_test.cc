// The files of a run as DirectoryFiles replaces them: checked before the
// run writes a line, then replaced as one set, each file the old one or
// wholly the new one whatever happens during the commit (a failed write,
// an interrupting signal, a kill), an unchanged file left untouched, a
// replaced file with its mode, a link kept.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/error.h"
#include "driver/directory_files.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::errorOf;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;
using Use = OutputFiles::Use;

const std::vector<std::pair<std::string, Use>> kOutputs = {{"newmods.for", Use::Written},
                                                           {"dimdef.for", Use::Written},
                                                           {"dum.bin", Use::NeverWritten},
                                                           {"debug.lis", Use::Written}};

// New contents for the three written files.
struct Texts {
  std::string newmods, dimdef, debug;
};

const Texts kNew = {std::string(300, 'n') + "\n", "      SUBROUTINE DIMDEF\n", "  MTOT = 1\n"};

void prepareAll(OutputFiles& files) {
  for (const auto& [name, use] : kOutputs) files.prepare(name, use);
}

void commitAll(OutputFiles& files, const Texts& texts) {
  const OutputFiles::Content contents[] = {{"newmods.for", &texts.newmods},
                                           {"dimdef.for", &texts.dimdef},
                                           {"dum.bin", nullptr},
                                           {"debug.lis", &texts.debug}};
  files.commit(contents);
}

// Every entry of `directory` with its content ("(directory)" for one).
std::map<std::string, std::string> entries(const std::string& directory) {
  std::map<std::string, std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    const std::string name = entry.path().filename().string();
    std::error_code ignored;
    if (entry.is_directory(ignored)) {
      found[name] = "(directory)";
    } else if (!entry.exists(ignored)) {
      found[name] = "(dangling link)";
    } else {
      found[name] = readFile(entry.path().string());
    }
  }
  return found;
}

// The modification time of `path`, in nanoseconds.
long long modified(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return -1;
  return status.st_mtim.tv_sec * 1'000'000'000LL + status.st_mtim.tv_nsec;
}

// Sets the times of `path` back to the year 2001, so that any write shows.
void age(const std::string& path) {
  const timespec times[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// A directory holding an earlier set, aged.
std::map<std::string, std::string> writeEarlierSet(const TempDir& dir) {
  for (const auto& [name, use] : kOutputs) {
    writeFile(dir.file(name), use == Use::Written ? "earlier " + name + "\n" : "scratch");
    age(dir.file(name));
  }
  return entries(dir.path());
}

TEST(DirectoryFiles, ReplacesTheSetAndLeavesUnchangedFilesUntouched) {
  TempDir dir;
  {
    DirectoryFiles files(dir.path());
    prepareAll(files);
    commitAll(files, kNew);
  }
  EXPECT_EQ(entries(dir.path()), (std::map<std::string, std::string>{{"newmods.for", kNew.newmods},
                                                                     {"dimdef.for", kNew.dimdef},
                                                                     {"dum.bin", ""},
                                                                     {"debug.lis", kNew.debug}}));
  // Again with only dimdef.for changed: the others keep their time stamps.
  for (const auto& [name, use] : kOutputs) age(dir.file(name));
  Texts changed = kNew;
  changed.dimdef = "      SUBROUTINE DIMDEF (LSIZE, NCHAIN)\n";
  {
    DirectoryFiles files(dir.path());
    prepareAll(files);
    commitAll(files, changed);
  }
  EXPECT_EQ(readFile(dir.file("dimdef.for")), changed.dimdef);
  EXPECT_NE(modified(dir.file("dimdef.for")), 1'000'000'000LL * 1'000'000'000LL);
  for (const char* name : {"newmods.for", "dum.bin", "debug.lis"})
    EXPECT_EQ(modified(dir.file(name)), 1'000'000'000LL * 1'000'000'000LL) << name;
  EXPECT_EQ(entries(dir.path()).size(), 4u) << "no temporary is left";
}

TEST(DirectoryFiles, ReplacedFilesKeepTheirModeAndLinksTheirMeaning) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("elsewhere"));
  writeFile(dir.file("newmods.for"), "earlier\n");
  ASSERT_EQ(::chmod(dir.file("newmods.for").c_str(), 0640), 0);
  // A hard link to an output is a saved copy: it keeps the old content.
  ASSERT_EQ(::link(dir.file("newmods.for").c_str(), dir.file("saved.for").c_str()), 0);
  // A symbolic link in place of an output: the file it leads to is
  // replaced, the link stays.
  writeFile(dir.file("elsewhere/dimdef.for"), "earlier dimdef\n");
  ASSERT_EQ(::symlink("elsewhere/dimdef.for", dir.file("dimdef.for").c_str()), 0);
  // A dangling one: the file is created where it leads.
  ASSERT_EQ(::symlink("elsewhere/debug.lis", dir.file("debug.lis").c_str()), 0);
  {
    DirectoryFiles files(dir.path());
    prepareAll(files);
    commitAll(files, kNew);
  }
  EXPECT_EQ(readFile(dir.file("newmods.for")), kNew.newmods);
  EXPECT_EQ(readFile(dir.file("saved.for")), "earlier\n");
  struct stat status {};
  ASSERT_EQ(::stat(dir.file("newmods.for").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("dimdef.for")));
  EXPECT_EQ(readFile(dir.file("elsewhere/dimdef.for")), kNew.dimdef);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("debug.lis")));
  EXPECT_EQ(readFile(dir.file("elsewhere/debug.lis")), kNew.debug);
  EXPECT_EQ(entries(dir.file("elsewhere")).size(), 2u) << "no temporary is left";
  // A new file has the mode the umask gives.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ASSERT_EQ(::stat(dir.file("dum.bin").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0666u & ~mask);
}

TEST(DirectoryFiles, StartUpFailuresNameTheFileAndCreateNothing) {
  struct Case {
    std::string setup;  // shell commands run in the directory
    std::string message;
  };
  const std::vector<Case> cases = {
      {"mkdir newmods.for", "cannot open newmods.for: Is a directory"},
      {"mkdir dum.bin", "cannot open dum.bin: Is a directory"},
      {"mkdir other && ln -s other debug.lis", "cannot open debug.lis: Is a directory"},
      {"ln -s loop loop && ln -s loop dimdef.for",
       "cannot open dimdef.for: Too many levels of symbolic links"},
      {"ln -s no-such-directory/newmods.for newmods.for",
       "cannot open newmods.for: No such file or directory"},
      {"touch plain && ln -s plain/dimdef.for dimdef.for",
       "cannot open dimdef.for: Not a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setup);
    TempDir dir;
    ASSERT_EQ(
        testing::runCommand("cd " + testing::shellQuote(dir.path()) + " && " + c.setup).exitStatus,
        0);
    const auto before = entries(dir.path());
    DirectoryFiles files(dir.path());
    EXPECT_EQ(errorOf([&] { prepareAll(files); }), c.message);
    EXPECT_EQ(entries(dir.path()), before);
  }
  // An output directory that does not exist.
  TempDir dir;
  DirectoryFiles missing(dir.file("no such directory"));
  EXPECT_EQ(errorOf([&] { missing.prepare("newmods.for", Use::Written); }),
            "cannot open newmods.for: No such file or directory");
}

// --- A commit that fails or is interrupted -------------------------------

// What happens at the n-th write of the commit.
enum class Fault { Error, Signal, Kill };

// DirectoryFiles whose n-th write writes half its text, then fails, is
// interrupted by a signal, or is killed.
class FaultyFiles final : public DirectoryFiles {
 public:
  FaultyFiles(std::string directory, int faultAt, Fault fault, int signal)
      : DirectoryFiles(std::move(directory)), faultAt_(faultAt), fault_(fault), signal_(signal) {}
  int writes() const { return writes_; }

 protected:
  void writeAll(int fd, std::string_view name, std::string_view text) override {
    if (++writes_ != faultAt_) return DirectoryFiles::writeAll(fd, name, text);
    DirectoryFiles::writeAll(fd, name, text.substr(0, text.size() / 2));
    if (fault_ == Fault::Error) throw Error("cannot write " + std::string(name) + ": injected");
    ::kill(::getpid(), fault_ == Fault::Kill ? SIGKILL : signal_);
    DirectoryFiles::writeAll(fd, name, text.substr(text.size() / 2));
  }

 private:
  int faultAt_;
  Fault fault_;
  int signal_;
  int writes_ = 0;
};

// One commit in a child process; its wait status.
int commitInChild(const std::string& directory, int faultAt, Fault fault, int signal) {
  const pid_t child = ::fork();
  if (child == 0) {
    int status = 0;
    try {
      FaultyFiles files(directory, faultAt, fault, signal);
      prepareAll(files);
      commitAll(files, kNew);
    } catch (const Error&) {
      status = 1;
    }
    ::_exit(status);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  return status;
}

TEST(DirectoryFiles, ACommitThatFailsOrIsInterruptedLeavesTheEarlierSet) {
  struct Case {
    const char* name;
    Fault fault;
    int signal;
  };
  const Case cases[] = {{"write fails", Fault::Error, 0},
                        {"SIGINT", Fault::Signal, SIGINT},
                        {"SIGTERM", Fault::Signal, SIGTERM},
                        {"SIGHUP", Fault::Signal, SIGHUP},
                        {"SIGKILL", Fault::Kill, 0}};
  // The writes: newmods.for and dimdef.for to their temporaries, then
  // debug.lis, a link to /dev/null, in place after them.
  for (const Case& c : cases) {
    for (int n = 1; n <= 3; ++n) {
      SCOPED_TRACE(std::string(c.name) + " at write " + std::to_string(n));
      TempDir dir;
      writeEarlierSet(dir);
      ASSERT_EQ(::unlink(dir.file("debug.lis").c_str()), 0);
      ASSERT_EQ(::symlink("/dev/null", dir.file("debug.lis").c_str()), 0);
      const auto expected = entries(dir.path());

      const int status = commitInChild(dir.path(), n, c.fault, c.signal);
      if (c.fault == Fault::Error) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
      } else {
        EXPECT_TRUE(WIFSIGNALED(status)) << status;
        if (WIFSIGNALED(status)) {
          EXPECT_EQ(WTERMSIG(status), c.fault == Fault::Kill ? SIGKILL : c.signal);
        }
      }
      auto after = entries(dir.path());
      // A kill cannot be caught: a temporary may stay, under its own name.
      if (c.fault == Fault::Kill) {
        std::erase_if(after, [](const auto& entry) {
          return entry.first.starts_with(".newmods.for.") ||
                 entry.first.starts_with(".dimdef.for.");
        });
      }
      EXPECT_EQ(after, expected);
      for (const char* name : {"newmods.for", "dimdef.for", "dum.bin"})
        EXPECT_EQ(modified(dir.file(name)), 1'000'000'000LL * 1'000'000'000LL) << name;
    }
  }
  // Without a fault, the same commit replaces the set.
  TempDir dir;
  writeEarlierSet(dir);
  EXPECT_EQ(commitInChild(dir.path(), 0, Fault::Error, 0), 0);
  EXPECT_EQ(readFile(dir.file("newmods.for")), kNew.newmods);
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

TEST(MemoryFiles, HoldTheCommittedSetOnly) {
  MemoryFiles files;
  const std::string text = "      END\n";
  EXPECT_EQ(files.text("newmods.for"), nullptr);
  const OutputFiles::Content contents[] = {{"newmods.for", &text}, {"dum.bin", nullptr}};
  files.commit(contents);
  ASSERT_NE(files.text("newmods.for"), nullptr);
  EXPECT_EQ(*files.text("newmods.for"), "      END\n");
  EXPECT_EQ(*files.text("dum.bin"), "");
  EXPECT_EQ(files.text("debug.lis"), nullptr);
}

}  // namespace
}  // namespace sizgen
