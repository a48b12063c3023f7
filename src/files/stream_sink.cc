#include "files/stream_sink.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>

#include "base/error.h"

namespace sizgen {
namespace {

[[noreturn]] void cannotWrite(const std::string& name, int error) {
  throw Error("cannot write " + name + ": " + (error != 0 ? std::strerror(error) : "write error"));
}

}  // namespace

StreamSink::StreamSink(std::FILE* stream, std::string name, OnFailure onFailure)
    : stream_(stream), name_(std::move(name)), onFailure_(onFailure) {
  if (onFailure_ != OnFailure::ReportAtFinish) return;
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  if (::sigaction(SIGPIPE, &ignore, &previous) == 0)
    pipeSignalIgnored_ = previous.sa_handler == SIG_IGN;
}

void StreamSink::fail() {
  failed_ = true;
  failure_ = errno;
  if (onFailure_ == OnFailure::Throw) cannotWrite(name_, failure_);
}

bool StreamSink::dropping() const {
  if (failed_ && onFailure_ == OnFailure::Throw) cannotWrite(name_, failure_);
  return failed_;
}

void StreamSink::write(std::string_view record) {
  if (dropping()) return;
  errno = 0;
  if (std::fwrite(record.data(), 1, record.size(), stream_) != record.size() ||
      std::fputc('\n', stream_) == EOF || std::ferror(stream_) != 0)
    fail();
}

void StreamSink::writeText(std::string_view text) {
  if (dropping()) return;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size() || std::ferror(stream_) != 0)
    fail();
}

void StreamSink::flush() {
  if (dropping()) return;
  errno = 0;
  if (std::fflush(stream_) != 0 || std::ferror(stream_) != 0) fail();
}

void StreamSink::finish() {
  flush();
  if (!failed_) return;
  if (failure_ == EPIPE && !pipeSignalIgnored_) {
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
  }
  cannotWrite(name_, failure_);
}

}  // namespace sizgen
