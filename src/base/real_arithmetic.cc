#include "base/real_arithmetic.h"

#include "base/error.h"

namespace sizgen {

std::optional<std::int32_t> truncateToInteger(Extended value) {
  // Truncation toward zero fits when -2**31 - 1 < value < 2**31; NaN fails both.
  if (value > -2147483649.0L && value < 2147483648.0L) return static_cast<std::int32_t>(value);
  return std::nullopt;
}

std::optional<std::int32_t> truncatedProduct(std::int64_t n, double r) {
  return truncateToInteger(static_cast<Extended>(n) * static_cast<Extended>(r));
}

void outOfRange(const std::string& what, const std::string& where) {
  throw Error(what + " is out of the 32-bit range" + (where.empty() ? "" : "; " + where));
}

}  // namespace sizgen
