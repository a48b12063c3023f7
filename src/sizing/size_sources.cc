#include "sizing/size_sources.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "model/catalog.h"
#include "sizing/list_resolution.h"
#include "sizing/storage_total.h"

namespace sizgen {
namespace {

std::optional<CardOrigin> ifFromCard(const CardOrigin& origin) {
  if (origin.card == 0) return std::nullopt;
  return origin;
}

// The larger of two factors, as the card that set it.
std::optional<CardOrigin> larger(double a, const std::optional<CardOrigin>& aSource, double b,
                                 const std::optional<CardOrigin>& bSource) {
  return std::fabs(a) >= std::fabs(b) ? aSource : bSource;
}

}  // namespace

std::optional<CardOrigin> listSource(const DeckSettings& settings, const ListHistory& history,
                                     std::size_t k) {
  const std::vector<ListStep>& steps = history(k);
  // The last step first.
  for (std::size_t n = steps.size(); n-- > 0;) {
    const ListStep& taken = steps[n];
    const ListRule& rule = taken.rule;
    if (std::holds_alternative<step::FromCard>(rule)) return ifFromCard(settings.LSTNEW(k).origin);
    if (std::holds_alternative<step::FromDefault>(rule)) return ifFromCard(settings.DEFMUL.origin);
    if (const auto* scaled = std::get_if<step::FinalMultiplier>(&rule)) {
      // The size before the step, or the multiplier, whichever is larger.
      if (std::fabs(scaled->FINMUL) >= std::abs(static_cast<double>(taken.before)))
        return ifFromCard(settings.FINMUL.origin);
      continue;
    }
    if (const auto* derived = std::get_if<step::Derived>(&rule)) {
      const DerivedFormula& formula = *derived->formula;
      const auto a = static_cast<std::size_t>(formula.a);
      if (formula.shape == DerivedFormula::Shape::RealScaled) {
        return larger(static_cast<double>(derived->a), listSource(settings, history, a),
                      derived->SCALE6, ifFromCard(settings.SCALE6.origin));
      }
      if (formula.b == 0) return listSource(settings, history, a);
      const auto b = static_cast<std::size_t>(formula.b);
      return std::abs(derived->a) >= std::abs(derived->b) ? listSource(settings, history, a)
                                                          : listSource(settings, history, b);
    }
    if (const auto* offset = std::get_if<step::FirstOffset>(&rule))
      return ifFromCard(settings.LSTSUP(static_cast<std::size_t>(offset->offset)).origin);
    if (const auto* plot = std::get_if<step::PlotList>(&rule))
      return ifFromCard(settings.LSTSUP(static_cast<std::size_t>(plot->offset)).origin);
    if (const auto* root = std::get_if<step::SquareRootRule>(&rule))
      return ifFromCard(settings.LSTSUP(static_cast<std::size_t>(root->offset)).origin);
    if (std::holds_alternative<step::NeighbourList>(rule))
      return ifFromCard(settings.SCALE6.origin);
    if (std::holds_alternative<step::DerivedWhenL11IsOne>(rule) ||
        std::holds_alternative<step::RamTables>(rule))
      return std::nullopt;
    // The adjustments add little: what came before holds the size.
  }
  return std::nullopt;
}

std::string sourceText(const CardOrigin& origin) {
  CardPlace place = placeOf(origin);
  place.columnsAsRange = true;
  return cardPlaceText(place);
}

namespace {

// "from card ...", or nothing when no card set it.
std::optional<std::string> fromText(const std::optional<CardOrigin>& source) {
  if (!source || source->card == 0) return std::nullopt;
  return "from " + sourceText(*source);
}

// `text` said of `source`; nothing when no card set it.
ValueSource sourceSaying(const std::string& text, const std::optional<CardOrigin>& source) {
  const auto from = fromText(source);
  if (!from) return {};
  return {text + " comes " + *from, placeOf(*source)};
}

}  // namespace

ValueSource listSourceText(const DeckSettings& settings, const ListHistory& history,
                           std::size_t k) {
  return sourceSaying("list " + std::to_string(k), listSource(settings, history, k));
}

ValueSource largerFactorText(double a, const std::optional<CardOrigin>& aSource, double b,
                             const std::optional<CardOrigin>& bSource) {
  return sourceSaying("the larger factor", larger(a, aSource, b, bSource));
}

ValueSource totalSourceText(const DeckSettings& settings, const ListHistory& history,
                            const ListSizes& LSTNEW) {
  // The words of each list in the total, and its largest array.
  struct Share {
    std::size_t list = 0;
    std::int64_t words = 0;
    int arrays = 0;
    int largestRow = 0;
    std::int64_t largestWords = 0;
  };
  std::array<Share, kLists + 1> shares{};
  for (int i = 1; i <= kGroups[0].lastRow; ++i) {
    const CatalogRow& row = catalogRow(i);
    if (!countsInTotal(row.list)) continue;
    const auto k = static_cast<std::size_t>(row.list);
    const std::int64_t words = std::int64_t{wordsPerElement(effectiveTypeCode(row))} * LSTNEW(k);
    Share& share = shares[k];
    share.list = k;
    share.words += words;
    ++share.arrays;
    if (share.largestRow == 0 || std::abs(words) > std::abs(share.largestWords)) {
      share.largestRow = i;
      share.largestWords = words;
    }
  }
  std::sort(shares.begin(), shares.end(),
            [](const Share& a, const Share& b) { return std::abs(a.words) > std::abs(b.words); });
  std::string text = "most of it is";
  CardPlace place;  // the first card named
  for (std::size_t n = 0; n < 2 && shares[n].arrays > 0; ++n) {
    const Share& share = shares[n];
    text += std::string(n == 0 ? " " : "; then ") + "list " + std::to_string(share.list) + ", " +
            std::to_string(share.words) + " words in " + std::to_string(share.arrays) +
            (share.arrays == 1 ? " array (" : " arrays (the largest ") +
            std::string(trimmedName(catalogRow(share.largestRow).name)) + ", row " +
            std::to_string(share.largestRow) + ")";
    const auto source = listSource(settings, history, share.list);
    if (const auto from = fromText(source)) {
      text += ", " + *from;
      if (place.card == 0) place = placeOf(*source);
    }
  }
  return {text, place};
}

}  // namespace sizgen
