#pragma once

// Where a run's outputs go: the listing on a stream, and the generated
// files, which are checked at start-up and replaced as one set when the
// whole run is planned and rendered.  DirectoryFiles (directory_files.h)
// replaces real files; a run held in memory uses MemoryFiles instead.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/sink.h"

namespace sizgen {

// Which file an output is: the device and inode of a regular file.  Two
// names, links or descriptors with the same identity are one file.  A file
// that does not exist yet is known by the device and inode of the
// directory it will be created in, and its name there.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::string name;  // empty for a file that exists
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the regular file open on `fd`; none for a terminal, a
// pipe, a device such as /dev/null (which any number of outputs may
// share), or a descriptor that cannot be examined.
std::optional<FileIdentity> regularFileIdentity(int fd);

// The files of a run.
class OutputFiles {
 public:
  // Whether the run writes a file or only needs it to exist.
  enum class Use { Written, NeverWritten };
  // One file of the set, with its whole new content; none for a file the
  // run never writes (created empty when missing).
  struct Content {
    std::string_view name;
    const std::string* text = nullptr;
  };

  virtual ~OutputFiles() = default;
  // At start-up, before anything is written: checks that the run may
  // replace the file `name` (a file never written: read it, or create it
  // when missing).  Throws sizgen::Error "cannot open NAME: reason".
  // Returns the identity by which the run refuses two outputs that are one
  // file; none for a device or a file held in memory.
  virtual std::optional<FileIdentity> prepare(std::string_view name, Use use) = 0;
  // At the end of the run: replaces the files prepared with `contents` as
  // one set.  Throws sizgen::Error "cannot write NAME: reason" and leaves
  // every file as it was.
  virtual void commit(std::span<const Content> contents) = 0;
};

// Files held in memory, for a run that touches no file system.
class MemoryFiles final : public OutputFiles {
 public:
  std::optional<FileIdentity> prepare(std::string_view /*name*/, Use /*use*/) override {
    return std::nullopt;
  }
  void commit(std::span<const Content> contents) override;
  // What the run committed as `name` ("" for a file never written), or
  // nothing when it committed no set.
  const std::string* text(std::string_view name) const;

 private:
  std::vector<std::pair<std::string, std::string>> files_;
};

// A stream that the caller owns, such as the output of an analysis.
class StreamSink final : public Sink {
 public:
  // `name` is how messages call the stream ("standard output").
  StreamSink(std::FILE* stream, std::string name) : stream_(stream), name_(std::move(name)) {}

  void write(std::string_view record) override;
  void writeText(std::string_view text) override;
  void flush() override;

 private:
  [[noreturn]] void fail() const;

  std::FILE* stream_;
  std::string name_;
};

// Standard output or error closed when the program starts would lend its
// descriptor to the first file opened: the listing would be written into
// newmods.for.  Holds each closed one with /dev/null, opened for reading
// so that writing it fails ("cannot write standard output": Bad file
// descriptor).  Standard input: see holdClosedStandardInput.
void holdClosedStandardOutputs();

// A write beyond the file-size limit (ulimit -f) would end the process
// with SIGXFSZ; ignored, the write fails with EFBIG ("File too large") and
// is reported like any other failed write.
void ignoreFileSizeSignal();

}  // namespace sizgen
