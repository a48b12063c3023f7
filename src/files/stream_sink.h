#pragma once

// A stdio stream that the program writes records on (standard output),
// and what a failed write does.  A record ends with a line feed; text is
// written byte for byte.

#include <cstdio>
#include <string>
#include <string_view>

#include "base/sink.h"

namespace sizgen {

class StreamSink final : public Sink {
 public:
  // How the sink meets a failed write.
  enum class OnFailure {
    // Throws sizgen::Error "cannot write NAME: reason" at once: the
    // output of an analysis, which is all the mode does.
    Throw,
    // Keeps the first failure and drops what follows, so that a pager
    // that quits or a full device does not cost the files: the listing of
    // a run, which goes on to replace its files; finish() reports it.
    // SIGPIPE is ignored from the sink's start on, so that a closed pipe
    // is a failed write like any other; it stays ignored, so that a later
    // flush of the stream on the way out cannot end the program either.
    ReportAtFinish,
  };

  // `name` is how messages call the stream ("standard output").
  StreamSink(std::FILE* stream, std::string name, OnFailure onFailure);

  void write(std::string_view record) override;
  void writeText(std::string_view text) override;
  void flush() override;
  // At the end: returns when everything was written.  A closed pipe ends
  // the program as it ends any program that writes into one, with SIGPIPE
  // and no message, unless SIGPIPE was ignored when the sink began; any
  // other failure throws sizgen::Error "cannot write NAME: reason".
  void finish();

 private:
  // Keeps the failure errno tells of, and throws it under Throw.
  void fail();
  // Whether a failure came before: a sink that throws throws it again, one
  // that reports at the end drops what is written.
  bool dropping() const;

  std::FILE* stream_;
  std::string name_;
  OnFailure onFailure_;
  bool failed_ = false;
  int failure_ = 0;  // errno of the first failure, 0 when the stream gave none
  bool pipeSignalIgnored_ = false;
};

}  // namespace sizgen
