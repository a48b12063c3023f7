#include "files/directory_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <tuple>

#include "base/error.h"
#include "files/paths.h"
#include "files/temporary_files.h"

namespace sizgen {
namespace {

[[noreturn]] void cannot(std::string_view what, std::string_view name, int error) {
  throw Error("cannot " + std::string(what) + " " + std::string(name) + ": " +
              std::strerror(error));
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
    if (!target.starts_with('/')) target.insert(0, splitPath(path).directory);
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

[[noreturn]] void cannotLock(std::string_view name, int error) {
  throw Error("cannot lock the directory of " + std::string(name) + ": " + std::strerror(error));
}

// Whether the file or directory open on `fd` is append-only (chattr +a):
// no name in such a directory can be removed or renamed, and such a file
// cannot be replaced.
bool appendOnly(int fd) {
  struct statx status {};
  return ::statx(fd, "", AT_EMPTY_PATH, STATX_TYPE, &status) == 0 &&
         (status.stx_attributes_mask & status.stx_attributes & STATX_ATTR_APPEND) != 0;
}

// The file that runs lock where a directory itself cannot be locked: a
// directory the user may write but not read, or a file system that locks
// only files open for writing (NFS).  It stays in the directory, and a run
// that locks the directory locks it too once it exists.
constexpr const char* kLockFile = ".sizgen.lock";

// An exclusive flock(2) on `fd`; 0 or an errno value.
int lockExclusively(int fd) {
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

// Exclusive locks on directories, held while it lives; each directory is
// locked once, all in one order, so that two runs cannot wait for each
// other.  Throws sizgen::Error "cannot lock the directory of OUTPUT:
// reason" when neither a directory nor its lock file can be locked,
// holding none.
class DirectoryLocks {
 public:
  struct Wanted {
    dev_t device;
    ino_t inode;
    int fd;         // open for reading, or by path alone (O_PATH)
    bool readable;  // open for reading, so that it can be locked
    std::string_view output;
  };
  explicit DirectoryLocks(std::vector<Wanted> wanted) {
    std::sort(wanted.begin(), wanted.end(), [](const Wanted& a, const Wanted& b) {
      return std::tie(a.device, a.inode) < std::tie(b.device, b.inode);
    });
    for (std::size_t i = 0; i < wanted.size(); ++i) {
      // One directory under two names is locked once: a second lock on it
      // would wait for the first.
      if (i > 0 && wanted[i - 1].device == wanted[i].device &&
          wanted[i - 1].inode == wanted[i].inode)
        continue;
      if (const int error = lock(wanted[i]); error != 0) {
        release();
        cannotLock(wanted[i].output, error);
      }
    }
  }
  ~DirectoryLocks() { release(); }
  DirectoryLocks(const DirectoryLocks&) = delete;
  DirectoryLocks& operator=(const DirectoryLocks&) = delete;

 private:
  // Locks the directory itself where it can, and its lock file where that
  // exists or the directory cannot be locked; 0 or an errno value.
  int lock(const Wanted& wanted) {
    const bool directoryLocked = wanted.readable && lockExclusively(wanted.fd) == 0;
    if (directoryLocked) locked_.push_back(wanted.fd);
    int file = ::openat(wanted.fd, kLockFile,
                        O_RDWR | O_NOFOLLOW | O_CLOEXEC | (directoryLocked ? 0 : O_CREAT), 0666);
    // Another user's lock file, which this one may only read: a lock on it
    // holds on a local file system.
    if (file < 0 && errno == EACCES)
      file = ::openat(wanted.fd, kLockFile, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (file < 0) return directoryLocked && errno == ENOENT ? 0 : errno;
    files_.push_back(file);
    if (const int error = lockExclusively(file); error != 0) return error;
    locked_.push_back(file);
    return 0;
  }
  void release() {
    for (int fd : locked_) ::flock(fd, LOCK_UN);
    for (int fd : files_) ::close(fd);
    locked_.clear();
    files_.clear();
  }

  std::vector<int> locked_;  // directories (which their owner closes) and lock files
  std::vector<int> files_;   // lock files, open while it lives
};

}  // namespace

DirectoryFiles::~DirectoryFiles() {
  for (int fd : open_) ::close(fd);
}

const DirectoryFiles::Directory& DirectoryFiles::changedDirectory(const std::string& path,
                                                                  std::string_view name,
                                                                  bool replacing) {
  auto known = std::find_if(directories_.begin(), directories_.end(),
                            [&](const Directory& directory) { return directory.path == path; });
  if (known != directories_.end()) return *known;
  // A file is replaced by renaming a new one onto it, and created by
  // renaming one to its name: the directory must allow both.
  const std::string_view verb = replacing ? "replace" : "open";
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) cannot(verb, name, errno);
  if (!S_ISDIR(status.st_mode)) cannot(verb, name, ENOTDIR);
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    if (replacing && (errno == EACCES || errno == EPERM))
      throw Error("cannot replace " + std::string(name) + ": its directory is not writable");
    cannot(verb, name, errno);
  }
  // Held open for its lock: for reading where the user may read it, else
  // by its path alone (see DirectoryLocks).
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool readable = fd >= 0;
  if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) cannotLock(name, errno);
  open_.push_back(fd);
  if (::fstat(fd, &status) != 0) cannotLock(name, errno);
  if (appendOnly(fd))
    throw Error("cannot " + std::string(verb) + " " + std::string(name) +
                ": its directory is append-only");
  directories_.push_back({path, std::string(name), fd, readable, status});
  return directories_.back();
}

std::optional<FileIdentity> DirectoryFiles::prepare(std::string_view name, Use use) {
  Output output;
  output.name = name;
  output.use = use;
  output.path = pathIn(directory_, output.name);
  if (const int error = followLinks(output.path, output.status, output.exists); error != 0)
    cannot("open", name, error);
  int fd = -1;
  if (output.exists) {
    // Held from here on (see the class comment); a file removed meanwhile
    // is a missing one.
    fd = ::open(output.path.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0 && errno != ENOENT) cannot("open", name, errno);
    if (fd >= 0) open_.push_back(fd);
    output.exists = fd >= 0;
    if (output.exists && ::fstat(fd, &output.status) != 0) cannot("open", name, errno);
  }
  output.directory = directoryOf(output.path);
  std::optional<FileIdentity> identity;
  if (output.exists) {
    const mode_t mode = output.status.st_mode;
    if (S_ISDIR(mode)) cannot("open", name, EISDIR);
    if (::faccessat(AT_FDCWD, output.path.c_str(), use == Use::Written ? W_OK : R_OK, AT_EACCESS) !=
        0)
      cannot("open", name, errno);
    if (S_ISREG(mode)) {
      identity = fileIdentity(output.status);
    }
    // A regular file is replaced by renaming a new one onto it, which its
    // directory must allow, and the file too; a device is written in place.
    if (S_ISREG(mode) && use == Use::Written) {
      const Directory& directory = changedDirectory(output.directory, name, true);
      // In a sticky directory (such as /tmp) only the owner replaces a file.
      static const uid_t user = ::geteuid();
      if ((directory.status.st_mode & S_ISVTX) != 0 && user != 0 && output.status.st_uid != user &&
          directory.status.st_uid != user)
        cannot("replace", name, EPERM);
      if (appendOnly(fd)) cannot("replace", name, EPERM);
    }
  } else {
    // Created in its directory, which must allow it.
    const Directory& directory = changedDirectory(output.directory, name, false);
    identity = fileIdentity(directory.status, splitPath(output.path).name);
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

int DirectoryFiles::rename(const std::string& from, const std::string& to, unsigned flags) {
  return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags) == 0 ? 0 : errno;
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
  // Made append-only since start-up: no temporary could be removed.
  std::vector<DirectoryLocks::Wanted> wanted;
  for (const Directory& directory : directories_) {
    if (appendOnly(directory.fd))
      throw Error("cannot write " + directory.output + ": its directory is append-only");
    wanted.push_back({directory.status.st_dev, directory.status.st_ino, directory.fd,
                      directory.readable, directory.output});
  }
  const DirectoryLocks locks(std::move(wanted));
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

  const EndingSignalsHeldBack heldBack;
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
    temporaries.renameAll([this](const std::string& from, const std::string& to, unsigned flags) {
      return rename(from, to, flags);
    });
  } catch (...) {
    for (const std::string& path : created) ::unlink(path.c_str());
    throw;
  }
}

}  // namespace sizgen
