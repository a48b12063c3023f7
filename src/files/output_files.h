#pragma once

// Where a run's generated files go: they are checked at start-up and
// replaced as one set when the whole run is planned and rendered.
// DirectoryFiles (directory_files.h) replaces real files; a run held in
// memory uses MemoryFiles (memory_files.h) instead.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "files/file_identity.h"

namespace sizgen {

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

}  // namespace sizgen
