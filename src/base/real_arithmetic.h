#pragma once

#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>

#include "base/error.h"

// Whether long double is the x87 extended format, see note [real products].
#if __LDBL_MANT_DIG__ == 64 && __LDBL_MAX_EXP__ == 16384
#define SIZGEN_X87_LONG_DOUBLE 1
#else
#include "base/software_extended.h"
#endif

namespace sizgen {

// note [real products]
// A product or quotient that involves a REAL is evaluated with a 64-bit
// significand, rounded to nearest (even on ties), and converted to INTEGER
// by truncation toward zero, with no rounding to double in between: a
// default of 100 times a multiplier of 0.7 gives 69, because 0.7 is stored
// slightly below seven tenths, and 1000000 times 0.004117 gives 4117.
// That is the x87 extended format: where long double is that format (x86
// and x86-64) Extended is long double, elsewhere the same arithmetic done
// in software (base/software_extended.h), so that every processor gives
// the same integers.  The operations below are templates over the type so
// that the two can be compared where both exist.
#ifdef SIZGEN_X87_LONG_DOUBLE
using Extended = long double;
#else
using Extended = SoftwareExtended;
#endif
static_assert(std::numeric_limits<Extended>::digits == 64);

namespace extended {

// INT(value) when the truncated value fits 32 bits; nothing for a value
// out of range, infinite or not a number.
template <class Real>
std::optional<std::int32_t> truncateToInteger(const Real& value) {
  // Truncation toward zero fits when -2**31 - 1 < value < 2**31; NaN fails both.
  if (value > Real(std::int64_t{-2147483649}) && value < Real(std::int64_t{2147483648}))
    return static_cast<std::int32_t>(static_cast<std::int64_t>(value));
  return std::nullopt;
}

// INT(n * r), see note [real products].
template <class Real>
std::optional<std::int32_t> truncatedProduct(std::int64_t n, double r) {
  return truncateToInteger(Real(n) * Real(r));
}

// The square root, rounded to nearest.
template <class Real>
Real squareRoot(const Real& x) {
  using std::sqrt;
  return sqrt(x);
}

}  // namespace extended

inline std::optional<std::int32_t> truncateToInteger(const Extended& value) {
  return extended::truncateToInteger(value);
}
inline std::optional<std::int32_t> truncatedProduct(std::int64_t n, double r) {
  return extended::truncatedProduct<Extended>(n, r);
}
inline Extended squareRoot(const Extended& x) {
  return extended::squareRoot(x);
}

// Where a value came from, for the message of a value out of range: the
// words that say it and the card they name.
struct ValueSource {
  std::string text;  // empty: nothing to say
  CardPlace place;   // card 0: no card to blame
};

// Throws sizgen::Error "WHAT is out of the 32-bit range", followed by
// "; WHERE" when `where` says where the value came from; a ValueError
// that blames the card `where` names, when it names one.
[[noreturn]] void outOfRange(const std::string& what, const ValueSource& where = {});

// The text a `describe` argument of stored() gives.
template <class Text>
std::string textOf(const Text& text) {
  if constexpr (std::invocable<Text>) {
    return text();
  } else {
    return text;
  }
}

// Where a `where` argument of stored() says the value came from: a text,
// a source, or a function that makes either.
template <class Where>
ValueSource sourceOf(const Where& where) {
  if constexpr (std::invocable<Where>) {
    return sourceOf(where());
  } else if constexpr (std::is_convertible_v<Where, std::string>) {
    return {std::string(where), {}};
  } else {
    return where;
  }
}

// A value computed in 64 bits (or a truncated real, nothing when it did not
// fit), to be stored in a 32-bit table entry.  When it does not fit,
// throws sizgen::Error "WHAT is out of the 32-bit range": WHAT is
// `describe`, a text or a function that makes it, called only then, since a
// plan stores hundreds of values and most plans fit.
// `where`, a text, a ValueSource or a function that makes one, says where
// the largest part of the value came from.
template <class Describe, class Where = std::string>
std::int32_t stored(std::optional<std::int64_t> value, const Describe& describe,
                    const Where& where = {}) {
  if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
      *value > std::numeric_limits<std::int32_t>::max()) {
    outOfRange(textOf(describe), sourceOf(where));
  }
  return static_cast<std::int32_t>(*value);
}

}  // namespace sizgen
