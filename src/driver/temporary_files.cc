#include "driver/temporary_files.h"

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

namespace sizgen {
namespace {

constexpr std::array kInterruptingSignals = {SIGINT, SIGTERM, SIGHUP};

// The temporaries that exist, where the signal handler can reach them:
// fixed storage, a path written before it is counted.  A commit has at
// most one temporary per output.
constexpr int kMostTemporaries = 8;
std::array<std::array<char, PATH_MAX>, kMostTemporaries> heldPaths{};
volatile std::sig_atomic_t heldCount = 0;

extern "C" void removeTemporariesAndEnd(int signal) {
  for (std::sig_atomic_t i = 0; i < heldCount; ++i) ::unlink(heldPaths.at(i).data());
  // Ends the process by the same signal, as if it had not been caught.
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

sigset_t interruptingSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kInterruptingSignals) sigaddset(&set, signal);
  return set;
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

[[noreturn]] void fail(std::string_view output, int error) {
  throw Error("cannot write " + std::string(output) + ": " + std::strerror(error));
}

}  // namespace

TemporaryFiles::TemporaryFiles() {
  for (int signal : kInterruptingSignals) {
    struct sigaction previous {};
    if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = removeTemporariesAndEnd;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    previous_.emplace_back(signal, previous);
  }
}

TemporaryFiles::~TemporaryFiles() {
  for (const Temporary& file : files_) ::unlink(file.path.c_str());
  heldCount = 0;
  for (const auto& [signal, previous] : previous_) ::sigaction(signal, &previous, nullptr);
}

int TemporaryFiles::create(const std::string& target, std::string_view output) {
  if (files_.size() >= kMostTemporaries) fail(output, EMFILE);
  const std::size_t slash = target.rfind('/');
  const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  for (int attempt = 0;; ++attempt) {
    std::string path = directory;
    path.append(".").append(base).append(".").append(randomSuffix());
    if (path.size() >= PATH_MAX) fail(output, ENAMETOOLONG);
    // Created and counted with the signals held back: the handler finds
    // every temporary that exists, and removes nobody else's file.
    int fd = -1;
    int error = 0;
    {
      InterruptsHeldBack held;
      fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      error = errno;
      if (fd >= 0) {
        std::memcpy(heldPaths.at(files_.size()).data(), path.c_str(), path.size() + 1);
        heldCount = static_cast<std::sig_atomic_t>(files_.size() + 1);
      }
    }
    if (fd >= 0) {
      files_.push_back({std::move(path), target, std::string(output)});
      return fd;
    }
    if (error != EEXIST || attempt == 100) fail(output, error);
  }
}

void TemporaryFiles::renameAll() {
  while (!files_.empty()) {
    const Temporary& file = files_.front();
    // An existing file is exchanged with its temporary, which is then
    // removed: the name holds the old file or the new one at every moment,
    // as with rename(2).  Renaming onto an existing file would make some
    // file systems (ext4) start writing the new file to the disk at once,
    // and the next run that replaces it wait milliseconds for that write.
    // Where the exchange is not possible (no file there yet, or a file
    // system without it), the temporary is renamed.
    if (::renameat2(AT_FDCWD, file.path.c_str(), AT_FDCWD, file.target.c_str(), RENAME_EXCHANGE) ==
        0) {
      ::unlink(file.path.c_str());
    } else if (::rename(file.path.c_str(), file.target.c_str()) != 0) {
      fail(file.output, errno);
    }
    files_.erase(files_.begin());
    // The handler's list follows: the renamed file is no longer a
    // temporary (signals are held back, so it cannot run meanwhile).
    for (std::size_t i = 0; i < files_.size(); ++i)
      std::memcpy(heldPaths.at(i).data(), files_[i].path.c_str(), files_[i].path.size() + 1);
    heldCount = static_cast<std::sig_atomic_t>(files_.size());
  }
}

InterruptsHeldBack::InterruptsHeldBack() {
  const sigset_t set = interruptingSet();
  ::sigprocmask(SIG_BLOCK, &set, &previous_);
}

InterruptsHeldBack::~InterruptsHeldBack() {
  ::sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace sizgen
