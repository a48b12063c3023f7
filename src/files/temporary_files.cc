#include "files/temporary_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "base/error.h"
#include "files/ending_signals.h"
#include "files/paths.h"

namespace sizgen {
namespace {

// The names a commit holds, where the signal handler can reach them:
// fixed storage, a path written before it is counted.  A commit has at
// most one temporary per output, and while it renames, one hard link to
// each old file.
constexpr std::size_t kMostTemporaries = 8;
std::array<std::array<char, PATH_MAX>, 2 * kMostTemporaries> heldPaths{};
volatile std::sig_atomic_t heldCount = 0;

extern "C" void removeTemporariesAndEnd(int signal) {
  for (std::sig_atomic_t i = 0; i < heldCount; ++i) ::unlink(heldPaths.at(i).data());
  // Ends the process by the same signal, as if it had not been caught:
  // raised while the handler holds it back, it takes effect on return.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(signal, &fallback, nullptr);
  ::raise(signal);
}

// Six letters and digits that differ between calls and processes.
std::string randomSuffix() {
  static std::uint64_t counter = 0;
  static const pid_t process = ::getpid();
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::uint64_t bits = static_cast<std::uint64_t>(now.tv_nsec) ^
                       (static_cast<std::uint64_t>(process) << 20U) ^
                       (++counter * 0x9E3779B97F4A7C15U);
  constexpr std::string_view kLetters =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string suffix;
  for (int i = 0; i < 6; ++i) {
    suffix += kLetters[bits % kLetters.size()];
    bits /= kLetters.size();
  }
  return suffix;
}

// Gives `make` fresh names ".NAME.XXXXXX" beside `target` until it makes
// one that did not exist; returns that name, or nothing with `error` set.
template <typename Make>
std::string freshName(const std::string& target, int& error, Make make) {
  const auto [directory, base] = splitPath(target);
  for (int attempt = 0; attempt <= 100; ++attempt) {
    std::string path = directory;
    path.append(".").append(base).append(".").append(randomSuffix());
    if (path.size() >= PATH_MAX) {
      error = ENAMETOOLONG;
      return {};
    }
    if (make(path)) return path;
    error = errno;
    if (error != EEXIST) return {};
  }
  return {};
}

[[noreturn]] void fail(std::string_view output, int error) {
  throw Error("cannot write " + std::string(output) + ": " + std::strerror(error));
}

}  // namespace

TemporaryFiles::TemporaryFiles() {
  const sigset_t ending = endingSignalSet();
  for (int signal = 1; signal < NSIG; ++signal) {
    if (sigismember(&ending, signal) != 1) continue;
    struct sigaction previous {};
    if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = removeTemporariesAndEnd;
    // One handler at a time: a second signal waits for the first to end
    // the process.
    action.sa_mask = ending;
    ::sigaction(signal, &action, nullptr);
    previous_.emplace_back(signal, previous);
  }
}

TemporaryFiles::~TemporaryFiles() {
  for (const std::string& path : held()) ::unlink(path.c_str());
  heldCount = 0;
  for (const auto& [signal, previous] : previous_) ::sigaction(signal, &previous, nullptr);
}

std::vector<std::string> TemporaryFiles::held() const {
  std::vector<std::string> names;
  for (const Temporary& file : files_) {
    if (file.step == Step::Written || file.step == Step::Exchanged) names.push_back(file.path);
    if (!file.backup.empty()) names.push_back(file.backup);
  }
  return names;
}

void TemporaryFiles::publish() const {
  const std::vector<std::string> names = held();
  heldCount = 0;
  for (std::size_t i = 0; i < names.size(); ++i)
    std::memcpy(heldPaths.at(i).data(), names[i].c_str(), names[i].size() + 1);
  heldCount = static_cast<std::sig_atomic_t>(names.size());
}

int TemporaryFiles::create(const std::string& target, std::string_view output) {
  if (files_.size() >= kMostTemporaries) fail(output, EMFILE);
  int fd = -1;
  int error = 0;
  // Created and counted with the signals held back: the handler finds
  // every temporary that exists, and removes nobody else's file.
  const EndingSignalsHeldBack heldBack;
  std::string path = freshName(target, error, [&](const std::string& candidate) {
    fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return fd >= 0;
  });
  if (fd < 0) fail(output, error);
  files_.push_back({std::move(path), target, std::string(output), Step::Written, {}});
  publish();
  return fd;
}

void TemporaryFiles::put(Temporary& file, const Rename& rename) {
  // An existing file is exchanged with its temporary: the name holds the
  // old file or the new one at every moment, as with rename(2), and the
  // old file stays at hand until the whole set is in place.  Renaming onto
  // an existing file would also make some file systems (ext4) start
  // writing the new file to the disk at once, and the next run that
  // replaces it wait milliseconds for that write.
  int error = rename(file.path, file.target, RENAME_EXCHANGE);
  if (error == 0) {
    file.step = Step::Exchanged;
    return;
  }
  // No file there yet (ENOENT), or a file system that cannot exchange
  // (EINVAL, ENOSYS): the old file, if any, is kept by a hard link, and
  // the temporary renamed onto the target.  A file system without hard
  // links keeps nothing.
  if (error != ENOENT && error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
    fail(file.output, error);
  bool existed = error != ENOENT;
  if (existed) {
    int linkError = 0;
    file.backup = freshName(file.target, linkError, [&](const std::string& candidate) {
      return ::link(file.target.c_str(), candidate.c_str()) == 0;
    });
    existed = linkError != ENOENT;
  }
  error = rename(file.path, file.target, 0);
  if (error != 0) {
    if (!file.backup.empty() && ::unlink(file.backup.c_str()) == 0) file.backup.clear();
    fail(file.output, error);
  }
  file.step = existed ? Step::Replaced : Step::Created;
}

void TemporaryFiles::putBack(Temporary& file, const Rename& rename) {
  switch (file.step) {
    case Step::Exchanged:
      if (rename(file.path, file.target, RENAME_EXCHANGE) == 0) file.step = Step::Written;
      break;
    case Step::Created:
      if (::unlink(file.target.c_str()) == 0) file.step = Step::Gone;
      break;
    case Step::Replaced:
      if (!file.backup.empty() && rename(file.backup, file.target, 0) == 0) file.backup.clear();
      file.step = Step::Gone;
      break;
    case Step::Written:
    case Step::Gone:
      break;
  }
}

void TemporaryFiles::renameAll(const Rename& rename) {
  std::size_t done = 0;
  try {
    for (; done < files_.size(); ++done) put(files_[done], rename);
  } catch (...) {
    while (done > 0) putBack(files_[--done], rename);
    publish();
    throw;
  }
  // The whole set is in place: the old files go.
  for (Temporary& file : files_) {
    if (file.step == Step::Exchanged) ::unlink(file.path.c_str());
    if (!file.backup.empty()) ::unlink(file.backup.c_str());
  }
  files_.clear();
  publish();
}

EndingSignalsHeldBack::EndingSignalsHeldBack() {
  const sigset_t set = endingSignalSet();
  ::sigprocmask(SIG_BLOCK, &set, &previous_);
}

EndingSignalsHeldBack::~EndingSignalsHeldBack() {
  ::sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace sizgen
