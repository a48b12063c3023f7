#include "sizing/multiplier_bound.h"

// note [bounds over multipliers]
// The plan as a function of the final multiplier r is not monotone, so a
// search over r needs a bound that holds over an interval.  Where the
// non-monotone steps come from:
//
// - r reaches the plan only through the resolved lists 1 to NLISTS
//   (before the fixed adjustments): each is max(1, INT(base x r)) or, when
//   FIXED, constant, so each is non-decreasing in r (a negative base gives
//   1 until it leaves the 32-bit range).
// - From those lists to the declared dimensions everything is
//   non-decreasing except two places.  (1) List 15's adjustment adds 0, 3,
//   2 or 5 by the list's remainder modulo 4: resolved 7 gives 12, resolved
//   8 gives 8.  (2) List 56 = INT(L6 x SCALE6) falls as L6 grows when
//   NBHDSW is negative, and with it NBHDSW's array and, after RAM TABLES,
//   JARRAY, dimensioned by LTLABL.
// - The other steps are monotone: the floor at 1, the minimums of lists 19
//   and 26, the L11 = 1 values of lists 65 to 70 (each at most what the
//   formula gives for L11 >= 2), the even and +2 adjustments, the derived
//   lists (sums and products of lists >= 1 with positive factors), the
//   rounding to a quantum (non-decreasing in the dimension, negative ones
//   included), LTLABL (each word it subtracts for lists 1, 7 and 15 is
//   outweighed by the words those lists add to MTOT).
//
// So each dimension is D(lists(r), final L15, L56) with D non-decreasing
// in all its arguments.  Over [a, b] the lists lie between lists(a) and
// lists(b), the final L15 is at least the least adjustment of the resolved
// L15 values in the interval (the adjustment of x + 4 is that of x plus
// 4, so the first four values suffice), and L56 at least the smaller of
// its values at both ends.  The plan at that low corner bounds every
// dimension over the interval from below.
//
// Sizes out of the 32-bit range: when the low corner overflows, so does
// every value of the interval.  A list that overflows at a overflows at
// every larger r (|base x r| grows), and so do the derived lists and MTOT,
// which only grow with the lists; LTLABL lies between L56 and MTOT, so it
// cannot overflow alone; L56 at the low corner is clamped to the 32-bit
// minimum, below which no value that does not overflow can lie.

#include <algorithm>
#include <cstdint>
#include <limits>

#include "base/error.h"
#include "base/real_arithmetic.h"
#include "sizing/list_resolution.h"
#include "sizing/run_planning.h"

namespace sizgen {
namespace {

// The lists that fall, or may fall, as the multiplier grows.
constexpr std::size_t kAdjustedList = 15;  // its adjustment adds 0, 3, 2 or 5 (period 4)
constexpr std::int64_t kAdjustmentPeriod = 4;
constexpr std::size_t kNeighbourList = 56;  // L6 x SCALE6, falling when SCALE6 < 0
// RAM TABLES gives list 29 the value of LTLABL, which the resolution pass
// does not bound.
constexpr std::int32_t kRamTablesList = 29;

// The lists of a deck at one multiplier: as the resolution pass leaves
// them and settled.
struct Lists {
  ListSizes passed;
  ListSizes settled;
};

std::optional<Lists> listsAt(const DeckSettings& deck, double multiplier) {
  const DeckSettings settings = withMultiplier(deck, multiplier);
  if (resolutionOverflows(settings, multiplier)) return std::nullopt;
  try {
    Planner planner(settings);
    Lists lists;
    lists.passed = planner.resolveCards();
    lists.settled = planner.settleLists();
    return lists;
  } catch (const Error&) {
    return std::nullopt;
  }
}

// List 15 after the fixed adjustments of the deck's `settings`, from its
// resolved size.
std::optional<std::int32_t> adjustedList15(const DeckSettings& settings, std::int32_t resolved) {
  ListSizes lists;
  lists(kAdjustedList) = resolved;
  ListHistory history;
  try {
    adjustLists(settings, lists, history);
  } catch (const Error&) {
    return std::nullopt;
  }
  return lists(kAdjustedList);
}

}  // namespace

DeckSettings withMultiplier(DeckSettings settings, double multiplier) {
  settings.KSCALE = 1;
  settings.FINMUL = multiplier;
  return settings;
}

bool resolutionOverflows(const DeckSettings& settings, double multiplier) {
  for (std::size_t k = 1; k <= static_cast<std::size_t>(settings.NLISTS); ++k) {
    std::optional<std::int32_t> base = settings.LSTNEW(k).value;
    if (*base == 0) base = truncatedProduct(LSTDEF[k - 1], settings.DEFMUL);
    if (!base) return true;
    if (settings.LSTFIX(k) == 0 && !truncatedProduct(*base, multiplier)) return true;
  }
  return false;
}

std::optional<std::array<PlannedArray, kCatalogRows>> resolvedArrays(const DeckSettings& settings,
                                                                     double multiplier) {
  if (resolutionOverflows(settings, multiplier)) return std::nullopt;
  ListHistory history;
  const ListSizes lists = resolveCardLists(withMultiplier(settings, multiplier), history);
  std::array<PlannedArray, kCatalogRows> arrays{};
  for (int i = 1; i <= kCatalogRows; ++i) {
    const std::int32_t list = generatedListNumber(i);
    PlannedArray& array = arrays[static_cast<std::size_t>(i - 1)];
    array.row = i;
    array.list = list;
    array.typeCode = effectiveTypeCode(catalogRow(i));
    if (list < 1 || list > settings.NLISTS || list == kRamTablesList) continue;
    array.extent = lists(static_cast<std::size_t>(list));
    array.dimension = array.extent;
  }
  return arrays;
}

std::optional<RunPlan> lowerBoundPlan(const DeckSettings& settings, double lo, double hi) {
  const std::optional<Lists> a = listsAt(settings, lo);
  if (!a) return std::nullopt;  // overflows at lo, and at every larger value
  const std::optional<Lists> b = listsAt(settings, hi);
  ListSizes low = a->settled;
  const std::int64_t from = a->passed(kAdjustedList);
  const std::int64_t to = b ? b->passed(kAdjustedList) : from + kAdjustmentPeriod - 1;
  for (std::int64_t x = from; x <= std::min(to, from + kAdjustmentPeriod - 1); ++x) {
    const std::optional<std::int32_t> adjusted =
        adjustedList15(settings, static_cast<std::int32_t>(x));
    if (adjusted && *adjusted < low(kAdjustedList)) low(kAdjustedList) = *adjusted;
  }
  if (b) {
    low(kNeighbourList) = std::min(low(kNeighbourList), b->settled(kNeighbourList));
  } else if (settings.SCALE6 < 0) {
    low(kNeighbourList) = std::numeric_limits<std::int32_t>::min();
  }
  try {
    // The corner mixes the lists of two multipliers: no deck's history
    // led to it.
    return planSettledLists(settings, low, ListHistory{});
  } catch (const Error&) {
    return std::nullopt;  // the low corner overflows, and so does every value
  }
}

}  // namespace sizgen
