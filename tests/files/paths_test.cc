#include "files/paths.h"

#include <gtest/gtest.h>

#include <string>

namespace sizgen {
namespace {

TEST(Paths, SplitAtTheLastSlash) {
  struct Case {
    std::string path, directory, name, directoryOf;
  };
  const Case cases[] = {
      {"newmods.for", "", "newmods.for", "."},
      {"out/newmods.for", "out/", "newmods.for", "out"},
      {"/newmods.for", "/", "newmods.for", "/"},
      {"/tmp/a/dimdef.for", "/tmp/a/", "dimdef.for", "/tmp/a"},
      {"a//debug.lis", "a//", "debug.lis", "a/"},
      {"out/", "out/", "", "out"},
  };
  for (const Case& c : cases) {
    const PathParts parts = splitPath(c.path);
    EXPECT_EQ(parts.directory, c.directory) << c.path;
    EXPECT_EQ(parts.name, c.name) << c.path;
    EXPECT_EQ(parts.directory + parts.name, c.path) << c.path;
    EXPECT_EQ(directoryOf(c.path), c.directoryOf) << c.path;
  }
}

TEST(Paths, FileInADirectory) {
  EXPECT_EQ(pathIn("", "dum.bin"), "dum.bin");
  EXPECT_EQ(pathIn("out", "dum.bin"), "out/dum.bin");
  EXPECT_EQ(pathIn("/", "dum.bin"), "//dum.bin");
  EXPECT_EQ(splitPath(pathIn("out/sub", "dum.bin")).directory, "out/sub/");
}

}  // namespace
}  // namespace sizgen
