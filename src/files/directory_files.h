#pragma once

// The generated files of a directory, replaced as one set: each file is
// written to a temporary file beside it and renamed into place once every
// one is written, and a file whose content is unchanged is left as it is.
// From start-up to the end, the run holds each output that exists and
// each directory it changes open: no other run's file can take the device
// and inode number of one of them, so that an identity prepare returns
// stays that file's for the whole run.

#include <sys/stat.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/output_files.h"

namespace sizgen {

class DirectoryFiles : public OutputFiles {
 public:
  // The files of `directory` ("" for the current one).
  explicit DirectoryFiles(std::string directory = {}) : directory_(std::move(directory)) {}
  ~DirectoryFiles() override;
  DirectoryFiles(const DirectoryFiles&) = delete;
  DirectoryFiles& operator=(const DirectoryFiles&) = delete;

  // A symbolic link in place of a file is followed: the file it leads to
  // is replaced (beside it, in its directory), and the link is kept.  A
  // directory in which a file is replaced or created must be writable and
  // not append-only (where no temporary could be removed).
  std::optional<FileIdentity> prepare(std::string_view name, Use use) override;
  // Under an exclusive lock on each directory it changes, so that runs at
  // the same time leave one run's set: leaves each unchanged file
  // untouched, writes the others to temporaries, writes a device (such as
  // /dev/null) in place, creates a missing file never written, and puts
  // the temporaries in place (TemporaryFiles::renameAll).  A file replaced
  // keeps its mode; a new one has mode 0666 less the umask.  A directory
  // that cannot be locked itself is locked through a file ".sizgen.lock"
  // in it, which stays.  Throws sizgen::Error "cannot lock the directory
  // of NAME: reason" when neither can be locked, before anything is
  // written.
  void commit(std::span<const Content> contents) override;

 protected:
  // Writes all of `text` to the file open on `fd`, which stands for the
  // output `name`; throws sizgen::Error "cannot write NAME: reason".  A
  // test overrides it to fail or be interrupted part-way.
  virtual void writeAll(int fd, std::string_view name, std::string_view text);
  // Renames `from` onto `to` as renameat2(2) does with `flags` (0 or
  // RENAME_EXCHANGE); returns 0 or an errno value.  A test overrides it to
  // fail, or to find a file system that cannot exchange two names.
  virtual int rename(const std::string& from, const std::string& to, unsigned flags);

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
  // A directory in which the commit replaces or creates a file.
  struct Directory {
    std::string path;
    std::string output;     // the first output found in it, which messages name
    int fd = -1;            // open for its lock
    bool readable = false;  // open for reading; else by its path alone
    struct stat status {};
  };

  // The directory `path` of the output `name`, checked when first met;
  // `replacing` an existing file, or creating one.
  const Directory& changedDirectory(const std::string& path, std::string_view name, bool replacing);
  void replace(const Output& output, const std::string& text, class TemporaryFiles& temporaries);

  std::string directory_;
  std::vector<Output> outputs_;
  std::vector<Directory> directories_;
  std::vector<int> open_;  // every descriptor held, closed with the object
};

}  // namespace sizgen
