#include "driver/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "base/error.h"

namespace sizgen {
namespace {

// One page: a generated file goes out in a few calls, and the buffer is
// allocated once, at its full size, so that it never moves.
constexpr std::size_t kBufferSize = 4096;

}  // namespace

std::optional<FileIdentity> regularFileIdentity(int fd) {
  struct stat status {};
  if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                      static_cast<std::uint64_t>(status.st_ino)};
}

FileSink::~FileSink() {
  if (fd_ < 0) return;
  // What was written stays, cut to what reached the file; the run reports
  // its first failure, not a later one.
  try {
    flush();
  } catch (const Error&) {
  }
  struct stat status {};
  if (written_ && ::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode))
    static_cast<void>(::ftruncate(fd_, pushed_));
  ::close(fd_);
}

void FileSink::fail(const std::string& reason) const {
  throw Error("cannot write " + name_ + ": " + reason);
}

void FileSink::write(std::string_view record) {
  written_ = true;
  if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize);
  if (buffer_.size() + record.size() + 1 > kBufferSize) flush();
  buffer_ += record;
  buffer_ += '\n';
}

void FileSink::flush() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      buffer_.erase(0, done);
      fail(std::strerror(errno));
    }
    done += static_cast<std::size_t>(n);
    pushed_ += n;
  }
  buffer_.clear();
}

void FileSink::close() {
  int fd = fd_;
  if (written_) {
    flush();
    // An earlier, longer file keeps no trace beyond what this run wrote;
    // a device or a pipe has nothing to cut.
    struct stat status {};
    if (::fstat(fd, &status) != 0) fail(std::strerror(errno));
    if (S_ISREG(status.st_mode) && status.st_size != pushed_ && ::ftruncate(fd, pushed_) != 0)
      fail(std::string("cannot cut the file to what this run wrote: ") + std::strerror(errno));
  }
  fd_ = -1;
  if (::close(fd) != 0) fail(std::strerror(errno));
}

Sink& DirectoryFiles::open(std::string_view name, Use use) {
  std::string path = directory_.empty() ? std::string(name) : directory_ + "/" + std::string(name);
  // A file never written need only be readable, and is not created empty
  // over an existing one; neither may be a directory (open refuses one for
  // writing, and O_CREAT for reading).
  int flags = (use == Use::Written ? O_WRONLY : O_RDONLY) | O_CREAT | O_CLOEXEC;
  int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) throw Error("cannot open " + std::string(name) + ": " + std::strerror(errno));
  files_.push_back(std::make_unique<FileSink>(fd, std::string(name)));
  return *files_.back();
}

std::optional<FileIdentity> DirectoryFiles::identity(std::string_view name) const {
  // The last file opened under this name.
  auto file = std::find_if(files_.rbegin(), files_.rend(),
                           [&](const auto& opened) { return opened->name() == name; });
  return file != files_.rend() ? (*file)->identity() : std::nullopt;
}

void DirectoryFiles::close() {
  for (auto& file : files_) file->close();
  files_.clear();
}

Sink& MemoryFiles::open(std::string_view name, Use /*use*/) {
  files_.emplace_back(std::string(name), std::make_unique<MemorySink>());
  return *files_.back().second;
}

const std::string* MemoryFiles::text(std::string_view name) const {
  for (const auto& [fileName, sink] : files_) {
    if (fileName == name) return &sink->text();
  }
  return nullptr;
}

void StreamSink::fail() const {
  throw Error("cannot write " + name_ + ": " + (errno != 0 ? std::strerror(errno) : "write error"));
}

void StreamSink::write(std::string_view record) {
  errno = 0;
  if (std::fwrite(record.data(), 1, record.size(), stream_) != record.size() ||
      std::fputc('\n', stream_) == EOF || std::ferror(stream_))
    fail();
}

void StreamSink::flush() {
  errno = 0;
  if (std::fflush(stream_) != 0 || std::ferror(stream_)) fail();
}

void holdClosedStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    int held = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
    if (held >= 0 && held != fd) {
      ::dup2(held, fd);
      ::close(held);
    }
  }
}

void ignoreFileSizeSignal() {
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace sizgen
