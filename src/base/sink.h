#pragma once

#include <algorithm>
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
  // Writes `text` byte for byte, line ends included: a text that copies a
  // file ends as the file does.  A sink that cannot end a record without
  // its line end writes one after the last.
  virtual void writeText(std::string_view text) {
    while (!text.empty()) {
      const std::size_t end = std::min(text.find('\n'), text.size());
      write(text.substr(0, end));
      text.remove_prefix(std::min(end + 1, text.size()));
    }
  }
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
  void writeText(std::string_view text) override { text_ += text; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace sizgen
