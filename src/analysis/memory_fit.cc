#include "analysis/memory_fit.h"

// note [the fit is exact]
// The storage f(r) as a function of the final multiplier r is a step
// function that is not monotone (see note [bounds over multipliers]), so
// a bisection on r alone can miss the largest r that fits.  The search
// walks intervals of the values the SCALE card can hold depth first, the
// upper part first: an interval whose top value fits has it as its
// answer; one whose lower bound (the storage of the lower-bound plan of
// the interval) exceeds the budget holds no answer; any other is split.
// So the answer is exact wherever the interval is split.  It is split
// first where a guess, found by interpolation on f as if f were monotone,
// puts the answer: the guess takes most of the plans (20 to 35 for the
// decks tried, as f rises in stairs that interpolation cannot see), and
// the walk then usually confirms it with two more.  Sizes out of the
// 32-bit range count as not fitting.
//
// When nothing fits, the least storage is found by the same bounds, as a
// branch and bound from the top: an interval whose lower bound exceeds
// the least storage found so far (starting from the values the fit
// tried), or equals it when a larger value gives it, holds no better
// value; one whose top value gives its lower bound has that value as its
// best.  So the least is proven, not sampled.

#include <algorithm>
#include <array>
#include <map>
#include <numeric>

#include "analysis/storage.h"
#include "base/error.h"
#include "sizing/multiplier_bound.h"
#include "sizing/run_planning.h"

namespace sizgen {
namespace {

// The bytes of `arrays`, as the compiler allocates them.
std::int64_t bytesOf(const std::array<PlannedArray, kCatalogRows>& arrays) {
  return std::accumulate(
      arrays.begin(), arrays.end(), std::int64_t{0},
      [](std::int64_t bytes, const PlannedArray& array) { return bytes + arrayBytes(array); });
}

// The largest value the card can hold, if it gives the storage of `last`,
// the last of the ordered values; else `last`.
ScaleTrial largestTrial(const DeckSettings& settings, const ScaleTrial& last) {
  ScaleTrial largest = {largestScaleValue(), std::nullopt, {}};
  try {
    largest.bytes = totalBytes(planRun(withMultiplier(settings, largest.multiplier)));
  } catch (const Error&) {
    return last;
  }
  return largest.bytes == last.bytes ? largest : last;
}

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
  void leastStorage(std::int64_t lo, std::int64_t hi, std::optional<std::int64_t>& best);
  std::optional<std::int64_t> bestTried();
  int plans() const { return plans_; }

 private:
  std::optional<std::int64_t> resolvedBytes(std::int64_t index) const;
  std::optional<std::int64_t> lowerBound(std::int64_t lo, std::int64_t hi);
  bool better(std::int64_t index, std::optional<std::int64_t> best);
  bool beyondBudget(std::int64_t lo, std::int64_t hi) {
    const std::optional<std::int64_t> low = lowerBound(lo, hi);
    return !low || *low > budget_;
  }

  const DeckSettings& settings_;
  std::int64_t budget_;
  std::map<std::int64_t, ScaleTrial> trials_;
  int plans_ = 0;
};

const ScaleTrial& FitSearch::trial(std::int64_t index) {
  auto found = trials_.find(index);
  if (found != trials_.end()) return found->second;
  ScaleTrial result = {scaleValue(index), std::nullopt, {}};
  const DeckSettings settings = withMultiplier(settings_, result.multiplier);
  ++plans_;
  try {
    result.bytes = totalBytes(planRun(settings));
  } catch (const Error& error) {
    result.error = error.what();
  }
  return trials_.emplace(index, std::move(result)).first->second;
}

// A lower bound of the storage that needs no whole plan: the arrays at
// the sizes the resolution pass gives; non-decreasing in the multiplier.
// Nothing on an overflow.
std::optional<std::int64_t> FitSearch::resolvedBytes(std::int64_t index) const {
  const auto arrays = resolvedArrays(settings_, scaleValue(index).multiplier);
  if (!arrays) return std::nullopt;
  return bytesOf(*arrays);
}

// The largest value whose lower bound above is within the budget: no
// value above it fits.  Nothing when not even the smallest is within it.
std::optional<std::int64_t> FitSearch::lastWorthSearching() const {
  auto within = [this](std::int64_t index) {
    std::optional<std::int64_t> bytes = resolvedBytes(index);
    return bytes && *bytes <= budget_;
  };
  std::int64_t lo = 0;
  std::int64_t hi = scaleValueCount() - 1;
  if (!within(lo)) return std::nullopt;
  if (within(hi)) return hi;
  while (hi - lo > 1) {  // within(lo), not within(hi)
    const std::int64_t mid = lo + (hi - lo) / 2;
    (within(mid) ? lo : hi) = mid;
  }
  return lo;
}

// The storage of the lower-bound plan of [lo, hi]: no value in it needs
// less.  Nothing when every value in it overflows.
std::optional<std::int64_t> FitSearch::lowerBound(std::int64_t lo, std::int64_t hi) {
  ++plans_;
  const std::optional<RunPlan> low =
      lowerBoundPlan(settings_, scaleValue(lo).multiplier, scaleValue(hi).multiplier);
  if (!low) return std::nullopt;
  return totalBytes(*low);
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

// Whether the storage at `index` is better than at `best`: less, or as
// little at a larger value.
bool FitSearch::better(std::int64_t index, std::optional<std::int64_t> best) {
  const std::optional<std::int64_t> bytes = trial(index).bytes;
  if (!bytes) return false;
  if (!best) return true;
  const std::int64_t least = *trial(*best).bytes;
  return *bytes < least || (*bytes == least && index > *best);
}

// Narrows `best`, the largest value with the least storage found so far,
// to one of [lo, hi] if it is better; see note [the fit is exact].
void FitSearch::leastStorage(std::int64_t lo, std::int64_t hi, std::optional<std::int64_t>& best) {
  const std::optional<std::int64_t> low = lowerBound(lo, hi);
  if (!low) return;  // every value overflows
  if (best) {
    const std::int64_t least = *trial(*best).bytes;
    if (*low > least || (*low == least && *best > hi)) return;
  }
  if (better(hi, best)) best = hi;
  if (lo == hi || trial(hi).bytes == low) return;
  const std::int64_t mid = lo + (hi - lo) / 2;
  leastStorage(mid + 1, hi, best);
  leastStorage(lo, mid, best);
}

// The best of the values tried so far, to start the search for the least.
std::optional<std::int64_t> FitSearch::bestTried() {
  std::optional<std::int64_t> best;
  for (const auto& [index, tried] : trials_) {
    if (better(index, best)) best = index;
  }
  return best;
}

}  // namespace

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
      if (*found + 1 < scaleValueCount()) {
        fit.next = search.trial(*found + 1);
      } else {
        // No list depends on the multiplier (see largestScaleValue): the
        // largest value the card holds gives the same storage.
        fit.largest = largestTrial(settings, *fit.largest);
      }
    }
  }
  if (!fit.largest) {
    std::optional<std::int64_t> best = search.bestTried();
    search.leastStorage(0, scaleValueCount() - 1, best);
    if (best) fit.least = search.trial(*best);
  }
  fit.ownScaleCard = settings.KSCALE != 0 ? settings.FINMUL.origin.card : 0;
  fit.plansEvaluated = search.plans();
  return fit;
}

}  // namespace sizgen
