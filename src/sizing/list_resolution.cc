#include "sizing/list_resolution.h"

#include <string>

#include "base/real_arithmetic.h"

namespace sizgen {
namespace {

std::string list(std::size_t k, const std::string& formula) {
  return "list " + std::to_string(k) + " (" + formula + ")";
}

std::string L(std::int32_t n) {
  return "L" + std::to_string(n);
}

// Adds `increment` to list k.
// cppcheck-suppress constParameter ; LSTNEW(k) = ... stores into the table
void add(ListSizes& LSTNEW, std::size_t k, std::int32_t increment) {
  std::string formula = "L" + std::to_string(k) + " + " + std::to_string(increment);
  LSTNEW(k) = stored(std::int64_t{LSTNEW(k)} + increment, list(k, formula));
}

void makeMultipleOf4(ListSizes& LSTNEW) {
  if (LSTNEW(15) % 4 != 0) add(LSTNEW, 15, 2);
}

}  // namespace

std::string formulaText(const DerivedFormula& formula) {
  using Shape = DerivedFormula::Shape;
  std::string factor = formula.factor == 1 ? "" : std::to_string(formula.factor) + " x ";
  switch (formula.shape) {
    case Shape::Scaled:
      return factor + L(formula.a) +
             (formula.addend != 0 ? " + " + std::to_string(formula.addend) : "");
    case Shape::SumWithShare:
      return L(formula.a) + " + " + factor + L(formula.b) +
             (formula.divisor != 1 ? " / " + std::to_string(formula.divisor) : "");
    case Shape::Product:
      return L(formula.a) + " x " + L(formula.b);
    case Shape::RealScaled:
      return L(formula.a) + " x SCALE6";
  }
  return {};
}

ListSizes resolveCardLists(const DeckSettings& settings) {
  ListSizes LSTNEW = settings.LSTNEW;
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
  return LSTNEW;
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
  using Shape = DerivedFormula::Shape;
  // Each value is computed in 64 bits from lists 1 to 30 and must fit
  // 32 bits when it is stored; none reads another derived list, so the
  // lists may be set in table order.
  const bool L11IsOne = LSTNEW(11) == 1;
  for (const DerivedFormula& formula : kDerivedLists) {
    auto k = static_cast<std::size_t>(formula.list);
    if (L11IsOne && formula.whenL11IsOne) {
      LSTNEW(k) = *formula.whenL11IsOne;
      continue;
    }
    const std::int64_t a = LSTNEW(static_cast<std::size_t>(formula.a));
    const std::string what = list(k, formulaText(formula));
    switch (formula.shape) {
      case Shape::Scaled:
        LSTNEW(k) = stored(formula.factor * a + formula.addend, what);
        break;
      case Shape::SumWithShare:
        LSTNEW(k) = stored(
            a + formula.factor * std::int64_t{LSTNEW(static_cast<std::size_t>(formula.b))} /
                    formula.divisor,
            what);
        break;
      case Shape::Product:
        LSTNEW(k) = stored(a * LSTNEW(static_cast<std::size_t>(formula.b)), what);
        break;
      case Shape::RealScaled:
        LSTNEW(k) = stored(truncatedProduct(a, settings.SCALE6), what);
        break;
    }
  }
}

bool finalSizesShown(const DeckSettings& settings) {
  return settings.KSCALE != 0 || settings.DEFMUL != 1.0;
}

}  // namespace sizgen
