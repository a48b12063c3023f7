#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>

#include "base/error.h"

namespace sizgen {

// A run-wide table indexed from 1, as the host program and the generated
// code index it: LSTNEW(15) is list 15.
template <class T, std::size_t N>
class FortranArray {
 public:
  constexpr T& operator()(std::size_t k) {
    if (k < 1 || k > N) outOfBounds(k);
    return values_[k - 1];
  }
  constexpr const T& operator()(std::size_t k) const {
    if (k < 1 || k > N) outOfBounds(k);
    return values_[k - 1];
  }

  // A table with every entry set to `value`.
  static constexpr FortranArray filled(const T& value) {
    FortranArray table;
    table.values_.fill(value);
    return table;
  }

  // Entries first to last, in order.
  constexpr std::span<const T> range(std::size_t first, std::size_t last) const {
    if (first < 1 || first > last || last > N) outOfBounds(first < 1 || first > N ? first : last);
    return std::span<const T>(values_).subspan(first - 1, last - first + 1);
  }

  friend constexpr bool operator==(const FortranArray&, const FortranArray&) = default;

 private:
  // Kept out of line, so that the check costs the caller a compare only.
  [[noreturn, gnu::cold, gnu::noinline]] static void outOfBounds(std::size_t k) {
    throw InternalError("index " + std::to_string(k) + " outside 1 to " + std::to_string(N));
  }

  std::array<T, N> values_{};
};

}  // namespace sizgen
