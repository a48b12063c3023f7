#pragma once

// A real of the deck as the JSON documents write it.  JSON has no
// infinity, and a card may give a value beyond the range of a double that
// the run never uses (DEFAULT 1E999 when every list is given): it is
// written as the string "Infinity" or "-Infinity".  The reader admits no
// NaN.

#include <cmath>
#include <nlohmann/json.hpp>

namespace sizgen {

inline nlohmann::ordered_json jsonReal(double value) {
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  return value;
}

}  // namespace sizgen
