#include "driver/directory_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <tuple>

#include "base/error.h"
#include "driver/temporary_files.h"

namespace sizgen {
namespace {

[[noreturn]] void cannot(std::string_view what, std::string_view name, int error) {
  throw Error("cannot " + std::string(what) + " " + std::string(name) + ": " +
              std::strerror(error));
}

// The directory a path names a file in.
std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows the symbolic links that `path` names until it names a file that
// is not one, or none; `status` is that file's when it exists.  Returns
// an errno value, 0 when the place was found.
int followLinks(std::string& path, struct stat& status, bool& exists) {
  constexpr int kMostLinks = 40;  // as the kernel allows in one path
  for (int links = 0;; ++links) {
    if (::lstat(path.c_str(), &status) != 0) {
      exists = false;
      return errno == ENOENT ? 0 : errno;
    }
    exists = true;
    if (!S_ISLNK(status.st_mode)) return 0;
    if (links == kMostLinks) return ELOOP;
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return errno;
    target.resize(static_cast<std::size_t>(length));
    if (!target.starts_with('/')) {
      const std::size_t slash = path.rfind('/');
      target.insert(0, slash == std::string::npos ? "" : path.substr(0, slash + 1));
    }
    path = std::move(target);
  }
}

// Whether the regular file at `path` holds exactly `text`; `status` is
// then what it is now.  A file that cannot be read is taken as different.
bool holds(const std::string& path, std::string_view text, struct stat& status) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool same = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
              static_cast<std::size_t>(status.st_size) == text.size();
  // One byte more than expected shows a file that grew meanwhile.
  std::string content(same ? text.size() + 1 : 0, '\0');
  std::size_t done = 0;
  while (same) {
    const ssize_t n = ::read(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
    same = done <= text.size();
  }
  ::close(fd);
  return same && std::string_view(content).substr(0, done) == text;
}

// The mode a new file gets: 0666 less the umask, which can only be read by
// setting it.
mode_t newFileMode() {
  static const mode_t mode = [] {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666U & ~mask);
  }();
  return mode;
}

// Exclusive locks on directories, held while it lives; each directory is
// locked once, all in one order, so that two runs cannot wait for each
// other.  A directory that cannot be locked (not readable, or a file
// system without locks) goes without.
class DirectoryLocks {
 public:
  explicit DirectoryLocks(const std::vector<std::string>& directories) {
    std::vector<std::tuple<dev_t, ino_t, int>> found;
    for (std::size_t i = 0; i < directories.size(); ++i) {
      const std::string& directory = directories[i];
      // The same name twice is one directory, opened once.
      if (std::find(directories.begin(), directories.begin() + static_cast<std::ptrdiff_t>(i),
                    directory) != directories.begin() + static_cast<std::ptrdiff_t>(i))
        continue;
      const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      struct stat status {};
      if (fd < 0) continue;
      if (::fstat(fd, &status) != 0) {
        ::close(fd);
        continue;
      }
      found.emplace_back(status.st_dev, status.st_ino, fd);
    }
    std::sort(found.begin(), found.end());
    for (std::size_t i = 0; i < found.size(); ++i) {
      const auto [device, inode, fd] = found[i];
      if (i > 0 && std::get<0>(found[i - 1]) == device && std::get<1>(found[i - 1]) == inode) {
        ::close(fd);
        continue;
      }
      while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
      }
      held_.push_back(fd);
    }
  }
  ~DirectoryLocks() {
    for (int fd : held_) ::close(fd);
  }
  DirectoryLocks(const DirectoryLocks&) = delete;
  DirectoryLocks& operator=(const DirectoryLocks&) = delete;

 private:
  std::vector<int> held_;
};

}  // namespace

std::optional<FileIdentity> DirectoryFiles::prepare(std::string_view name, Use use) {
  Output output;
  output.name = name;
  output.use = use;
  output.path = directory_.empty() ? output.name : directory_ + "/" + output.name;
  if (const int error = followLinks(output.path, output.status, output.exists); error != 0)
    cannot("open", name, error);
  output.directory = directoryOf(output.path);
  std::optional<FileIdentity> identity;
  struct stat directory {};
  if (output.exists) {
    const mode_t mode = output.status.st_mode;
    if (S_ISDIR(mode)) cannot("open", name, EISDIR);
    if (::faccessat(AT_FDCWD, output.path.c_str(), use == Use::Written ? W_OK : R_OK, AT_EACCESS) !=
        0)
      cannot("open", name, errno);
    if (S_ISREG(mode)) {
      identity = FileIdentity{static_cast<std::uint64_t>(output.status.st_dev),
                              static_cast<std::uint64_t>(output.status.st_ino),
                              {}};
    }
    // A regular file is replaced by renaming a new one onto it, which its
    // directory must allow; a device is written in place.  A directory
    // found writable for an earlier file is not checked again.
    if (S_ISREG(mode) && use == Use::Written) {
      if (output.directory != writable_.path) {
        if (::stat(output.directory.c_str(), &directory) != 0) cannot("replace", name, errno);
        if (::faccessat(AT_FDCWD, output.directory.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
          if (errno != EACCES && errno != EPERM) cannot("replace", name, errno);
          throw Error("cannot replace " + std::string(name) + ": its directory is not writable");
        }
        writable_ = {output.directory, directory};
      }
      // In a sticky directory (such as /tmp) only the owner replaces a file.
      static const uid_t user = ::geteuid();
      if ((writable_.status.st_mode & S_ISVTX) != 0 && user != 0 && output.status.st_uid != user &&
          writable_.status.st_uid != user)
        cannot("replace", name, EPERM);
    }
  } else {
    // Created in its directory, which must allow it.
    if (output.directory != writable_.path) {
      if (::stat(output.directory.c_str(), &directory) != 0) cannot("open", name, errno);
      if (!S_ISDIR(directory.st_mode)) cannot("open", name, ENOTDIR);
      if (::faccessat(AT_FDCWD, output.directory.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        cannot("open", name, errno);
      writable_ = {output.directory, directory};
    }
    identity =
        FileIdentity{static_cast<std::uint64_t>(writable_.status.st_dev),
                     static_cast<std::uint64_t>(writable_.status.st_ino), baseNameOf(output.path)};
  }
  outputs_.push_back(std::move(output));
  return identity;
}

void DirectoryFiles::writeAll(int fd, std::string_view name, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) cannot("write", name, n < 0 ? errno : EIO);
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

void DirectoryFiles::replace(const Output& output, const std::string& text,
                             TemporaryFiles& temporaries) {
  // Unchanged: left as it is, its time stamp too, so that a build that
  // depends on it has nothing to do.
  struct stat status = output.status;
  if (output.exists && holds(output.path, text, status)) return;
  const int fd = temporaries.create(output.path, output.name);
  try {
    if (output.exists) {
      // The new file takes the place of the old one with its owner (where
      // this user may give it) and its mode.
      static const uid_t user = ::geteuid();
      static const gid_t group = ::getegid();
      if (status.st_uid != user || status.st_gid != group)
        static_cast<void>(::fchown(fd, status.st_uid, status.st_gid));
      if ((status.st_mode & 07777) != newFileMode() && ::fchmod(fd, status.st_mode & 07777) != 0)
        cannot("write", output.name, errno);
    }
    writeAll(fd, output.name, text);
  } catch (...) {
    ::close(fd);
    throw;
  }
  if (::close(fd) != 0) cannot("write", output.name, errno);
}

void DirectoryFiles::commit(std::span<const Content> contents) {
  std::vector<std::string> directories(outputs_.size());
  std::transform(outputs_.begin(), outputs_.end(), directories.begin(),
                 [](const Output& output) { return output.directory; });
  const DirectoryLocks locks(directories);
  TemporaryFiles temporaries;

  std::vector<std::pair<const Output*, const std::string*>> devices;
  std::vector<const Output*> missing;
  for (const Content& content : contents) {
    auto output = std::find_if(outputs_.begin(), outputs_.end(), [&](const Output& prepared) {
      return prepared.name == content.name;
    });
    if (output == outputs_.end())
      throw InternalError(std::string(content.name) + " was not prepared");
    if (content.text == nullptr) {
      if (!output->exists) missing.push_back(&*output);
    } else if (output->exists && !S_ISREG(output->status.st_mode)) {
      devices.emplace_back(&*output, content.text);
    } else {
      replace(*output, *content.text, temporaries);
    }
  }
  // A device takes what it is written as it goes: only after every
  // temporary was written in full.
  for (const auto& [output, text] : devices) {
    const int fd = ::open(output->path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) cannot("write", output->name, errno);
    try {
      writeAll(fd, output->name, *text);
    } catch (...) {
      ::close(fd);
      throw;
    }
    if (::close(fd) != 0) cannot("write", output->name, errno);
  }

  const InterruptsHeldBack held;
  std::vector<std::string> created;
  try {
    for (const Output* output : missing) {
      const int fd = ::open(output->path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0 && errno != EEXIST) cannot("write", output->name, errno);
      if (fd >= 0) {
        created.push_back(output->path);
        ::close(fd);
      }
    }
    temporaries.renameAll();
  } catch (...) {
    for (const std::string& path : created) ::unlink(path.c_str());
    throw;
  }
}

}  // namespace sizgen
