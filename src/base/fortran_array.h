#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <span>

namespace sizgen {

// A run-wide table indexed from 1, as the host program and the generated
// code index it: LSTNEW(15) is list 15.
template <class T, std::size_t N>
class FortranArray {
 public:
  constexpr T& operator()(std::size_t k) {
    assert(k >= 1 && k <= N);
    return values_[k - 1];
  }
  constexpr const T& operator()(std::size_t k) const {
    assert(k >= 1 && k <= N);
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
    assert(first >= 1 && first <= last && last <= N);
    return std::span<const T>(values_).subspan(first - 1, last - first + 1);
  }

  friend constexpr bool operator==(const FortranArray&, const FortranArray&) = default;

 private:
  std::array<T, N> values_{};
};

}  // namespace sizgen
