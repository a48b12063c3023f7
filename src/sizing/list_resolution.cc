#include "sizing/list_resolution.h"

#include <string>

#include "base/real_arithmetic.h"
#include "sizing/size_sources.h"

namespace sizgen {
namespace {

std::string list(std::size_t k, const std::string& formula) {
  return "list " + std::to_string(k) + " (" + formula + ")";
}

std::string L(std::int32_t n) {
  return "L" + std::to_string(n);
}

// Adds `increment` to list k, a step of rule `Rule`.  `settings` say
// where the list came from if it leaves the range.
template <class Rule>
void add(const DeckSettings& settings, ListSizes& LSTNEW, ListHistory& history, std::size_t k,
         std::int32_t increment) {
  auto describe = [&] {
    return list(k, "L" + std::to_string(k) + " + " + std::to_string(increment));
  };
  auto where = [&] { return listSourceText(settings, history, k); };
  storeStep(LSTNEW, history, k, stored(std::int64_t{LSTNEW(k)} + increment, describe, where),
            Rule{increment});
}

void makeMultipleOf4(const DeckSettings& settings, ListSizes& LSTNEW, ListHistory& history) {
  if (LSTNEW(15) % 4 != 0) add<step::MultipleOf4>(settings, LSTNEW, history, 15, 2);
}

// Raises list k to `minimum` when it is smaller.
// cppcheck-suppress constParameter ; storeStep stores into both tables
void raiseTo(ListSizes& LSTNEW, ListHistory& history, std::size_t k, std::int32_t minimum) {
  if (LSTNEW(k) < minimum) storeStep(LSTNEW, history, k, minimum, step::AtLeast{minimum});
}

}  // namespace

std::string formulaText(const DerivedFormula& formula, const std::string& a, const std::string& b,
                        const std::string& scale6) {
  using Shape = DerivedFormula::Shape;
  std::string factor = formula.factor == 1 ? "" : std::to_string(formula.factor) + " x ";
  switch (formula.shape) {
    case Shape::Scaled:
      return factor + a + (formula.addend != 0 ? " + " + std::to_string(formula.addend) : "");
    case Shape::SumWithShare:
      return a + " + " + factor + b +
             (formula.divisor != 1 ? " / " + std::to_string(formula.divisor) : "");
    case Shape::Product:
      return a + " x " + b;
    case Shape::RealScaled:
      return a + " x " + scale6;
  }
  return {};
}

std::string formulaText(const DerivedFormula& formula) {
  return formulaText(formula, L(formula.a), L(formula.b), "SCALE6");
}

ListSizes resolveCardLists(const DeckSettings& settings, ListHistory& history) {
  // The lists as the cards gave them, 0 where they gave none.
  ListSizes LSTNEW;
  const auto NLISTS = static_cast<std::size_t>(settings.NLISTS);
  for (std::size_t k = 1; k <= kCardLists; ++k) {
    if (settings.LSTNEW(k) != 0)
      storeStep(LSTNEW, history, k, settings.LSTNEW(k), step::FromCard{k <= NLISTS});
  }
  for (std::size_t k = 1; k <= NLISTS; ++k) {
    if (LSTNEW(k) == 0) {
      storeStep(LSTNEW, history, k,
                stored(
                    truncatedProduct(LSTDEF[k - 1], settings.DEFMUL),
                    [k] { return list(k, "LSTDEF x DEFMUL"); },
                    [&] {
                      return largerFactorText(LSTDEF[k - 1], std::nullopt, settings.DEFMUL,
                                              settings.DEFMUL.origin);
                    }),
                step::FromDefault{LSTDEF[k - 1], settings.DEFMUL});
    }
    if (settings.KSCALE == 1 && settings.LSTFIX(k) == 0) {
      storeStep(LSTNEW, history, k,
                stored(
                    truncatedProduct(LSTNEW(k), settings.FINMUL),
                    [k] { return list(k, "size x FINMUL"); },
                    [&] {
                      return largerFactorText(LSTNEW(k), listSource(settings, history, k),
                                              settings.FINMUL, settings.FINMUL.origin);
                    }),
                step::FinalMultiplier{settings.FINMUL});
    } else if (settings.KSCALE == 1) {
      storeStep(LSTNEW, history, k, LSTNEW(k), step::FixedExempt{});
    }
    if (LSTNEW(k) <= 0) storeStep(LSTNEW, history, k, 1, step::FloorAtOne{});
  }
  // Lists the fourth list-size card would bring into the pass.
  for (std::size_t k = NLISTS + 1; k <= LSTDEF.size(); ++k) {
    if (history(k).empty()) history(k).push_back({step::WithoutFourthCard{}});
  }
  return LSTNEW;
}

void adjustLists(const DeckSettings& settings, ListSizes& LSTNEW, ListHistory& history) {
  makeMultipleOf4(settings, LSTNEW, history);
  add<step::PlusTwo>(settings, LSTNEW, history, 1, 2);
  raiseTo(LSTNEW, history, 19, 23);
  raiseTo(LSTNEW, history, 26, 10);
  for (std::size_t k : {1, 7, 15, 16, 27}) {
    if (LSTNEW(k) % 2 != 0) add<step::MadeEven>(settings, LSTNEW, history, k, 1);
  }
  makeMultipleOf4(settings, LSTNEW, history);
}

void deriveLists(const DeckSettings& settings, ListSizes& LSTNEW, ListHistory& history) {
  using Shape = DerivedFormula::Shape;
  // Each value is computed in 64 bits from lists 1 to 30 and must fit
  // 32 bits when it is stored; none reads another derived list, so the
  // lists may be set in table order.
  const bool L11IsOne = LSTNEW(11) == 1;
  for (const DerivedFormula& formula : kDerivedLists) {
    auto k = static_cast<std::size_t>(formula.list);
    if (L11IsOne && formula.whenL11IsOne) {
      storeStep(LSTNEW, history, k, *formula.whenL11IsOne, step::DerivedWhenL11IsOne{&formula});
      continue;
    }
    const std::int64_t a = LSTNEW(static_cast<std::size_t>(formula.a));
    const std::int64_t b = formula.b != 0 ? LSTNEW(static_cast<std::size_t>(formula.b)) : 0;
    auto what = [&] { return list(k, formulaText(formula)); };
    auto where = [&] {
      const auto source = [&](std::int32_t operand) {
        return listSource(settings, history, static_cast<std::size_t>(operand));
      };
      if (formula.shape == Shape::RealScaled)
        return largerFactorText(static_cast<double>(a), source(formula.a), settings.SCALE6,
                                settings.SCALE6.origin);
      if (formula.b == 0) return listSourceText(settings, history, formula.a);
      return std::abs(a) >= std::abs(b) ? listSourceText(settings, history, formula.a)
                                        : listSourceText(settings, history, formula.b);
    };
    std::int32_t value = 0;
    switch (formula.shape) {
      case Shape::Scaled:
        value = stored(formula.factor * a + formula.addend, what, where);
        break;
      case Shape::SumWithShare:
        value = stored(a + formula.factor * b / formula.divisor, what, where);
        break;
      case Shape::Product:
        value = stored(a * b, what, where);
        break;
      case Shape::RealScaled:
        value = stored(truncatedProduct(a, settings.SCALE6), what, where);
        break;
    }
    storeStep(LSTNEW, history, k, value, step::Derived{&formula, a, b, settings.SCALE6});
  }
}

}  // namespace sizgen
