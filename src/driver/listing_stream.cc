#include "driver/listing_stream.h"

#include <cerrno>
#include <cstring>

#include "base/error.h"

namespace sizgen {

ListingStream::ListingStream(std::FILE* stream, std::string name)
    : stream_(stream), name_(std::move(name)) {
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  if (::sigaction(SIGPIPE, &ignore, &previous) == 0)
    pipeSignalIgnored_ = previous.sa_handler == SIG_IGN;
}

void ListingStream::fail() {
  failed_ = true;
  failure_ = errno;
}

void ListingStream::write(std::string_view record) {
  if (failed_) return;
  errno = 0;
  if (std::fwrite(record.data(), 1, record.size(), stream_) != record.size() ||
      std::fputc('\n', stream_) == EOF || std::ferror(stream_) != 0)
    fail();
}

void ListingStream::flush() {
  if (failed_) return;
  errno = 0;
  if (std::fflush(stream_) != 0 || std::ferror(stream_) != 0) fail();
}

void ListingStream::finish() {
  flush();
  if (!failed_) return;
  if (failure_ == EPIPE && !pipeSignalIgnored_) {
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
  }
  throw Error("cannot write " + name_ + ": " +
              (failure_ != 0 ? std::strerror(failure_) : "write error"));
}

}  // namespace sizgen
