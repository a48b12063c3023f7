#pragma once

// The generated files of a directory, replaced as one set: each file is
// written to a temporary file beside it and renamed into place once every
// one is written, and a file whose content is unchanged is left as it is.

#include <sys/stat.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "driver/output_files.h"

namespace sizgen {

class DirectoryFiles : public OutputFiles {
 public:
  // The files of `directory` ("" for the current one).
  explicit DirectoryFiles(std::string directory = {}) : directory_(std::move(directory)) {}
  ~DirectoryFiles() override = default;
  DirectoryFiles(const DirectoryFiles&) = delete;
  DirectoryFiles& operator=(const DirectoryFiles&) = delete;

  // A symbolic link in place of a file is followed: the file it leads to
  // is replaced (beside it, in its directory), and the link is kept.
  std::optional<FileIdentity> prepare(std::string_view name, Use use) override;
  // Under an exclusive lock on each directory, so that runs at the same
  // time leave one run's set: leaves each unchanged file untouched, writes
  // the others to temporaries, writes a device (such as /dev/null) in
  // place, creates a missing file never written, and renames the
  // temporaries into place.  A file replaced keeps its mode; a new one
  // has mode 0666 less the umask.
  void commit(std::span<const Content> contents) override;

 protected:
  // Writes all of `text` to the file open on `fd`, which stands for the
  // output `name`; throws sizgen::Error "cannot write NAME: reason".  A
  // test overrides it to fail or be interrupted part-way.
  virtual void writeAll(int fd, std::string_view name, std::string_view text);

 private:
  // An output as prepare found it.
  struct Output {
    std::string name;
    Use use = Use::Written;
    std::string path;       // after symbolic links
    std::string directory;  // of `path`
    bool exists = false;
    struct stat status {};  // when it exists
  };

  void replace(const Output& output, const std::string& text, class TemporaryFiles& temporaries);

  std::string directory_;
  std::vector<Output> outputs_;
  // The directory last found writable.
  struct {
    std::string path;
    struct stat status {};
  } writable_;
};

}  // namespace sizgen
