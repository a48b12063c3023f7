#include "files/paths.h"

namespace sizgen {

PathParts splitPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {{}, path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

std::string directoryOf(const std::string& path) {
  std::string directory = splitPath(path).directory;
  if (directory.empty()) return ".";
  if (directory.size() > 1) directory.pop_back();
  return directory;
}

std::string pathIn(const std::string& directory, const std::string& name) {
  return directory.empty() ? name : directory + "/" + name;
}

}  // namespace sizgen
