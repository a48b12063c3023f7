#include "files/memory_files.h"

#include <gtest/gtest.h>

#include <string>

namespace sizgen {
namespace {

TEST(MemoryFiles, HoldTheCommittedSetOnly) {
  MemoryFiles files;
  const std::string text = "      END\n";
  EXPECT_EQ(files.text("newmods.for"), nullptr);
  const OutputFiles::Content contents[] = {{"newmods.for", &text}, {"dum.bin", nullptr}};
  files.commit(contents);
  ASSERT_NE(files.text("newmods.for"), nullptr);
  EXPECT_EQ(*files.text("newmods.for"), "      END\n");
  EXPECT_EQ(*files.text("dum.bin"), "");
  EXPECT_EQ(files.text("debug.lis"), nullptr);
}

}  // namespace
}  // namespace sizgen
