#include "files/file_identity.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::TempDir;
using testing::writeFile;

// The identity of the file `path` names, through a descriptor open on it.
std::optional<FileIdentity> identityOf(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  std::optional<FileIdentity> identity = regularFileIdentity(fd);
  if (fd >= 0) ::close(fd);
  return identity;
}

TEST(FileIdentity, NamesOfOneFileShareItsIdentity) {
  TempDir dir;
  writeFile(dir.file("newmods.for"), "a");
  writeFile(dir.file("dimdef.for"), "a");
  ASSERT_EQ(::link(dir.file("newmods.for").c_str(), dir.file("hard").c_str()), 0);
  ASSERT_EQ(::symlink("newmods.for", dir.file("soft").c_str()), 0);
  const std::optional<FileIdentity> file = identityOf(dir.file("newmods.for"));
  ASSERT_TRUE(file.has_value());
  EXPECT_TRUE(file->name.empty());
  struct Case {
    const char* name;
    bool same;
  };
  for (const Case& c : {Case{"hard", true}, Case{"soft", true}, Case{"dimdef.for", false}}) {
    const std::optional<FileIdentity> other = identityOf(dir.file(c.name));
    ASSERT_TRUE(other.has_value()) << c.name;
    EXPECT_EQ(*other == *file, c.same) << c.name;
  }
}

TEST(FileIdentity, OnlyRegularFilesHaveOne) {
  TempDir dir;
  int ends[2] = {-1, -1};
  ASSERT_EQ(::pipe(ends), 0);
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const int directory = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  struct Case {
    const char* what;
    int fd;
  };
  for (const Case& c : {Case{"a pipe", ends[1]}, Case{"/dev/null", null},
                        Case{"a directory", directory}, Case{"no descriptor", -1}})
    EXPECT_EQ(regularFileIdentity(c.fd), std::nullopt) << c.what;
  for (const int fd : {ends[0], ends[1], null, directory}) ::close(fd);
}

TEST(FileIdentity, AFileToBeCreatedIsItsDirectoryAndName) {
  TempDir dir;
  struct stat status {};
  ASSERT_EQ(::stat(dir.path().c_str(), &status), 0);
  const FileIdentity created = fileIdentity(status, "debug.lis");
  EXPECT_EQ(created.name, "debug.lis");
  EXPECT_NE(created, fileIdentity(status, "dimdef.for"));
  EXPECT_NE(created, fileIdentity(status));
  EXPECT_EQ(fileIdentity(status).inode, static_cast<std::uint64_t>(status.st_ino));
}

}  // namespace
}  // namespace sizgen
