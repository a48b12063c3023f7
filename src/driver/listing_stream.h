#pragma once

// The listing of a run on a stdio stream.  A failed write (a pager that
// quits, a full device) does not cost the files: the first failure is
// kept, the rest of the listing dropped, and the run goes on to replace
// its files from the plan; finish() then reports the failure.

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>

#include "base/sink.h"

namespace sizgen {

class ListingStream final : public Sink {
 public:
  // `name` is how messages call the stream ("standard output").  SIGPIPE
  // is ignored from here on, so that a closed pipe is a failed write like
  // any other; it stays ignored, so that a later flush of the stream on
  // the way out cannot end the program either.
  ListingStream(std::FILE* stream, std::string name);

  void write(std::string_view record) override;
  void flush() override;
  // After the run: returns when the whole listing was written.  A closed
  // pipe ends the program as it ends any program that writes into one,
  // with SIGPIPE and no message, unless SIGPIPE was ignored when the
  // listing began; any other failure throws sizgen::Error "cannot write
  // NAME: reason".
  void finish();

 private:
  // Keeps the failure errno tells of.
  void fail();

  std::FILE* stream_;
  std::string name_;
  bool failed_ = false;
  int failure_ = 0;  // errno of the first failure, 0 when the stream gave none
  bool pipeSignalIgnored_ = false;
};

}  // namespace sizgen
