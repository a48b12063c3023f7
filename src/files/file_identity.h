#pragma once

// Which file an output is, so that two names, links or descriptors that
// lead to one file are known as one.

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>

namespace sizgen {

// The device and inode of a regular file.  A file that does not exist yet
// is known by the device and inode of the directory it will be created
// in, and its name there.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::string name;  // empty for a file that exists
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file that `status` describes; with `name`, of the
// file of that name to be created in the directory `status` describes.
FileIdentity fileIdentity(const struct stat& status, std::string name = {});

// The identity of the regular file open on `fd`; none for a terminal, a
// pipe, a device such as /dev/null (which any number of outputs may
// share), or a descriptor that cannot be examined.
std::optional<FileIdentity> regularFileIdentity(int fd);

}  // namespace sizgen
