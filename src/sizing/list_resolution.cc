#include "sizing/list_resolution.h"

#include <string>

#include "sizing/real_arithmetic.h"

namespace sizgen {
namespace {

std::string list(std::size_t k, const std::string& formula) {
  return "list " + std::to_string(k) + " (" + formula + ")";
}

// Adds `increment` to list k.
// cppcheck-suppress constParameter ; LSTNEW(k) = ... stores into the table
void add(ListSizes& LSTNEW, std::size_t k, std::int32_t increment) {
  std::string formula = "L";
  formula += std::to_string(k);
  formula += " + ";
  formula += std::to_string(increment);
  LSTNEW(k) = stored(std::int64_t{LSTNEW(k)} + increment, list(k, formula));
}

void makeMultipleOf4(ListSizes& LSTNEW) {
  if (LSTNEW(15) % 4 != 0) add(LSTNEW, 15, 2);
}

}  // namespace

void resolveCardLists(const DeckSettings& settings, ListSizes& LSTNEW) {
  for (std::size_t k = 1; k <= static_cast<std::size_t>(settings.NLISTS); ++k) {
    if (LSTNEW(k) == 0) {
      LSTNEW(k) =
          stored(truncatedProduct(LSTDEF[k - 1], settings.DEFMUL), list(k, "LSTDEF x DEFMUL"));
    }
    if (settings.KSCALE == 1 && settings.LSTFIX(k) == 0) {
      LSTNEW(k) = stored(truncatedProduct(LSTNEW(k), settings.FINMUL), list(k, "size x FINMUL"));
    }
    if (LSTNEW(k) <= 0) LSTNEW(k) = 1;
  }
}

void adjustLists(ListSizes& LSTNEW) {
  makeMultipleOf4(LSTNEW);
  add(LSTNEW, 1, 2);
  if (LSTNEW(19) <= 23) LSTNEW(19) = 23;
  if (LSTNEW(26) <= 10) LSTNEW(26) = 10;
  for (std::size_t k : {1, 7, 15, 16, 27}) {
    if (LSTNEW(k) % 2 != 0) add(LSTNEW, k, 1);
  }
  makeMultipleOf4(LSTNEW);
}

void deriveLists(const DeckSettings& settings, ListSizes& LSTNEW) {
  // Each value is computed in 64 bits from lists 1 to 30 and must fit
  // 32 bits when it is stored; none reads another derived list.
  auto L = [&](std::size_t n) -> std::int64_t { return LSTNEW(n); };
  auto set = [&](std::size_t k, std::int64_t value, const char* formula) {
    LSTNEW(k) = stored(value, list(k, formula));
  };
  set(51, 2 * L(12), "2 x L12");
  set(52, 4 * L(4), "4 x L4");
  set(53, L(9) + (3 * L(25)) / 112, "L9 + 3 x L25 / 112");
  set(54, L(14) + L(5), "L14 + L5");
  set(55, L(9) + L(17), "L9 + L17");
  LSTNEW(56) = stored(truncatedProduct(L(6), settings.SCALE6), list(56, "L6 x SCALE6"));
  set(57, L(1) * L(24), "L1 x L24");
  set(58, 4 * L(12), "4 x L12");
  set(59, 2 * L(26), "2 x L26");
  set(60, 2 * L(6), "2 x L6");
  set(62, 4 * L(18), "4 x L18");
  set(63, 3 * L(6), "3 x L6");
  set(64, 4 * L(6), "4 x L6");
  if (L(11) == 1) {
    LSTNEW(65) = 1;
    LSTNEW(66) = 1;
    LSTNEW(67) = 1;
    LSTNEW(68) = 1;
    LSTNEW(69) = 27;
    LSTNEW(70) = 2;
  } else {
    set(65, 101 * L(17), "101 x L17");
    set(66, 24 * L(17), "24 x L17");
    set(67, 12 * L(16), "12 x L16");
    set(68, 6 * L(16), "6 x L16");
    set(69, 30 * L(17), "30 x L17");
    set(70, 5 * L(11) + 2, "5 x L11 + 2");
  }
  set(71, 2 * L(1), "2 x L1");
  set(72, 3 * L(30) + 3, "3 x L30 + 3");
  set(73, 2 * L(6), "2 x L6");
  set(74, 2 * L(12), "2 x L12");
}

bool finalSizesShown(const DeckSettings& settings) {
  return settings.KSCALE != 0 || settings.DEFMUL != 1.0;
}

}  // namespace sizgen
