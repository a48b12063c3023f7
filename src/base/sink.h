#pragma once

#include <string>
#include <string_view>

namespace sizgen {

// Where the records of one output go: the listing or one of the generated
// files.  A record is one line without its line end; the sink ends it.
// A sink that cannot write throws sizgen::Error naming its file.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual void write(std::string_view record) = 0;
  // Pushes out what was written so far.
  virtual void flush() {}
};

// A sink that drops what is written: a listing nobody reads.
class NullSink final : public Sink {
 public:
  void write(std::string_view /*record*/) override {}
};

// A sink that keeps what is written, for a run held in memory.
class MemorySink final : public Sink {
 public:
  void write(std::string_view record) override {
    text_ += record;
    text_ += '\n';
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace sizgen
