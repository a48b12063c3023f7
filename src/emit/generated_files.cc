#include "emit/generated_files.h"

#include <algorithm>

namespace sizgen {

RenderedFiles renderGeneratedFiles(const RunPlan& plan) {
  RenderedFiles texts;
  for (std::size_t i = 0; i < kGeneratedFiles.size(); ++i) {
    if (!kGeneratedFiles[i].written()) continue;
    MemorySink sink;
    kGeneratedFiles[i].writer(plan, sink);
    texts[i] = sink.text();
  }
  return texts;
}

std::string generatedFilesHelp() {
  std::size_t width = 0;
  for (const GeneratedFile& file : kGeneratedFiles) width = std::max(width, file.name.size());
  std::string text;
  for (const bool written : {true, false}) {
    for (const GeneratedFile& file : kGeneratedFiles) {
      if (file.written() != written) continue;
      text.append("  ").append(file.name).append(width + 2 - file.name.size(), ' ');
      text.append(file.description).append("\n");
    }
  }
  return text;
}

}  // namespace sizgen
