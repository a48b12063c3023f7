// Streams and files that fail, through the program as a user runs it: a
// directory or a file the user may not write, a standard output that
// fails or is closed, a file system that fills up, a file-size limit.  Each
// ends with exactly one "sizgen: ..." line naming the file and the reason,
// and exit status 1, never a signal; a failed file leaves every file as it
// was, a failed listing costs no file.  Then input that is not text: NUL
// bytes, invalid UTF-8, lines of megabytes, carriage returns without line
// feeds, which are cards like any others.
//
// A file that is a directory is covered with the other open failures in
// run_errors_test.cc (FilesAfterAnError.FileThatIsADirectory).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/cards.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

namespace support = sizgen::testing;

using support::echo;
using support::kCommentEcho;
using support::kFirstEcho;

// What the program reads on standard input: `head`, then `fillCount`
// copies of `fillByte`, then `tail`.  A long line is never held whole in
// this process.
struct Deck {
  Deck(std::string text = {}) : head(std::move(text)) {}
  Deck(std::string text, std::size_t count, char byte, std::string end)
      : head(std::move(text)), fillCount(count), fillByte(byte), tail(std::move(end)) {}

  std::string head;
  std::size_t fillCount = 0;
  char fillByte = 'x';
  std::string tail;
};

// How the program is started: in a directory, and as the calls on it say.
struct Launch {
  explicit Launch(std::string where) : directory(std::move(where)) {}
  // Through a command that runs it, such as setpriv.
  Launch& through(std::vector<std::string> command) {
    prefix = std::move(command);
    return *this;
  }
  Launch& arguments(std::vector<std::string> words) {
    args = std::move(words);
    return *this;
  }
  Launch& listingTo(std::string path) {
    standardOutput = std::move(path);
    return *this;
  }
  Launch& standardInputClosed() {
    closeStandardInput = true;
    return *this;
  }
  Launch& standardOutputClosed() {
    closeStandardOutput = true;
    return *this;
  }
  Launch& fileSizeLimit(rlim_t bytes) {
    sizeLimit = bytes;
    return *this;
  }

  std::string directory;
  std::vector<std::string> prefix;
  std::vector<std::string> args;
  std::string standardOutput;  // a path to write to; empty: captured
  bool closeStandardInput = false;
  bool closeStandardOutput = false;
  rlim_t sizeLimit = RLIM_INFINITY;
};

struct Outcome {
  int exitStatus = -1;  // -1: ended by a signal
  int signal = 0;       // the signal that ended it
  std::string out;      // standard output when captured
  std::string err;
  long peakKilobytes = 0;  // the largest resident set of the process
};

std::ostream& operator<<(std::ostream& stream, const Outcome& outcome) {
  return stream << "exit status " << outcome.exitStatus << ", signal " << outcome.signal
                << ", standard error \"" << outcome.err << "\"";
}

// Writes all of `data` to `fd`; false once the reader has gone.
bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

void feed(int fd, const Deck& deck) {
  if (!writeAll(fd, deck.head.data(), deck.head.size())) return;
  const std::string chunk(std::min<std::size_t>(deck.fillCount, std::size_t{1} << 20),
                          deck.fillByte);
  for (std::size_t left = deck.fillCount; left > 0;) {
    std::size_t n = std::min(left, chunk.size());
    if (!writeAll(fd, chunk.data(), n)) return;
    left -= n;
  }
  writeAll(fd, deck.tail.data(), deck.tail.size());
}

// Runs the sizgen binary with the deck fed through a pipe, as `how` says,
// and waits for it.
Outcome launch(const Launch& how, const Deck& deck = {}) {
  support::TempDir scratch;
  const std::string outPath = how.standardOutput.empty() ? scratch.file("out") : how.standardOutput;
  std::vector<std::string> words = how.prefix;
  words.push_back(SIZGEN_BINARY);
  words.insert(words.end(), how.args.begin(), how.args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  int out = how.closeStandardOutput
                ? -1
                : ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  int err = ::open(scratch.file("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  int deckPipe[2];
  if ((!how.closeStandardOutput && out < 0) || err < 0 || ::pipe2(deckPipe, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "cannot set up the run: " << std::strerror(errno);
    return {};
  }
  // A program that stops reading early must not end this one.
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGPIPE, &ignore, &previous);

  pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGPIPE, SIG_DFL);
    ::signal(SIGXFSZ, SIG_DFL);
    if (how.closeStandardInput) {
      ::close(0);
    } else {
      ::dup2(deckPipe[0], 0);
    }
    if (how.closeStandardOutput) {
      ::close(1);
    } else {
      ::dup2(out, 1);
    }
    ::dup2(err, 2);
    if (::chdir(how.directory.c_str()) != 0) ::_exit(126);
    if (how.sizeLimit != RLIM_INFINITY) {
      rlimit limit{how.sizeLimit, how.sizeLimit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(deckPipe[0]);
  if (out >= 0) ::close(out);
  ::close(err);
  if (child > 0) feed(deckPipe[1], deck);
  ::close(deckPipe[1]);

  Outcome outcome;
  int status = 0;
  rusage usage{};
  if (child < 0 || ::wait4(child, &status, 0, &usage) != child) {
    ADD_FAILURE() << "cannot run " << words.front() << ": " << std::strerror(errno);
  } else if (WIFEXITED(status)) {
    outcome.exitStatus = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    outcome.signal = WTERMSIG(status);
  }
  ::sigaction(SIGPIPE, &previous, nullptr);
  outcome.peakKilobytes = usage.ru_maxrss;
  if (how.standardOutput.empty() && !how.closeStandardOutput)
    outcome.out = support::readFile(outPath);
  outcome.err = support::readFile(scratch.file("err"));
  return outcome;
}

constexpr std::string_view kGeneratedFiles[] = {"newmods.for", "dimdef.for", "debug.lis"};

// The files of a normal run of the empty deck.
struct Files {
  std::string newmods, dimdef, debug;
  const std::string& operator[](std::string_view name) const {
    return name == "newmods.for" ? newmods : name == "dimdef.for" ? dimdef : debug;
  }
};

Files filesIn(const std::string& directory) {
  return {support::readFile(directory + "/newmods.for"),
          support::readFile(directory + "/dimdef.for"),
          support::readFile(directory + "/debug.lis")};
}

const Files& normalFiles() {
  static const Files files = [] {
    support::TempDir dir;
    Outcome outcome = launch(Launch(dir.path()));
    EXPECT_EQ(outcome.exitStatus, 0) << outcome;
    return filesIn(dir.path());
  }();
  return files;
}

std::size_t lineCount(std::string_view text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

constexpr std::string_view kClosingLine = " Normal termination of  \"SIZGEN\".";

// --- Permissions --------------------------------------------------------

// The command that runs the program as an unprivileged user when this test
// runs as root (root may write anywhere); empty when it is not root;
// nothing when no such command works here.
std::optional<std::vector<std::string>> unprivileged() {
  static const std::optional<std::vector<std::string>> prefix =
      []() -> std::optional<std::vector<std::string>> {
    if (::geteuid() != 0) return std::vector<std::string>{};
    const std::vector<std::vector<std::string>> candidates = {
        {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"},
        {"runuser", "-u", "nobody", "--"},
    };
    for (const auto& candidate : candidates) {
      Outcome probe = launch(Launch("/").through(candidate).arguments({"--version"}));
      if (probe.exitStatus == 0 && probe.out.starts_with("sizgen ")) return candidate;
    }
    return std::nullopt;
  }();
  return prefix;
}

#define SKIP_UNLESS_UNPRIVILEGED(prefix)                                                  \
  if (!(prefix))                                                                          \
  GTEST_SKIP() << "running as root, and neither setpriv nor runuser can run the program " \
                  "as user 65534 (nobody) here"

TEST(NoWritePermission, DirectoryTheUserMayNotWrite) {
  auto prefix = unprivileged();
  SKIP_UNLESS_UNPRIVILEGED(prefix);
  support::TempDir dir;
  ::chmod(dir.path().c_str(), 0711);  // the user may pass through, not list or write
  const std::string readOnly = dir.file("read-only");
  ASSERT_EQ(::mkdir(readOnly.c_str(), 0555), 0);
  ASSERT_EQ(::chmod(readOnly.c_str(), 0555), 0);  // whatever the umask

  Outcome outcome = launch(Launch(readOnly).through(*prefix), Deck("DEFAULT      2.0\n"));
  EXPECT_EQ(outcome.exitStatus, 1) << outcome;
  EXPECT_EQ(outcome.err, "sizgen: cannot open newmods.for: Permission denied\n");
  EXPECT_EQ(outcome.out, "");
  EXPECT_TRUE(std::filesystem::is_empty(readOnly));
}

TEST(NoWritePermission, ReadOnlyFileInAWritableDirectory) {
  auto prefix = unprivileged();
  SKIP_UNLESS_UNPRIVILEGED(prefix);
  support::TempDir dir;
  ::chmod(dir.path().c_str(), 0777);  // anyone may create files here
  support::writeFile(dir.file("newmods.for"), "earlier newmods\n");
  ASSERT_EQ(::chmod(dir.file("newmods.for").c_str(), 0444), 0);

  Outcome outcome = launch(Launch(dir.path()).through(*prefix));
  EXPECT_EQ(outcome.exitStatus, 1) << outcome;
  EXPECT_EQ(outcome.err, "sizgen: cannot open newmods.for: Permission denied\n");
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(support::readFile(dir.file("newmods.for")), "earlier newmods\n");
  // newmods.for is opened first: nothing else was created.
  EXPECT_FALSE(support::fileExists(dir.file("dimdef.for")));
  EXPECT_FALSE(support::fileExists(dir.file("dum.bin")));
  EXPECT_FALSE(support::fileExists(dir.file("debug.lis")));
}

TEST(NoWritePermission, WritableFilesInADirectoryTheUserMayNotWrite) {
  // A file is replaced by a new one written beside it: the directory must
  // allow that, even when the files themselves may be written.
  auto prefix = unprivileged();
  SKIP_UNLESS_UNPRIVILEGED(prefix);
  support::TempDir dir;
  ::chmod(dir.path().c_str(), 0711);
  const std::string readOnly = dir.file("read-only");
  ASSERT_EQ(::mkdir(readOnly.c_str(), 0755), 0);
  for (std::string_view name : {"newmods.for", "dimdef.for", "dum.bin", "debug.lis"}) {
    support::writeFile(readOnly + "/" + std::string(name), "earlier\n");
    ASSERT_EQ(::chmod((readOnly + "/" + std::string(name)).c_str(), 0666), 0);
  }
  ASSERT_EQ(::chmod(readOnly.c_str(), 0555), 0);

  Outcome outcome = launch(Launch(readOnly).through(*prefix));
  EXPECT_EQ(outcome.exitStatus, 1) << outcome;
  EXPECT_EQ(outcome.err, "sizgen: cannot replace newmods.for: its directory is not writable\n");
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(support::readFile(readOnly + "/newmods.for"), "earlier\n");
}

TEST(NoWritePermission, ReadOnlyScratchFileIsConnectedAndKept) {
  // dum.bin is never written, so a file the user may only read will do.
  auto prefix = unprivileged();
  SKIP_UNLESS_UNPRIVILEGED(prefix);
  support::TempDir dir;
  ::chmod(dir.path().c_str(), 0777);
  support::writeFile(dir.file("dum.bin"), "kept");
  ASSERT_EQ(::chmod(dir.file("dum.bin").c_str(), 0444), 0);

  Outcome outcome = launch(Launch(dir.path()).through(*prefix));
  EXPECT_EQ(outcome.exitStatus, 0) << outcome;
  EXPECT_EQ(support::readFile(dir.file("dum.bin")), "kept");
  EXPECT_EQ(lineCount(support::readFile(dir.file("newmods.for"))), 211u);
}

TEST(NoWritePermission, DirectoryTheUserMayWriteButNotRead) {
  // A directory of mode 0300 cannot be opened to lock it: runs there lock a
  // file .sizgen.lock in it instead.  A run waits while another holds that
  // lock, and runs at once, as an ordinary user, leave one run's set.
  auto prefix = unprivileged();
  SKIP_UNLESS_UNPRIVILEGED(prefix);
  support::TempDir dir;
  ::chmod(dir.path().c_str(), 0711);
  const std::string dropBox = dir.file("drop-box");
  ASSERT_EQ(::mkdir(dropBox.c_str(), 0700), 0);
  const uid_t user = prefix->empty() ? ::geteuid() : 65534;
  const gid_t group = prefix->empty() ? ::getegid() : 65534;
  ASSERT_EQ(::chown(dropBox.c_str(), user, group), 0);
  ASSERT_EQ(::chmod(dropBox.c_str(), 0300), 0);
  const std::vector<std::string> decks = {"DEFAULT      2.0\n", "SCALE        0.5\n"};
  std::vector<Files> sets;
  for (std::size_t i = 0; i < decks.size(); ++i) {
    support::writeFile(dir.file("deck" + std::to_string(i)), decks[i]);
    support::TempDir plain;
    ASSERT_EQ(launch(Launch(plain.path()), Deck(decks[i])).exitStatus, 0);
    sets.push_back(filesIn(plain.path()));
  }
  const auto isOneSet = [&](const Files& files) {
    return std::any_of(sets.begin(), sets.end(), [&](const Files& set) {
      return files.newmods == set.newmods && files.dimdef == set.dimdef && files.debug == set.debug;
    });
  };
  // `count` runs at once in the drop box, each deck in turn; the shell
  // command that starts them and waits for them, their statuses in
  // status.1, status.2, ...
  std::string run;
  for (const std::string& word : *prefix) run += support::shellQuote(word) + " ";
  run += support::shellQuote(SIZGEN_BINARY);
  const std::string at = support::shellQuote(dir.path());
  const auto runsAtOnce = [&](int count) {
    return "cd " + support::shellQuote(dropBox) + " && for i in $(seq " + std::to_string(count) +
           "); do { " + run + " <" + at + "/deck$((i % 2)) >/dev/null 2>" + at +
           "/err.$i; echo $? >" + at + "/status.$i; } & done; wait";
  };

  // Another run holds the lock: this one waits for it.
  const std::string lockPath = dropBox + "/.sizgen.lock";
  const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(::fchown(lock, user, group), 0);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);
  const std::string oneRun = runsAtOnce(1);
  const pid_t waiting = ::fork();
  if (waiting == 0) {
    ::execl("/bin/sh", "sh", "-c", oneRun.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::usleep(300'000);
  EXPECT_FALSE(support::fileExists(dir.file("status.1"))) << "the run did not wait for the lock";
  EXPECT_FALSE(support::fileExists(dropBox + "/newmods.for"));
  ::close(lock);
  int status = -1;
  ASSERT_EQ(::waitpid(waiting, &status, 0), waiting);
  EXPECT_EQ(support::readFile(dir.file("status.1")), "0\n");
  EXPECT_EQ(support::readFile(dir.file("err.1")), "");
  EXPECT_TRUE(isOneSet(filesIn(dropBox)));

  // Six runs at once, of two decks, ten times.
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    support::ProcessResult result = support::runCommand(runsAtOnce(6));
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    for (int i = 1; i <= 6; ++i) {
      EXPECT_EQ(support::readFile(dir.file("status." + std::to_string(i))), "0\n");
      EXPECT_EQ(support::readFile(dir.file("err." + std::to_string(i))), "");
    }
    EXPECT_TRUE(isOneSet(filesIn(dropBox)));
  }
  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dropBox))
    left.insert(entry.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{".sizgen.lock", "newmods.for", "dimdef.for", "dum.bin",
                                         "debug.lis"}));
}

// --- Append-only directories and files ----------------------------------

TEST(AppendOnly, RefusedBeforeAnythingIsWritten) {
  // No name in an append-only directory (chattr +a) can be removed or
  // renamed: a run there could neither replace a file nor remove its
  // temporaries.  An append-only file cannot be replaced either.
  struct Case {
    std::string what;
    bool earlierSet;
    std::string appendOnly;  // relative to the directory
    std::string message;
  };
  const std::vector<Case> cases = {
      {"directory with an earlier set", true, ".",
       "cannot replace newmods.for: its directory is append-only"},
      {"empty directory", false, ".", "cannot open newmods.for: its directory is append-only"},
      {"dimdef.for", true, "dimdef.for", "cannot replace dimdef.for: Operation not permitted"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    support::TempDir dir;
    if (c.earlierSet) {
      for (std::string_view name : {"newmods.for", "dimdef.for", "dum.bin", "debug.lis"})
        support::writeFile(dir.file(std::string(name)), "earlier\n");
    }
    const std::string target = support::shellQuote(dir.path() + "/" + c.appendOnly);
    if (support::runCommand("chattr +a " + target + " 2>&1").exitStatus != 0) {
      GTEST_SKIP() << "chattr +a does not work here (a file system without the attribute, or "
                      "no CAP_LINUX_IMMUTABLE)";
    }
    struct Undo {
      std::string target;
      ~Undo() { support::runCommand("chattr -a " + target); }
    } undo{target};
    std::vector<std::string> before;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      before.push_back(entry.path().filename().string());

    Outcome outcome = launch(Launch(dir.path()), Deck("DEFAULT      2.0\n"));
    EXPECT_EQ(outcome.exitStatus, 1) << outcome;
    EXPECT_EQ(outcome.err, "sizgen: " + c.message + "\n");
    EXPECT_EQ(outcome.out, "");
    std::vector<std::string> after;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      after.push_back(entry.path().filename().string());
    EXPECT_EQ(after, before) << "no temporary is left";
  }
}

TEST(FilesPushedOutAtTheEnd, FailureComesBeforeTheClosingLine) {
  // dimdef.for and debug.lis of the empty deck fit one stdio buffer each:
  // they reach the device only when the run pushes them out at the end,
  // which must happen before the closing line says the run went well.
  for (std::string_view name : {"dimdef.for", "debug.lis"}) {
    support::TempDir dir;
    ASSERT_EQ(::symlink("/dev/full", dir.file(name).c_str()), 0);
    Outcome outcome = launch(Launch(dir.path()));
    EXPECT_EQ(outcome.exitStatus, 1) << outcome;
    EXPECT_EQ(outcome.err,
              "sizgen: cannot write " + std::string(name) + ": No space left on device\n");
    EXPECT_EQ(outcome.out.find(kClosingLine), std::string::npos) << name;
  }
}

// --- Standard output and standard input ---------------------------------

// A deck of comment cards whose listing is many stdio buffers long.
Deck commentCards(int count) {
  Deck deck;
  for (int i = 0; i < count; ++i) deck.head += "C comment card " + std::to_string(i + 1) + "\n";
  return deck;
}

TEST(StandardStreams, FullDeviceAtTheLastFlush) {
  // The listing of the empty deck fits one buffer: the failure shows when
  // the run pushes it out at the end, after all of the generation.
  support::TempDir dir;
  Outcome outcome = launch(Launch(dir.path()).listingTo("/dev/full"));
  EXPECT_EQ(outcome.exitStatus, 1) << outcome;
  EXPECT_EQ(outcome.err, "sizgen: cannot write standard output: No space left on device\n");
  EXPECT_EQ(lineCount(support::readFile(dir.file("newmods.for"))), 211u);
}

TEST(StandardStreams, FullDeviceDuringTheDeck) {
  // The echo of 2000 comment cards fills many buffers: the first failed
  // one stops the listing while the deck is being read; the run goes on
  // and writes the files in full.
  support::TempDir dir;
  Outcome outcome = launch(Launch(dir.path()).listingTo("/dev/full"), commentCards(2000));
  EXPECT_EQ(outcome.exitStatus, 1) << outcome;
  EXPECT_EQ(outcome.err, "sizgen: cannot write standard output: No space left on device\n");
  for (std::string_view name : kGeneratedFiles)
    EXPECT_EQ(support::readFile(dir.file(name)), normalFiles()[name]) << name;
}

TEST(StandardStreams, ClosedStandardOutput) {
  // The files must not take the place of the closed stream: the listing
  // cannot be written, and newmods.for holds just its own lines.
  support::TempDir dir;
  Outcome outcome = launch(Launch(dir.path()).standardOutputClosed());
  EXPECT_EQ(outcome.exitStatus, 1) << outcome;
  EXPECT_EQ(outcome.err, "sizgen: cannot write standard output: Bad file descriptor\n");
  EXPECT_TRUE(support::readFile(dir.file("newmods.for")) == normalFiles().newmods)
      << "newmods.for is not what a normal run writes";
}

TEST(StandardStreams, ClosedStandardInput) {
  // The deck must not be read from a file the run opened: reading fails,
  // and newmods.for keeps what it held.
  support::TempDir dir;
  support::writeFile(dir.file("newmods.for"), "DEFAULT      2.0\n");
  Outcome outcome = launch(Launch(dir.path()).standardInputClosed());
  EXPECT_EQ(outcome.exitStatus, 1) << outcome;
  EXPECT_EQ(outcome.err, "sizgen: cannot read standard input: Bad file descriptor\n");
  EXPECT_EQ(support::readFile(dir.file("newmods.for")), "DEFAULT      2.0\n");
  EXPECT_EQ(outcome.out.find("Default multiplier"), std::string::npos) << outcome.out;
}

// --- A file system that fills up, a file-size limit ---------------------

// A small tmpfs mounted on `directory` for the life of the object.
class SmallFileSystem {
 public:
  SmallFileSystem(const std::string& directory, std::size_t bytes) : directory_(directory) {
    std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("tmpfs", directory.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
      failure_ = std::strerror(errno);
  }
  ~SmallFileSystem() {
    if (failure_.empty() && ::umount(directory_.c_str()) != 0)
      ::umount2(directory_.c_str(), MNT_DETACH);
  }
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  const std::string& failure() const { return failure_; }

 private:
  std::string directory_;
  std::string failure_;
};

TEST(FullFileSystem, EachFileInTurn) {
  support::TempDir dir;
  const std::string mountPoint = dir.file("small");
  ASSERT_EQ(::mkdir(mountPoint.c_str(), 0755), 0);
  const long page = ::sysconf(_SC_PAGESIZE);
  constexpr long kPages = 16;
  SmallFileSystem fileSystem(mountPoint, static_cast<std::size_t>(kPages * page));
  if (!fileSystem.failure().empty())
    GTEST_SKIP() << "cannot mount a tmpfs here (" << fileSystem.failure() << ")";

  // Leave 0, 1, 2, ... pages free, until the run has room for its files.
  // The file that meets the full file system first is named, whichever it
  // is; over the runs each of the three generated files meets it.
  std::set<std::string> named;
  bool succeeded = false;
  for (long free = 0; free <= kPages && !succeeded; ++free) {
    SCOPED_TRACE("pages left free: " + std::to_string(free));
    for (const auto& entry : std::filesystem::directory_iterator(mountPoint))
      std::filesystem::remove(entry.path());
    support::writeFile(mountPoint + "/filler",
                       std::string(static_cast<std::size_t>((kPages - free) * page), '.'));
    struct statvfs space {};
    ASSERT_EQ(::statvfs(mountPoint.c_str(), &space), 0);
    ASSERT_EQ(static_cast<long>(space.f_bavail * space.f_frsize), free * page);

    Outcome outcome = launch(Launch(mountPoint));
    if (outcome.exitStatus == 0) {
      EXPECT_EQ(outcome.err, "");
      EXPECT_NE(outcome.out.find(kClosingLine), std::string::npos);
      succeeded = true;
      continue;
    }
    ASSERT_EQ(outcome.exitStatus, 1) << outcome;
    std::string name;
    for (std::string_view candidate : kGeneratedFiles) {
      if (outcome.err ==
          "sizgen: cannot write " + std::string(candidate) + ": No space left on device\n")
        name = candidate;
    }
    ASSERT_NE(name, "") << outcome;
    named.insert(name);
    // Nothing was created: no file, no temporary.
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(mountPoint))
      left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"filler"});
  }
  EXPECT_TRUE(succeeded);
  EXPECT_EQ(named, (std::set<std::string>{"debug.lis", "dimdef.for", "newmods.for"}));
}

TEST(FileSizeLimit, WriteBeyondTheLimit) {
  // A write beyond the limit fails ("File too large") instead of ending
  // the process with SIGXFSZ, which is left at its default here.
  // newmods.for is the largest file and the first written: it meets the
  // limit, and the earlier file stays as it was.
  const std::size_t newmodsSize = normalFiles().newmods.size();
  // (Standard error is a file here too: each limit leaves room for the
  // message.)
  for (std::size_t limit : {std::size_t{100}, std::size_t{5000}, newmodsSize - 1}) {
    SCOPED_TRACE("limit " + std::to_string(limit) + " bytes");
    support::TempDir dir;
    support::writeFile(dir.file("newmods.for"), "earlier\n");
    Outcome outcome = launch(Launch(dir.path()).fileSizeLimit(limit));
    EXPECT_EQ(outcome.exitStatus, 1) << outcome;
    EXPECT_EQ(outcome.err, "sizgen: cannot write newmods.for: File too large\n");
    EXPECT_EQ(support::readFile(dir.file("newmods.for")), "earlier\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "only the earlier newmods.for";
  }
  // The listing is a file too: a long one meets a limit the other files
  // stay under.
  support::TempDir dir;
  Outcome outcome = launch(Launch(dir.path()).fileSizeLimit(4 * newmodsSize), commentCards(2000));
  EXPECT_EQ(outcome.exitStatus, 1) << outcome;
  EXPECT_EQ(outcome.err, "sizgen: cannot write standard output: File too large\n");
  EXPECT_EQ(outcome.out.size(), 4 * newmodsSize);
  EXPECT_EQ(filesIn(dir.path()).newmods, normalFiles().newmods);
}

// --- Input that is not text ---------------------------------------------

TEST(NonTextInput, BytesAreEchoedAsRead) {
  const std::vector<std::string> cards = {
      std::string("C NUL \0 and \0\0 end", 19),
      "C invalid UTF-8: \xc3\x28 \xa0\xa1 \xff\xfe \xed\xa0\x80 \xf8\x88\x80\x80\x80",
      "C valid UTF-8: \xc3\xa9t\xc3\xa9 \xe2\x82\xac",
      "C controls: \x01\x02\x1b[0m\t\x7f\x0c\x0b",
      "C carriage return\rinside",
  };
  Deck deck;
  std::string echoes;
  for (const std::string& card : cards) {
    deck.head += card + "\n";
    echoes += echo(kCommentEcho, card);
  }
  support::TempDir dir;
  Outcome outcome = launch(Launch(dir.path()), deck);
  EXPECT_EQ(outcome.exitStatus, 0) << outcome;
  EXPECT_EQ(outcome.err, "");
  EXPECT_NE(outcome.out.find(echoes), std::string::npos);
  EXPECT_NE(outcome.out.find(kClosingLine), std::string::npos);
  EXPECT_EQ(filesIn(dir.path()).newmods, normalFiles().newmods);
}

TEST(NonTextInput, LinesOfMegabytes) {
  // A comment card of 5 MB counts as one card of 80 columns: the next line
  // is card 2.
  {
    support::TempDir dir;
    Outcome outcome = launch(Launch(dir.path()), Deck("C ", 5'000'000, '\xff', "\nx\n"));
    EXPECT_EQ(outcome.exitStatus, 1) << outcome;
    EXPECT_EQ(outcome.err, "sizgen: card 2, columns 1-8: cannot read \"x\" as an integer\n");
    EXPECT_NE(outcome.out.find(echo(kCommentEcho, "C " + std::string(78, '\xff'))),
              std::string::npos);
  }
  // A line of 3 MB of NUL bytes is a list-size card that cannot be read.
  {
    support::TempDir dir;
    Outcome outcome = launch(Launch(dir.path()), Deck("", 3'000'000, '\0', "\n"));
    EXPECT_EQ(outcome.exitStatus, 1) << outcome;
    std::string nuls;
    for (int i = 0; i < 8; ++i) nuls += "\\x00";
    EXPECT_EQ(outcome.err,
              "sizgen: card 1, columns 1-8: cannot read \"" + nuls + "\" as an integer\n");
    EXPECT_NE(outcome.out.find(echo(kFirstEcho, std::string(80, '\0'))), std::string::npos);
  }
}

TEST(NonTextInput, MemoryDoesNotGrowWithLineLength) {
  // One comment card of 1 MB, 64 MB and 100 MB, through a pipe: the peak
  // resident set stays the same.
  auto peak = [](std::size_t length) {
    support::TempDir dir;
    Outcome outcome = launch(Launch(dir.path()), Deck("C ", length, 'm', "\n"));
    EXPECT_EQ(outcome.exitStatus, 0) << outcome;
    EXPECT_NE(outcome.out.find(echo(kCommentEcho, "C " + std::string(78, 'm'))), std::string::npos);
    return outcome.peakKilobytes;
  };
  const long small = peak(1 << 20);
  const long large = peak(64 << 20);
  const long huge = peak(100'000'000);
  EXPECT_GT(small, 0);
  EXPECT_LT(large - small, 10 * 1024) << "kilobytes: " << small << " and " << large;
  EXPECT_LT(huge - small, 10 * 1024) << "kilobytes: " << small << " and " << huge;
}

TEST(NonTextInput, CarriageReturnsWithoutLineFeeds) {
  // A deck whose lines end in CR alone is one line: one card, its first
  // 80 columns echoed with the carriage returns as they are.
  Deck deck;
  for (int i = 0; i < 100'000; ++i) deck.head += "C card\r";
  support::TempDir dir;
  Outcome outcome = launch(Launch(dir.path()), deck);
  EXPECT_EQ(outcome.exitStatus, 0) << outcome;
  EXPECT_EQ(outcome.err, "") << "a comment card's text past column 80 is comment too";
  const std::string cardEcho = echo(kCommentEcho, deck.head);
  ASSERT_NE(outcome.out.find(cardEcho), std::string::npos);
  EXPECT_EQ(outcome.out.find(kCommentEcho), outcome.out.rfind(kCommentEcho)) << "one card only";
  EXPECT_NE(outcome.out.find(kClosingLine), std::string::npos);
}

TEST(NonTextInput, MillionEmptyLines) {
  // Empty lines are list-size cards: the deck ends after the offsets card,
  // the fourth, and the rest of the input is left unread.
  support::TempDir dir;
  auto start = std::chrono::steady_clock::now();
  Outcome outcome = launch(Launch(dir.path()), Deck("", 1'000'000, '\n', ""));
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(outcome.exitStatus, 0) << outcome;
  EXPECT_EQ(outcome.err, "");
  const std::string blank(80, ' ');
  EXPECT_NE(outcome.out.find(" 1st card (Lists  1-10).       1" + blank + "\n" +
                             " 2nd card (Lists 11-20).       1" + blank + "\n" +
                             " 3rd card (Lists 21-29).       1" + blank + "\n" +
                             " Supplemental offsets.         1" + blank + "\n" + " ---"),
            std::string::npos)
      << outcome.out;
  EXPECT_LT(elapsed, std::chrono::seconds(2));
}

TEST(NonTextInput, ArbitraryBytes) {
  // Decks of random bytes and short random lines: each run ends normally
  // or with one message, never with a signal.
  std::mt19937 random(20240611);
  for (int trial = 0; trial < 12; ++trial) {
    Deck deck;
    const std::size_t size = 1 + random() % 4000;
    for (std::size_t i = 0; i < size; ++i) {
      auto byte = static_cast<char>(random() % 256);
      deck.head += random() % 40 == 0 ? '\n' : byte;
    }
    if (trial % 3 == 0) deck.head = "C " + deck.head;  // the first card a comment
    SCOPED_TRACE("trial " + std::to_string(trial));
    support::TempDir dir;
    Outcome outcome = launch(Launch(dir.path()), deck);
    if (outcome.exitStatus == 0) {
      EXPECT_EQ(outcome.err, "");
    } else {
      EXPECT_EQ(outcome.exitStatus, 1) << outcome;
      EXPECT_TRUE(outcome.err.starts_with("sizgen: ")) << outcome;
      EXPECT_EQ(lineCount(outcome.err), 1u) << outcome;
      EXPECT_TRUE(outcome.err.ends_with("\n")) << outcome;
    }
  }
}

}  // namespace
}  // namespace sizgen
