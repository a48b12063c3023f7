#include "base/real_arithmetic.h"

#include "base/error.h"

namespace sizgen {

void outOfRange(const std::string& what, const ValueSource& where) {
  const std::string message =
      what + " is out of the 32-bit range" + (where.text.empty() ? "" : "; " + where.text);
  if (where.place.card != 0) throw ValueError(message, where.place);
  throw Error(message);
}

}  // namespace sizgen
