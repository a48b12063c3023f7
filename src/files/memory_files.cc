#include "files/memory_files.h"

#include <algorithm>

namespace sizgen {

void MemoryFiles::commit(std::span<const Content> contents) {
  files_.resize(contents.size());
  std::transform(contents.begin(), contents.end(), files_.begin(), [](const Content& content) {
    return std::pair{std::string(content.name), content.text ? *content.text : std::string()};
  });
}

const std::string* MemoryFiles::text(std::string_view name) const {
  auto file = std::find_if(files_.begin(), files_.end(),
                           [&](const auto& committed) { return committed.first == name; });
  return file != files_.end() ? &file->second : nullptr;
}

}  // namespace sizgen
