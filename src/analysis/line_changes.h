#pragma once

// How two texts differ line by line, counted: the lines of each outside
// their longest common subsequence.  --diff counts so the lines of each
// generated file that a new deck changes.

#include <cstdint>
#include <string_view>

namespace sizgen {

// How many lines a line-by-line difference of two texts removes from
// `before` and adds from `after`.
struct LineChanges {
  std::int64_t removed = 0;
  std::int64_t added = 0;
};
LineChanges lineChanges(std::string_view before, std::string_view after);

}  // namespace sizgen
