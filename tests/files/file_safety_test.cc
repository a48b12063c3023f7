// The files of whole runs of the program as builds and users meet them:
// runs at the same time into one directory, a pager that quits early, an
// unchanged rerun, a saved hard link, runs interrupted at any moment, and
// decks that cannot be read.  Each file is the old one or wholly the new
// one, and the three generated files are always one run's set.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/cards.h"
#include "support/file_times.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::age;
using testing::modified;

namespace support = sizgen::testing;
using support::fileExists;
using support::readFile;
using support::shellQuote;
using support::TempDir;
using support::writeFile;

constexpr const char* kGenerated[] = {"newmods.for", "dimdef.for", "debug.lis"};

// The three generated files of a directory ("(absent)" for a missing one).
using FileSet = std::vector<std::string>;

FileSet setIn(const std::string& directory) {
  FileSet set;
  for (const char* name : kGenerated) {
    const std::string path = directory + "/" + name;
    set.push_back(fileExists(path) ? readFile(path) : "(absent)");
  }
  return set;
}

// The names in `directory` that are not outputs: temporaries left behind.
std::vector<std::string> strayNames(const std::string& directory,
                                    const std::vector<std::string>& expected) {
  std::vector<std::string> stray;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    const std::string name = entry.path().filename().string();
    if (std::find(expected.begin(), expected.end(), name) == expected.end()) stray.push_back(name);
  }
  return stray;
}

// Starts the program in `directory` with `deckPath` on standard input and
// the listing on /dev/null, with no core dump; returns its process id.
pid_t start(const std::string& directory, const std::string& deckPath) {
  const pid_t child = ::fork();
  if (child == 0) {
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    const int in = ::open(deckPath.c_str(), O_RDONLY);
    const int out = ::open("/dev/null", O_WRONLY);
    if (in < 0 || out < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
        ::chdir(directory.c_str()) != 0)
      ::_exit(126);
    ::execl(SIZGEN_BINARY, SIZGEN_BINARY, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return child;
}

int waitFor(pid_t child) {
  int status = -1;
  ::waitpid(child, &status, 0);
  return status;
}

// The set a run of `deck` writes in an empty directory.
FileSet setOf(const std::string& deckPath) {
  TempDir dir;
  EXPECT_EQ(waitFor(start(dir.path(), deckPath)), 0);
  return setIn(dir.path());
}

const std::string kDeckA = "DEFAULT      2.0\n";
const std::string kDeckB = "SCALE        0.5\n" + support::listCard({"900", "40"});

TEST(FileSafety, RunsAtTheSameTimeLeaveOneRunsSet) {
  TempDir decks;
  writeFile(decks.file("a.deck"), kDeckA);
  writeFile(decks.file("b.deck"), kDeckB);
  const FileSet a = setOf(decks.file("a.deck"));
  const FileSet b = setOf(decks.file("b.deck"));
  ASSERT_NE(a, b);
  for (std::size_t i = 0; i < a.size(); ++i) ASSERT_NE(a[i], b[i]) << kGenerated[i];

  TempDir dir;
  int mixed = 0;
  for (int round = 0; round < 300; ++round) {
    const pid_t first = start(dir.path(), decks.file(round % 2 == 0 ? "a.deck" : "b.deck"));
    const pid_t second = start(dir.path(), decks.file(round % 2 == 0 ? "b.deck" : "a.deck"));
    EXPECT_EQ(waitFor(first), 0);
    EXPECT_EQ(waitFor(second), 0);
    const FileSet set = setIn(dir.path());
    if (set != a && set != b) ++mixed;
  }
  EXPECT_EQ(mixed, 0) << "sets mixed from both runs, in 300 rounds";
  EXPECT_EQ(strayNames(dir.path(), {"newmods.for", "dimdef.for", "dum.bin", "debug.lis"}),
            std::vector<std::string>{});
}

// `command` run by the shell in `directory`, with sizgen standing for the
// built program.
support::ProcessResult shellIn(const std::string& directory, const std::string& command) {
  return support::runCommand("cd " + shellQuote(directory) +
                             " && sizgen=" + shellQuote(SIZGEN_BINARY) + " && " + command);
}

TEST(FileSafety, APagerThatQuitsEarlyCostsNoFile) {
  // 3000 comment cards: a listing far longer than a pipe holds.
  TempDir decks;
  std::string deck;
  for (int i = 0; i < 3000; ++i) deck += "C note\n";
  writeFile(decks.file("long.deck"), deck);
  const FileSet normal = setOf(decks.file("long.deck"));
  struct Case {
    std::string what;
    std::string pipeSignal;  // the shell's trap for SIGPIPE
    std::string status;      // of sizgen, as the shell gives it
    std::string err;
  };
  const std::vector<Case> cases = {
      {"SIGPIPE at its default", "", "141", ""},
      {"SIGPIPE ignored", "trap '' PIPE; ", "1",
       "sizgen: cannot write standard output: Broken pipe\n"},
  };
  for (const Case& c : cases) {
    for (bool earlier : {false, true}) {
      SCOPED_TRACE(c.what + (earlier ? ", earlier files" : ", empty directory"));
      TempDir dir;
      if (earlier)
        for (const char* name : kGenerated) writeFile(dir.file(name), "earlier\n");
      support::ProcessResult result = shellIn(dir.path(), c.pipeSignal + "{ \"$sizgen\" " +
                                                              shellQuote(decks.file("long.deck")) +
                                                              "; echo $? >status; } | head -n 1");
      EXPECT_EQ(result.out, "  Following are  KBLTYP(1:177):\n");
      EXPECT_EQ(result.err, c.err);
      EXPECT_EQ(readFile(dir.file("status")), c.status + "\n");
      EXPECT_EQ(setIn(dir.path()), normal);
    }
  }
}

TEST(FileSafety, AnUnchangedRerunTouchesNothing) {
  TempDir dir;
  ASSERT_EQ(support::runSizgenBinary(dir.path(), kDeckA).exitStatus, 0);
  const FileSet first = setIn(dir.path());
  for (const char* name : {"newmods.for", "dimdef.for", "dum.bin", "debug.lis"})
    age(dir.file(name));
  // The same deck, and the deck with a comment card: the same files.
  for (const std::string& deck : {kDeckA, "C  a comment card\n" + kDeckA}) {
    support::ProcessResult result = support::runSizgenBinary(dir.path(), deck);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(setIn(dir.path()), first);
    for (const char* name : {"newmods.for", "dimdef.for", "dum.bin", "debug.lis"})
      EXPECT_EQ(modified(dir.file(name)), 1'000'000'000LL * 1'000'000'000LL) << name;
  }
  // Another deck: only what changed gets a new time.
  ASSERT_EQ(support::runSizgenBinary(dir.path(), kDeckA + support::listCard({"700"})).exitStatus,
            0);
  EXPECT_NE(modified(dir.file("dimdef.for")), 1'000'000'000LL * 1'000'000'000LL);
  EXPECT_EQ(modified(dir.file("dum.bin")), 1'000'000'000LL * 1'000'000'000LL);
}

TEST(FileSafety, AHardLinkToAnOutputKeepsTheOldContent) {
  TempDir dir;
  ASSERT_EQ(support::runSizgenBinary(dir.path(), kDeckA).exitStatus, 0);
  const std::string old = readFile(dir.file("newmods.for"));
  ASSERT_EQ(::link(dir.file("newmods.for").c_str(), dir.file("saved.for").c_str()), 0);
  ASSERT_EQ(support::runSizgenBinary(dir.path(), kDeckB).exitStatus, 0);
  EXPECT_EQ(readFile(dir.file("saved.for")), old);
  EXPECT_NE(readFile(dir.file("newmods.for")), old);
}

TEST(FileSafety, ARunInterruptedAtAnyMomentLeavesOneSet) {
  // Signals that end a process, and SIGKILL, at random moments of runs
  // that replace deck A's set with deck B's.  A signal that can be caught
  // leaves A's set or B's, and nothing else; SIGKILL leaves each file A's
  // or B's, and may leave a temporary.
  const int kCaught[] = {SIGTERM, SIGINT,  SIGHUP,    SIGQUIT, SIGUSR1,
                         SIGUSR2, SIGALRM, SIGVTALRM, SIGXCPU, SIGPROF};
  TempDir decks;
  writeFile(decks.file("a.deck"), kDeckA);
  writeFile(decks.file("b.deck"), kDeckB);
  const FileSet a = setOf(decks.file("a.deck"));
  const FileSet b = setOf(decks.file("b.deck"));
  // The delays span a whole run, however fast this build runs.
  long runMicroseconds = 0;
  for (int i = 0; i < 5; ++i) {
    TempDir dir;
    const auto begin = std::chrono::steady_clock::now();
    waitFor(start(dir.path(), decks.file("b.deck")));
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - begin);
    runMicroseconds = std::max(runMicroseconds, static_cast<long>(took.count()));
  }
  std::mt19937 random(13);
  std::map<std::string, int> outcomes;
  for (int round = 0; round < 300; ++round) {
    const int signal = round % 4 == 3 ? SIGKILL : kCaught[round % std::size(kCaught)];
    TempDir dir;
    ASSERT_EQ(waitFor(start(dir.path(), decks.file("a.deck"))), 0);
    const pid_t child = start(dir.path(), decks.file("b.deck"));
    const timespec delay{0, static_cast<long>(random() % (runMicroseconds + 1)) * 1000};
    ::nanosleep(&delay, nullptr);
    ::kill(child, signal);
    const int status = waitFor(child);
    const FileSet set = setIn(dir.path());
    const bool kill = signal == SIGKILL;
    ++outcomes[std::string(kill ? "SIGKILL" : "caught") + (set == b ? ", new set" : ", old set")];
    if (kill) {
      for (std::size_t i = 0; i < set.size(); ++i)
        EXPECT_TRUE(set[i] == a[i] || set[i] == b[i]) << kGenerated[i] << " in round " << round;
      continue;
    }
    SCOPED_TRACE(std::string(::strsignal(signal)) + " in round " + std::to_string(round));
    EXPECT_TRUE(set == a || set == b);
    EXPECT_TRUE(status == 0 || (WIFSIGNALED(status) && WTERMSIG(status) == signal)) << status;
    EXPECT_EQ(strayNames(dir.path(), {"newmods.for", "dimdef.for", "dum.bin", "debug.lis"}),
              std::vector<std::string>{});
  }
  // Both outcomes happen: the signals fall before and after the commit.
  EXPECT_GT(outcomes["caught, old set"], 0);
  EXPECT_GT(outcomes["caught, new set"], 0);
}

TEST(FileSafety, ADeckThatCannotBeReadCreatesNothing) {
  struct Case {
    std::string command;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"\"$sizgen\" < .", "cannot read standard input: Is a directory"},
      {"\"$sizgen\" .", "cannot open .: Is a directory"},
      {"\"$sizgen\" --diff=. /dev/null", "cannot open .: Is a directory"},
      {"\"$sizgen\" <&-", "cannot read standard input: Bad file descriptor"},
      // A closed standard input under the names that lead to it.
      {"\"$sizgen\" /dev/stdin <&-", "cannot read standard input: Bad file descriptor"},
      {"\"$sizgen\" /proc/self/fd/0 <&-", "cannot read standard input: Bad file descriptor"},
      {"\"$sizgen\" --check /dev/fd/0 <&-", "cannot read standard input: Bad file descriptor"},
      {"\"$sizgen\" --diff=/dev/stdin /dev/null <&-",
       "cannot read standard input: Bad file descriptor"},
      {"\"$sizgen\" --diff=/dev/null /dev/stdin <&-",
       "cannot read standard input: Bad file descriptor"},
      {"\"$sizgen\" --diff=- /dev/null <&-", "cannot read standard input: Bad file descriptor"},
      {"\"$sizgen\" no-such.deck", "cannot open no-such.deck: No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    TempDir dir;
    support::ProcessResult result = shellIn(dir.path(), c.command + " >/dev/null");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "sizgen: " + c.message + "\n");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  }
}

}  // namespace
}  // namespace sizgen
