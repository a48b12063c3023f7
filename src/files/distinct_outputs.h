#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "files/file_identity.h"

namespace sizgen {

// The deck and the outputs of a run met so far, in the order checked.  Two
// that are one file would write over each other (a listing redirected into
// newmods.for, dimdef.for a link to it, the deck named newmods.for), so
// the run checks each at start-up, before it writes a line to any.
class DistinctOutputs {
 public:
  // Records the output `name`.  Throws sizgen::Error "EARLIER and NAME are
  // the same file" when `identity` is that of an output recorded before,
  // naming the first such one.  An output without an identity (not a
  // regular file) is never the same file as another.
  void add(std::string name, std::optional<FileIdentity> identity);

 private:
  std::vector<std::pair<std::string, FileIdentity>> seen_;
};

}  // namespace sizgen
