#pragma once

// Where a run's outputs go: the listing on a stream, and the generated
// files, opened by name at the points of the run where it opens them.
// Real files are written here with ordinary system calls, each checked;
// a run held in memory uses MemoryFiles instead.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/sink.h"

namespace sizgen {

// Which file an open descriptor writes: the device and inode of a regular
// file.  Two names, links or descriptors with the same identity are one
// file.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the regular file open on `fd`; none for a terminal, a
// pipe, a device such as /dev/null (which any number of outputs may
// share), or a descriptor that cannot be examined.
std::optional<FileIdentity> regularFileIdentity(int fd);

// The files of a run.
class OutputFiles {
 public:
  // Whether the run writes a file or only opens it.
  enum class Use { Written, NeverWritten };

  virtual ~OutputFiles() = default;
  // Opens the file `name`: a missing file is created, an existing one is
  // kept as it is until the run writes it.  Throws sizgen::Error "cannot
  // open NAME: reason".
  virtual Sink& open(std::string_view name, Use use) = 0;
  // The identity of the file last opened as `name`, when it is a regular
  // file; files that live nowhere in a file system have none.
  virtual std::optional<FileIdentity> identity(std::string_view /*name*/) const {
    return std::nullopt;
  }
  // Pushes out and closes every file, in the order opened: a written file
  // is cut to what the run wrote, an unwritten one keeps its content.
  // Throws on the first failure.
  virtual void close() = 0;
};

// A file of a directory, written through a buffer with write(2).
class FileSink final : public Sink {
 public:
  // `fd` is open for writing (or, for a file never written, reading).
  FileSink(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
  // Closes the file without reporting: the run has already failed.
  ~FileSink() override;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  void write(std::string_view record) override;
  void flush() override;
  // Flushes, cuts a written file to what was written and closes it.
  void close();

  const std::string& name() const { return name_; }
  // The file's identity while it is open and a regular file.
  std::optional<FileIdentity> identity() const { return regularFileIdentity(fd_); }

 private:
  [[noreturn]] void fail(const std::string& reason) const;

  int fd_;
  std::string name_;
  std::string buffer_;
  bool written_ = false;     // at least one record was written
  std::int64_t pushed_ = 0;  // bytes that reached the file
};

// The files of a directory ("" for the current one).
class DirectoryFiles final : public OutputFiles {
 public:
  explicit DirectoryFiles(std::string directory = {}) : directory_(std::move(directory)) {}

  Sink& open(std::string_view name, Use use) override;
  std::optional<FileIdentity> identity(std::string_view name) const override;
  void close() override;

 private:
  std::string directory_;
  std::vector<std::unique_ptr<FileSink>> files_;
};

// Files held in memory, for a run that touches no file system.
class MemoryFiles final : public OutputFiles {
 public:
  Sink& open(std::string_view name, Use use) override;
  void close() override {}
  // What the run wrote to `name`, or nothing when it never opened it.
  const std::string* text(std::string_view name) const;

 private:
  std::vector<std::pair<std::string, std::unique_ptr<MemorySink>>> files_;
};

// The listing, on a stdio stream that the caller owns.
class StreamSink final : public Sink {
 public:
  // `name` is how messages call the stream ("standard output").
  StreamSink(std::FILE* stream, std::string name) : stream_(stream), name_(std::move(name)) {}

  void write(std::string_view record) override;
  void flush() override;

 private:
  [[noreturn]] void fail() const;

  std::FILE* stream_;
  std::string name_;
};

// A standard stream that is closed when the program starts would lend its
// descriptor to the first file opened: the deck would be read from
// newmods.for, or the listing written into it.  Holds each closed one
// with /dev/null, opened the wrong way round so that using it fails
// ("cannot read standard input", "cannot write standard output": Bad file
// descriptor).
void holdClosedStandardStreams();

// A write beyond the file-size limit (ulimit -f) would end the process
// with SIGXFSZ; ignored, the write fails with EFBIG ("File too large") and
// is reported like any other failed write.
void ignoreFileSizeSignal();

}  // namespace sizgen
