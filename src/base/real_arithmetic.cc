#include "base/real_arithmetic.h"

#include "base/error.h"

namespace sizgen {

void outOfRange(const std::string& what, const std::string& where) {
  throw Error(what + " is out of the 32-bit range" + (where.empty() ? "" : "; " + where));
}

}  // namespace sizgen
