#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/output_files.h"

namespace sizgen {

// Files held in memory, for a run that touches no file system.
class MemoryFiles final : public OutputFiles {
 public:
  std::optional<FileIdentity> prepare(std::string_view /*name*/, Use /*use*/) override {
    return std::nullopt;
  }
  void commit(std::span<const Content> contents) override;
  // What the run committed as `name` ("" for a file never written), or
  // nothing when it committed no set.
  const std::string* text(std::string_view name) const;

 private:
  std::vector<std::pair<std::string, std::string>> files_;
};

}  // namespace sizgen
