// The files of a run as DirectoryFiles replaces them: checked before the
// run writes a line, then replaced as one set, each file the old one or
// wholly the new one whatever happens during the commit (a failed write,
// an interrupting signal, a kill), an unchanged file left untouched, a
// replaced file with its mode, a link kept.

#include "files/directory_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/error.h"
#include "support/file_times.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::age;
using testing::modified;

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

// What happens, and at which step of the commit: the n-th write, or the
// n-th rename (an exchange of two names counts as one).
enum class Fault { Error, Signal, Kill };
enum class Step { Write, Rename };
struct FaultPlan {
  Step step = Step::Write;
  int at = 0;  // counts from 1; 0: no fault
  Fault fault = Fault::Error;
  int signal = 0;
  // What an exchange of two names gives: 0 where the file system can
  // exchange them, EINVAL or ENOSYS where it cannot.
  int exchange = 0;
};

// DirectoryFiles whose n-th write writes half its text, or whose n-th
// rename is about to be made, when the fault strikes: the write or rename
// fails, or the process sends itself a signal or is killed and, when it
// lives on, goes on.
class FaultyFiles final : public DirectoryFiles {
 public:
  FaultyFiles(std::string directory, FaultPlan plan)
      : DirectoryFiles(std::move(directory)), plan_(plan) {}

 protected:
  void writeAll(int fd, std::string_view name, std::string_view text) override {
    if (plan_.step != Step::Write || ++writes_ != plan_.at)
      return DirectoryFiles::writeAll(fd, name, text);
    DirectoryFiles::writeAll(fd, name, text.substr(0, text.size() / 2));
    if (plan_.fault == Fault::Error)
      throw Error("cannot write " + std::string(name) + ": injected");
    strike();
    DirectoryFiles::writeAll(fd, name, text.substr(text.size() / 2));
  }
  int rename(const std::string& from, const std::string& to, unsigned flags) override {
    if (flags == RENAME_EXCHANGE && plan_.exchange != 0) return plan_.exchange;
    // An exchange with no file to exchange with fails as it would, uncounted.
    if (flags == RENAME_EXCHANGE && ::access(to.c_str(), F_OK) != 0) return ENOENT;
    if (plan_.step == Step::Rename && ++renames_ == plan_.at) {
      if (plan_.fault == Fault::Error) return EIO;
      strike();
    }
    return DirectoryFiles::rename(from, to, flags);
  }

 private:
  void strike() const { ::kill(::getpid(), plan_.fault == Fault::Kill ? SIGKILL : plan_.signal); }

  FaultPlan plan_;
  int writes_ = 0;
  int renames_ = 0;
};

// Every signal whose default action ends a process and that a process may
// catch, as signal(7) lists them: all but those below, and the two that
// the C library keeps for itself (32 and 33, below SIGRTMIN).
// Under qemu-user (the arm64 tests), only the ordinary asynchronous
// signals: qemu takes a fault signal sent by kill() (SIGILL, SIGSEGV, ...)
// for a fault of its own, and keeps some real-time signals for itself.
std::vector<int> endingSignals() {
  const std::vector<int> others = {SIGKILL, SIGSTOP, SIGCHLD, SIGCONT, SIGTSTP,
                                   SIGTTIN, SIGTTOU, SIGURG,  SIGWINCH};
#ifdef SIZGEN_TESTS_UNDER_EMULATOR
  const std::vector<int> emulated = {SIGILL, SIGTRAP, SIGABRT, SIGBUS, SIGFPE, SIGSEGV, SIGSYS};
  const int last = 31;
#else
  const std::vector<int> emulated;
  const int last = SIGRTMAX;
#endif
  std::vector<int> signals;
  for (int signal = 1; signal <= last; ++signal) {
    if (std::find(others.begin(), others.end(), signal) == others.end() &&
        std::find(emulated.begin(), emulated.end(), signal) == emulated.end() &&
        (signal < 32 || signal >= SIGRTMIN))
      signals.push_back(signal);
  }
  return signals;
}

// One commit in a child process, with each ending signal at its default
// action and no core dump; its wait status.
int commitInChild(const std::string& directory, const FaultPlan& plan) {
  const pid_t child = ::fork();
  if (child == 0) {
    for (int signal : endingSignals()) ::signal(signal, SIG_DFL);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    int status = 0;
    try {
      FaultyFiles files(directory, plan);
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

TEST(DirectoryFiles, ACommitThatFailsOrIsInterruptedLeavesOneSet) {
  struct Case {
    std::string name;
    Fault fault;
    int signal;
  };
  std::vector<Case> cases = {{"failure", Fault::Error, 0}, {"SIGKILL", Fault::Kill, 0}};
  for (int signal : endingSignals()) cases.push_back({::strsignal(signal), Fault::Signal, signal});
  // The writes: newmods.for and dimdef.for to their temporaries, then
  // debug.lis, a link to /dev/null, in place after them; the renames:
  // newmods.for and dimdef.for.
  const std::vector<std::pair<Step, int>> steps = {
      {Step::Write, 1}, {Step::Write, 2}, {Step::Write, 3}, {Step::Rename, 1}, {Step::Rename, 2}};
  for (const Case& c : cases) {
    for (const auto& [step, at] : steps) {
      // A kill during the renames can leave some files new and the others
      // old: nothing holds it back.
      if (c.fault == Fault::Kill && step == Step::Rename) continue;
      SCOPED_TRACE(c.name + " at " + (step == Step::Write ? "write " : "rename ") +
                   std::to_string(at));
      TempDir dir;
      writeEarlierSet(dir);
      ASSERT_EQ(::unlink(dir.file("debug.lis").c_str()), 0);
      ASSERT_EQ(::symlink("/dev/null", dir.file("debug.lis").c_str()), 0);
      auto expected = entries(dir.path());
      // A signal during the renames takes effect once they are done: the
      // new set is complete.
      const bool completed = c.fault == Fault::Signal && step == Step::Rename;
      if (completed) {
        expected["newmods.for"] = kNew.newmods;
        expected["dimdef.for"] = kNew.dimdef;
      }

      const int status = commitInChild(dir.path(), {step, at, c.fault, c.signal, 0});
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
      if (!completed) {
        for (const char* name : {"newmods.for", "dimdef.for", "dum.bin"})
          EXPECT_EQ(modified(dir.file(name)), 1'000'000'000LL * 1'000'000'000LL) << name;
      }
    }
  }
  // Without a fault, the same commit replaces the set.
  TempDir dir;
  writeEarlierSet(dir);
  EXPECT_EQ(commitInChild(dir.path(), {}), 0);
  EXPECT_EQ(readFile(dir.file("newmods.for")), kNew.newmods);
}

TEST(DirectoryFiles, AFailedRenamePutsTheEarlierFilesBack) {
  // The renames put newmods.for, dimdef.for and debug.lis in place, in
  // that order; when one fails, those before it are put back, whether the
  // file system exchanges names or not, and files created are removed.
  for (int exchange : {0, EINVAL, ENOSYS}) {
    for (bool earlier : {true, false}) {
      for (int at = 1; at <= 4; ++at) {
        SCOPED_TRACE("exchange " + std::string(exchange == 0 ? "possible" : ::strerror(exchange)) +
                     (earlier ? ", earlier set" : ", empty directory") + ", rename " +
                     std::to_string(at) + " fails");
        TempDir dir;
        const auto before = earlier ? writeEarlierSet(dir) : entries(dir.path());
        FaultyFiles files(dir.path(), {Step::Rename, at, Fault::Error, 0, exchange});
        prepareAll(files);
        const std::string error = errorOf([&] { commitAll(files, kNew); });
        if (at == 4) {
          // Three renames: the fourth never comes, and the set is new.
          EXPECT_EQ(error, "(no error)");
          EXPECT_EQ(entries(dir.path()),
                    (std::map<std::string, std::string>{{"newmods.for", kNew.newmods},
                                                        {"dimdef.for", kNew.dimdef},
                                                        {"dum.bin", earlier ? "scratch" : ""},
                                                        {"debug.lis", kNew.debug}}));
          continue;
        }
        const char* failed[] = {"newmods.for", "dimdef.for", "debug.lis"};
        EXPECT_EQ(error, "cannot write " + std::string(failed[at - 1]) + ": Input/output error");
        EXPECT_EQ(entries(dir.path()), before);
      }
    }
  }
}

}  // namespace
}  // namespace sizgen
