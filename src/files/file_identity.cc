#include "files/file_identity.h"

#include <utility>

namespace sizgen {

FileIdentity fileIdentity(const struct stat& status, std::string name) {
  return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                      static_cast<std::uint64_t>(status.st_ino), std::move(name)};
}

std::optional<FileIdentity> regularFileIdentity(int fd) {
  struct stat status {};
  if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return fileIdentity(status);
}

}  // namespace sizgen
