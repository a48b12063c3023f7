#pragma once

#include <string>

namespace sizgen {

// A path split at its last slash: the directory part, slash included (""
// for a name in the current directory), and the name in that directory.
struct PathParts {
  std::string directory;
  std::string name;
};
PathParts splitPath(const std::string& path);

// The directory a path names a file in, as a path of its own: "." for a
// name in the current directory, "/" for one in the root.
std::string directoryOf(const std::string& path);

// The path of the file `name` in `directory` ("" for the current one).
std::string pathIn(const std::string& directory, const std::string& name);

}  // namespace sizgen
