#pragma once

// The times of files, for tests that tell whether a run wrote a file.

#include <string>

namespace sizgen::testing {

// The modification time of `path`, in nanoseconds; -1 when it has none.
long long modified(const std::string& path);

// Sets the times of `path` back to the year 2001, so that any write shows.
void age(const std::string& path);

}  // namespace sizgen::testing
