#include "files/distinct_outputs.h"

#include "base/error.h"

namespace sizgen {

void DistinctOutputs::add(std::string name, std::optional<FileIdentity> identity) {
  if (!identity) return;
  for (const auto& [earlier, seen] : seen_) {
    if (seen != *identity) continue;
    std::string message = earlier;
    message.append(" and ").append(name).append(" are the same file");
    throw Error(message);
  }
  seen_.emplace_back(std::move(name), *identity);
}

}  // namespace sizgen
