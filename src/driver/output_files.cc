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

std::optional<FileIdentity> regularFileIdentity(int fd) {
  struct stat status {};
  if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return FileIdentity{
      static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino), {}};
}

void MemoryFiles::commit(std::span<const Content> contents) {
  files_.resize(contents.size());
  std::transform(contents.begin(), contents.end(), files_.begin(), [](const Content& content) {
    return std::pair{std::string(content.name), content.text ? *content.text : std::string()};
  });
}

const std::string* MemoryFiles::text(std::string_view name) const {
  auto file = std::find_if(files_.begin(), files_.end(),
                           [&](const auto& committed) { return committed.first == name; });
  return file != files_.end() ? &file->second : nullptr;
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

void StreamSink::writeText(std::string_view text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size() || std::ferror(stream_))
    fail();
}

void StreamSink::flush() {
  errno = 0;
  if (std::fflush(stream_) != 0 || std::ferror(stream_)) fail();
}

void holdClosedStandardOutputs() {
  for (int fd = STDOUT_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    int held = ::open("/dev/null", O_RDONLY);
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
