// The table of the generated files, as the run, --diff and --help read it.

#include "emit/generated_files.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/sink.h"
#include "driver/command_line.h"
#include "sizing/run_planning.h"
#include "support/test_support.h"

namespace sizgen {
namespace {

TEST(GeneratedFiles, RenderedAsTheirWritersRenderThem) {
  DeckSettings settings;
  settings.LSTFIX(3) = 1;
  const RunPlan plan = planRun(settings);
  const RenderedFiles texts = renderGeneratedFiles(plan);
  std::set<std::string_view> names;
  for (std::size_t i = 0; i < kGeneratedFiles.size(); ++i) {
    const GeneratedFile& file = kGeneratedFiles[i];
    EXPECT_TRUE(names.insert(file.name).second) << file.name << " twice";
    if (!file.written()) {
      EXPECT_EQ(texts[i], "") << file.name;
      continue;
    }
    MemorySink sink;
    file.writer(plan, sink);
    EXPECT_EQ(texts[i], sink.text()) << file.name;
    EXPECT_FALSE(texts[i].empty()) << file.name;
  }
  // dum.bin alone is never written.
  for (const GeneratedFile& file : kGeneratedFiles)
    EXPECT_EQ(file.written(), file.name != "dum.bin") << file.name;
}

// Each file a line of --help, its description in one column, the file
// never written last.
TEST(GeneratedFiles, HelpListsEachFileOnceInOneColumn) {
  const std::vector<std::string> lines = testing::linesOf(generatedFilesHelp());
  ASSERT_EQ(lines.size(), kGeneratedFiles.size());
  std::size_t column = std::string::npos;
  std::set<std::string> listed;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    ASSERT_TRUE(line.starts_with("  ")) << line;
    const std::string name = line.substr(2, line.find(' ', 2) - 2);
    listed.insert(name);
    const std::size_t description = line.find_first_not_of(' ', 2 + name.size());
    if (column == std::string::npos) column = description;
    EXPECT_EQ(description, column) << line;
    EXPECT_EQ(name == "dum.bin", i + 1 == lines.size()) << line;
  }
  EXPECT_EQ(listed.size(), kGeneratedFiles.size());
  EXPECT_NE(std::string(helpText()).find(generatedFilesHelp()), std::string::npos);
}

}  // namespace
}  // namespace sizgen
