#include "analysis/memory_fit.h"

// note [the fit is exact]
// The storage f(r) as a function of the final multiplier r is a step
// function that is not monotone, so a bisection on r alone can miss the
// largest r that fits.  Where the non-monotone steps come from:
//
// - r reaches the storage only through the resolved lists 1 to NLISTS
//   (before the fixed adjustments): each is max(1, INT(base x r)) or, when
//   FIXED, constant, so each is non-decreasing in r (a negative base gives
//   1 until it leaves the 32-bit range).
// - From those lists to the storage everything is non-decreasing except
//   two places.  (1) List 15's adjustment adds 0, 3, 2 or 5 by the list's
//   remainder modulo 4: resolved 7 gives 12, resolved 8 gives 8.  (2) List
//   56 = INT(L6 x SCALE6) falls as L6 grows when NBHDSW is negative, and
//   with it NBHDSW's COMMON block under ROUND UP (a small negative
//   dimension is rounded up to one quantum, a larger one to none) and,
//   after RAM TABLES, JARRAY, dimensioned by LTLABL.
// - The other steps are monotone: the floor at 1, the minimums of lists 19
//   and 26, the L11 = 1 values of lists 65 to 70 (each at most what the
//   formula gives for L11 >= 2), the even and +2 adjustments, the derived
//   lists (sums and products of lists >= 1 with positive factors), the
//   rounding to a quantum (non-decreasing in the dimension, negative ones
//   included), LTLABL (each word it subtracts for lists 1, 7 and 15 is
//   outweighed by the words those lists add to MTOT).
//
// So f(r) = G(lists(r), final L15, L56) with G non-decreasing in all its
// arguments.  Over an interval [a, b] of card values the lists lie between
// lists(a) and lists(b), the final L15 is at least the least adjustment of
// the resolved L15 values in the interval (g(x + 4) = g(x) + 4, so the
// first four values suffice), and L56 at least the smaller of its values
// at both ends.  G at that low corner is a lower bound of f over the
// interval.  The search walks intervals depth first, the upper part
// first: an interval whose top value fits has it as its answer; one whose
// lower bound exceeds the budget holds no answer; any other is split.  So
// the answer is exact wherever the interval is split.  It is split first
// where a guess, found by interpolation on f as if f were monotone, puts
// the answer: the guess takes most of the plans (20 to 35 for the decks
// tried, as f rises in stairs that interpolation cannot see), and the
// walk then usually confirms it with two more.
//
// Sizes out of the 32-bit range count as not fitting.  When the low corner
// overflows, so does every value of the interval: a list that overflows
// at a overflows at every larger r (|base x r| grows), and so do the
// derived lists and MTOT, which only grow with the lists; LTLABL lies
// between L56 and MTOT, so it cannot overflow alone; L56 at the low corner
// is clamped to the 32-bit minimum, below which no value that does not
// overflow can lie.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>

#include "analysis/storage.h"
#include "base/error.h"
#include "base/real_arithmetic.h"
#include "sizing/list_resolution.h"
#include "sizing/run_planning.h"

namespace sizgen {
namespace {

// --- The values the SCALE card can hold ------------------------------------

// The card holds its value in the 8 columns 9-16, read as E8.0.  Values are
// searched decade by decade, [10**power, 10**(power + 1)), each with as
// many significant digits as 8 columns allow there: "12345-14" (the
// exponent without E, which the reader takes), "123456-9", ".0123456",
// ".1234567", "1.234567" to "1234567", "12345678", "123456+3".
// Below 1E-10 every list not FIXED is 1, as any list times the multiplier
// is below 1, so no smaller value gives another storage; above 2**31 every
// list not FIXED and not 0 leaves the 32-bit range, so 999999+4 is the
// largest value worth trying.
struct Decade {
  int power;
  int digits;
};

// clang-format off
constexpr std::array<Decade, 20> kDecades = {{
    {-10, 5}, {-9, 5}, {-8, 5}, {-7, 5}, {-6, 5}, {-5, 5},  // 12345-14 to 12345-9
    {-4, 6}, {-3, 6},                                       // 123456-9, 123456-8
    {-2, 6},                                                // .0123456
    {-1, 7},                                                // .1234567
    {0, 7}, {1, 7}, {2, 7}, {3, 7}, {4, 7}, {5, 7}, {6, 7}, // 1.234567 to 1234567
    {7, 8},                                                 // 12345678
    {8, 6}, {9, 6},                                         // 123456+3, 123456+4
}};
// clang-format on

constexpr std::int64_t powerOf10(int n) {
  std::int64_t p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

constexpr std::int64_t valuesIn(const Decade& decade) {
  return 9 * powerOf10(decade.digits - 1);
}

constexpr std::int64_t kValueCount = [] {
  std::int64_t count = 0;
  for (const Decade& decade : kDecades) count += valuesIn(decade);
  return count;
}();

constexpr std::size_t kColumns = 8;

// The text of mantissa x 10**exponent in at most 8 columns, as plain as
// it can be: "3.4", "0.05", "2.0", ".0123456", "1.2E-3", "123456-8".
std::string valueText(std::int64_t mantissa, int exponent) {
  while (mantissa % 10 == 0) {
    mantissa /= 10;
    ++exponent;
  }
  const std::string digits = std::to_string(mantissa);
  const auto count = static_cast<int>(digits.size());
  std::string plain;
  if (exponent >= 0) {
    plain = digits + std::string(static_cast<std::size_t>(exponent), '0');
    if (plain.size() + 2 <= kColumns) plain += ".0";
  } else if (-exponent < count) {
    const std::size_t whole = digits.size() - static_cast<std::size_t>(-exponent);
    plain = digits.substr(0, whole) + "." + digits.substr(whole);
  } else {
    plain = "0." + std::string(static_cast<std::size_t>(-exponent - count), '0') + digits;
    if (plain.size() > kColumns) plain.erase(0, 1);
  }
  if (plain.size() <= kColumns) return plain;
  const int scientific = exponent + count - 1;
  const std::string mantissaText = digits.substr(0, 1) + (count > 1 ? "." + digits.substr(1) : "");
  const std::string sign = scientific < 0 ? "-" : "+";
  const std::array<std::string, 3> forms = {
      mantissaText + "E" + std::to_string(scientific),
      mantissaText + sign + std::to_string(std::abs(scientific)),
      digits + (exponent < 0 ? "-" : "+") + std::to_string(std::abs(exponent))};
  const auto* fitting = std::find_if(
      forms.begin(), forms.end(), [](const std::string& text) { return text.size() <= kColumns; });
  if (fitting == forms.end())
    throw InternalError("no 8-column text for " + digits + "E" + std::to_string(exponent));
  return *fitting;
}

}  // namespace

std::int64_t scaleValueIndex(double r) {
  std::int64_t first = 0;
  std::int64_t index = 0;
  for (const Decade& decade : kDecades) {
    const long double unit = std::pow(10.0L, decade.power - decade.digits + 1);
    const long double mantissa = std::floor(static_cast<long double>(r) / unit);
    const auto lowest = static_cast<long double>(powerOf10(decade.digits - 1));
    if (mantissa < lowest) break;
    index = first + static_cast<std::int64_t>(std::min(mantissa, 10 * lowest - 1) - lowest);
    first += valuesIn(decade);
  }
  // The quotient may be one off either way.
  while (index + 1 < kValueCount && scaleValue(index + 1).multiplier <= r) ++index;
  while (index > 0 && scaleValue(index).multiplier > r) --index;
  return index;
}

namespace {

// --- Planning the deck with a card ------------------------------------------

DeckSettings withMultiplier(DeckSettings settings, double multiplier) {
  settings.KSCALE = 1;
  settings.FINMUL = multiplier;
  return settings;
}

// The lists of a deck at one multiplier: as the resolution pass leaves
// them and settled.
struct Lists {
  ListSizes passed;
  ListSizes settled;
};

class FitSearch {
 public:
  FitSearch(const DeckSettings& settings, std::int64_t budget)
      : settings_(settings), budget_(budget) {}

  const ScaleTrial& trial(std::int64_t index);
  bool fits(std::int64_t index) {
    const ScaleTrial& exact = trial(index);
    return exact.bytes && *exact.bytes <= budget_;
  }
  std::optional<std::int64_t> lastWorthSearching() const;
  std::int64_t guess(std::int64_t lo, std::int64_t hi);
  std::optional<std::int64_t> largestFitting(std::int64_t lo, std::int64_t hi, std::int64_t hint);
  int plans() const { return plans_; }

 private:
  bool resolutionOverflows(double multiplier) const;
  std::optional<std::int64_t> cardListBytes(std::int64_t index) const;
  std::optional<Lists> listsAt(std::int64_t index) const;
  bool beyondBudget(std::int64_t lo, std::int64_t hi);

  const DeckSettings& settings_;
  std::int64_t budget_;
  std::map<std::int64_t, ScaleTrial> trials_;
  int plans_ = 0;
};

const ScaleTrial& FitSearch::trial(std::int64_t index) {
  auto found = trials_.find(index);
  if (found != trials_.end()) return found->second;
  ScaleTrial result = scaleValue(index);
  const DeckSettings settings = withMultiplier(settings_, result.multiplier);
  ++plans_;
  try {
    result.bytes = totalBytes(planRun(settings));
  } catch (const Error& error) {
    result.error = error.what();
  }
  return trials_.emplace(index, std::move(result)).first->second;
}

// Whether a list times `multiplier` leaves the 32-bit range in the
// resolution pass, worked out without the exception that the pass throws
// (an exception costs as much as several plans).  An overflow at r is one
// at every larger r.
bool FitSearch::resolutionOverflows(double multiplier) const {
  for (std::size_t k = 1; k <= static_cast<std::size_t>(settings_.NLISTS); ++k) {
    std::optional<std::int32_t> base = settings_.LSTNEW(k);
    if (*base == 0) base = truncatedProduct(LSTDEF[k - 1], settings_.DEFMUL);
    if (!base) return true;
    if (settings_.LSTFIX(k) == 0 && !truncatedProduct(*base, multiplier)) return true;
  }
  return false;
}

// A lower bound of the storage that needs no plan: the bytes of the rows
// dimensioned by lists 1 to NLISTS (except list 29, which RAM TABLES
// replaces), at their resolved sizes, which the adjustments and rounding
// only raise.  Non-decreasing in the multiplier; nothing on an overflow.
std::optional<std::int64_t> FitSearch::cardListBytes(std::int64_t index) const {
  const double multiplier = scaleValue(index).multiplier;
  if (resolutionOverflows(multiplier)) return std::nullopt;
  const ListSizes lists = resolveCardLists(withMultiplier(settings_, multiplier));
  std::int64_t bytes = 0;
  for (int i = 1; i <= kCatalogRows; ++i) {
    const std::int32_t list = generatedListNumber(i);
    if (list < 1 || list > settings_.NLISTS || list == 29) continue;
    const std::int32_t type = effectiveTypeCode(catalogRow(i));
    bytes += lists(static_cast<std::size_t>(list)) * declaredElementBytes(type);
  }
  return bytes;
}

// The largest value whose lower bound above is within the budget: no
// value above it fits.  Nothing when not even the smallest is within it.
std::optional<std::int64_t> FitSearch::lastWorthSearching() const {
  auto within = [this](std::int64_t index) {
    std::optional<std::int64_t> bytes = cardListBytes(index);
    return bytes && *bytes <= budget_;
  };
  std::int64_t lo = 0;
  std::int64_t hi = kValueCount - 1;
  if (!within(lo)) return std::nullopt;
  if (within(hi)) return hi;
  while (hi - lo > 1) {  // within(lo), not within(hi)
    const std::int64_t mid = lo + (hi - lo) / 2;
    (within(mid) ? lo : hi) = mid;
  }
  return lo;
}

std::optional<Lists> FitSearch::listsAt(std::int64_t index) const {
  const DeckSettings settings = withMultiplier(settings_, scaleValue(index).multiplier);
  if (resolutionOverflows(settings.FINMUL)) return std::nullopt;
  try {
    Lists lists;
    lists.passed = resolveCardLists(settings);
    lists.settled = settleLists(settings, lists.passed);
    return lists;
  } catch (const Error&) {
    return std::nullopt;
  }
}

// List 15 after the fixed adjustments, from its resolved size.
std::optional<std::int32_t> finalList15(std::int32_t resolved) {
  if (resolved > std::numeric_limits<std::int32_t>::max() - 5) return std::nullopt;
  ListSizes lists;
  lists(15) = resolved;
  adjustLists(lists);
  return lists(15);
}

// Whether no value in [lo, hi] fits, by the low corner of the interval;
// see note [the fit is exact].
bool FitSearch::beyondBudget(std::int64_t lo, std::int64_t hi) {
  const std::optional<Lists> a = listsAt(lo);
  if (!a) return true;  // overflows at lo, and at every larger value
  const std::optional<Lists> b = listsAt(hi);
  const std::int32_t fromL15 = a->passed(15);
  const std::int64_t toL15 = b ? b->passed(15) : std::int64_t{fromL15} + 3;
  ListSizes low = a->settled;
  for (std::int64_t x = fromL15; x <= std::min(toL15, std::int64_t{fromL15} + 3); ++x) {
    std::optional<std::int32_t> final = finalList15(static_cast<std::int32_t>(x));
    if (final && *final < low(15)) low(15) = *final;
  }
  if (b) {
    low(56) = std::min(low(56), b->settled(56));
  } else if (settings_.SCALE6 < 0) {
    low(56) = std::numeric_limits<std::int32_t>::min();
  }
  ++plans_;
  try {
    return totalBytes(planRun(settings_, low)) > budget_;
  } catch (const Error&) {
    return true;  // the low corner overflows, and so does every value
  }
}

// A value near the largest that fits, found as if the storage were
// monotone: regula falsi on the multiplier (the storage is nearly linear
// in it), with the Illinois rule against a stale end and a bisection
// whenever a step does not halve the interval.  fits(lo), not fits(hi).
std::int64_t FitSearch::guess(std::int64_t lo, std::int64_t hi) {
  auto excess = [this](std::int64_t index) {
    const ScaleTrial& exact = trial(index);
    return exact.bytes ? static_cast<double>(*exact.bytes - budget_) : 0.0;
  };
  double lowExcess = excess(lo);
  double highExcess = excess(hi);  // 0 after an overflow: bisect
  int sameSide = 0;
  bool bisect = false;
  while (hi - lo > 1) {
    std::int64_t mid = lo + (hi - lo) / 2;
    if (!bisect && highExcess > 0) {
      const double rLo = scaleValue(lo).multiplier;
      const double rHi = scaleValue(hi).multiplier;
      const double r = rLo + (rHi - rLo) * (-lowExcess / (highExcess - lowExcess));
      mid = std::clamp(scaleValueIndex(r), lo + 1, hi - 1);
    }
    const std::int64_t width = hi - lo;
    if (fits(mid)) {
      lo = mid;
      lowExcess = excess(lo);
      sameSide = sameSide > 0 ? sameSide + 1 : 1;
      if (sameSide > 1) highExcess /= 2;
    } else {
      hi = mid;
      highExcess = excess(hi);
      sameSide = sameSide < 0 ? sameSide - 1 : -1;
      if (sameSide < -1) lowExcess /= 2;
    }
    bisect = !bisect && 2 * (hi - lo) > width;
  }
  return lo;
}

// The largest value in [lo, hi] that fits, if any; see note [the fit is
// exact].  Intervals are split at `hint` when it lies inside.
std::optional<std::int64_t> FitSearch::largestFitting(std::int64_t lo, std::int64_t hi,
                                                      std::int64_t hint) {
  if (fits(hi)) return hi;
  if (lo == hi || beyondBudget(lo, hi)) return std::nullopt;
  const std::int64_t split = hint >= lo && hint < hi ? hint : lo + (hi - lo) / 2;
  if (auto found = largestFitting(split + 1, hi, hint)) return found;
  return largestFitting(lo, split, hint);
}

}  // namespace

std::int64_t scaleValueCount() {
  return kValueCount;
}

ScaleTrial scaleValue(std::int64_t index) {
  if (index < 0 || index >= kValueCount)
    throw InternalError("no card value " + std::to_string(index));
  for (const Decade& decade : kDecades) {
    if (index < valuesIn(decade)) {
      const std::int64_t mantissa = powerOf10(decade.digits - 1) + index;
      const int exponent = decade.power - decade.digits + 1;
      ScaleTrial trial;
      trial.value = valueText(mantissa, exponent);
      // The exact decimal, correctly rounded, as the card reader rounds it.
      const std::string decimal = std::to_string(mantissa) + "e" + std::to_string(exponent);
      trial.multiplier = std::strtod(decimal.c_str(), nullptr);
      return trial;
    }
    index -= valuesIn(decade);
  }
  throw InternalError("no card value");
}

std::string scaleCard(const ScaleTrial& trial) {
  return "SCALE   " + std::string(kColumns - std::min(kColumns, trial.value.size()), ' ') +
         trial.value;
}

MemoryFit fitMemory(const DeckSettings& settings, std::int64_t budget) {
  FitSearch search(settings, budget);
  MemoryFit fit;
  fit.smallest = search.trial(0);
  // The smallest value may not fit where a larger one does (see note [the
  // fit is exact]); the guess needs a bracket, the walk does not.
  if (const std::optional<std::int64_t> last = search.lastWorthSearching()) {
    std::int64_t hint = -1;
    if (search.fits(*last)) {
      hint = *last;
    } else if (search.fits(0)) {
      hint = search.guess(0, *last);
    }
    if (const std::optional<std::int64_t> found = search.largestFitting(0, *last, hint)) {
      fit.largest = search.trial(*found);
      if (*found + 1 < kValueCount) fit.next = search.trial(*found + 1);
    }
  }
  fit.plansEvaluated = search.plans();
  return fit;
}

}  // namespace sizgen
