#pragma once

#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace sizgen {

// note [real products]
// A product or quotient that involves a REAL is evaluated with a 64-bit
// significand, rounded to nearest (even on ties), and converted to INTEGER
// by truncation toward zero, with no rounding to double in between: a
// default of 100 times a multiplier of 0.7 gives 69, because 0.7 is stored
// slightly below seven tenths, and 1000000 times 0.004117 gives 4117.  On
// x86-64 long double is exactly that format.
using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64,
              "sizgen needs a long double with a 64-bit significand (x86 extended precision)");

// INT(value) when the truncated value fits 32 bits; nothing for a value
// out of range, infinite or not a number.
std::optional<std::int32_t> truncateToInteger(Extended value);

// INT(n * r), see note [real products].
std::optional<std::int32_t> truncatedProduct(std::int64_t n, double r);

// Throws sizgen::Error "WHAT is out of the 32-bit range", followed by
// "; WHERE" when `where` says where the value came from.
[[noreturn]] void outOfRange(const std::string& what, const std::string& where = {});

// The text a `describe` or `where` argument of stored() gives.
template <class Text>
std::string textOf(const Text& text) {
  if constexpr (std::invocable<Text>) {
    return text();
  } else {
    return text;
  }
}

// A value computed in 64 bits (or a truncated real, nothing when it did not
// fit), to be stored in a 32-bit table entry.  When it does not fit,
// throws sizgen::Error "WHAT is out of the 32-bit range": WHAT is
// `describe`, a text or a function that makes it, called only then, since a
// plan stores hundreds of values and most plans fit.
// `where`, a text or a function that makes it, says where the largest
// part of the value came from.
template <class Describe, class Where = std::string>
std::int32_t stored(std::optional<std::int64_t> value, const Describe& describe,
                    const Where& where = {}) {
  if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
      *value > std::numeric_limits<std::int32_t>::max()) {
    outOfRange(textOf(describe), textOf(where));
  }
  return static_cast<std::int32_t>(*value);
}

}  // namespace sizgen
