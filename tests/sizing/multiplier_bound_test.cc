// The bounds over an interval of final multipliers, on random decks: no
// multiplier in the interval plans an array smaller than the bound says.
// A change to a rule they rest on (a list that can fall as the multiplier
// grows, list 15's adjustment, list 56 with a negative NBHDSW) shows here.

#include "sizing/multiplier_bound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <string>

#include "analysis/storage.h"
#include "base/error.h"
#include "sizing/late_steps.h"
#include "sizing/run_planning.h"

namespace sizgen {
namespace {

// Random settings with what makes the plan non-monotone in the
// multiplier: small and negative sizes, FIXED lists, a negative NBHDSW,
// ROUND UP and RAM TABLES.
class RandomDecks {
 public:
  explicit RandomDecks(unsigned seed) : random_(seed) {}

  DeckSettings next() {
    DeckSettings settings;
    settings.DEFMUL = pick({1.0, 0.7, 2.0, 0.01, -0.5, 40.0});
    settings.NLISTS = chance(0.3) ? 32 : 31;
    for (std::size_t k = 1; k <= kCardLists; ++k) {
      if (chance(0.4)) settings.LSTNEW(k) = pick({-3, 1, 3, 7, 8, 11, 250, 3599, 70000});
    }
    for (std::size_t k = 1; k <= 30; ++k) settings.LSTFIX(k) = chance(0.2) ? 1 : 0;
    settings.SCALE6 = pick({5.0, 0.0, -0.5, -3.7, 2.9, -1000.0});
    settings.NQUANT = pick({0, 0, 1, 8, 4096, 4194304});
    settings.KRAMTB = chance(0.3) ? 1 : 0;
    for (std::size_t i = 1; i <= 7; ++i) settings.LSTSUP(i) = pick({70000, 1, 0, 5000});
    return settings;
  }

  // An interval of multipliers: narrow ones, where list 15 crosses a
  // multiple of 4 alone, and wide ones.
  std::pair<double, double> interval() {
    const double lo = std::pow(10.0, std::uniform_real_distribution<>(-4.0, 2.5)(random_));
    const double width = chance(0.5) ? 1e-3 : std::uniform_real_distribution<>(0.0, 4.0)(random_);
    return {lo, lo * (1.0 + width)};
  }

  double within(double lo, double hi) { return std::uniform_real_distribution<>(lo, hi)(random_); }

 private:
  bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
  template <class T>
  T pick(std::initializer_list<T> values) {
    std::uniform_int_distribution<std::size_t> index(0, values.size() - 1);
    return *(values.begin() + index(random_));
  }

  std::mt19937 random_;
};

std::optional<RunPlan> planWith(const DeckSettings& settings, double multiplier) {
  try {
    return planRun(withMultiplier(settings, multiplier));
  } catch (const Error&) {
    return std::nullopt;
  }
}

TEST(MultiplierBound, NoMultiplierInTheIntervalPlansAnArrayBelowTheBound) {
  RandomDecks decks(15);
  int compared = 0;
  for (int d = 0; d < 400; ++d) {
    const DeckSettings settings = decks.next();
    for (int n = 0; n < 4; ++n) {
      const auto [lo, hi] = decks.interval();
      const std::optional<RunPlan> bound = lowerBoundPlan(settings, lo, hi);
      for (int s = 0; s < 6; ++s) {
        const double r = s == 0 ? lo : s == 1 ? hi : decks.within(lo, hi);
        const std::optional<RunPlan> plan = planWith(settings, r);
        const std::string where = "deck " + std::to_string(d) + ", r = " + std::to_string(r);
        if (!plan) continue;
        ASSERT_TRUE(bound) << where << ": the bound says every value overflows";
        for (const PlannedArray& array : plan->arrays) {
          const PlannedArray& low = bound->array(array.row);
          ASSERT_LE(low.dimension, array.dimension) << where << ", row " << array.row;
          ASSERT_EQ(low.typeCode, array.typeCode) << where << ", row " << array.row;
        }
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 4000);  // most random values plan without an overflow
}

TEST(MultiplierBound, ResolvedArraysGrowWithTheMultiplierAndStayBelowThePlan) {
  RandomDecks decks(16);
  for (int d = 0; d < 400; ++d) {
    const DeckSettings settings = decks.next();
    const auto [lo, hi] = decks.interval();
    const auto atLo = resolvedArrays(settings, lo);
    const auto atHi = resolvedArrays(settings, hi);
    const std::optional<RunPlan> plan = planWith(settings, lo);
    const std::string where = "deck " + std::to_string(d);
    if (!atLo) {
      // An overflow of the pass at lo is one at every larger multiplier.
      EXPECT_FALSE(atHi) << where;
      EXPECT_FALSE(plan) << where;
      continue;
    }
    for (std::size_t i = 0; i < atLo->size(); ++i) {
      if (atHi) {
        ASSERT_LE(arrayBytes((*atLo)[i]), arrayBytes((*atHi)[i])) << where << ", " << i;
      }
      if (plan) {
        ASSERT_LE(arrayBytes((*atLo)[i]), arrayBytes(plan->arrays[i])) << where << ", " << i;
      }
    }
  }
}

// The lists the JSON shows for every group are the ones the steps between
// groups may set: every list that is not the same for every group is one
// of them.
TEST(ListsSetBetweenGroups, AreTheOnlyListsThatDifferBetweenGroups) {
  RandomDecks decks(17);
  for (int d = 0; d < 200; ++d) {
    const std::optional<RunPlan> plan = planWith(decks.next(), 1.0);
    if (!plan) continue;
    for (std::size_t k = 1; k <= kLists; ++k) {
      const bool listed = std::count(kListsSetBetweenGroups.begin(), kListsSetBetweenGroups.end(),
                                     static_cast<std::int32_t>(k)) != 0;
      for (const ListStep& step : plan->history(k)) {
        if (step.group != 0) {
          EXPECT_TRUE(listed) << "deck " << d << ", list " << k;
        }
      }
      for (const PlannedGroup& group : plan->groups) {
        if (group.LSTNEW(k) != plan->groups[0].LSTNEW(k)) {
          EXPECT_TRUE(listed) << "deck " << d << ", list " << k;
        }
      }
    }
  }
}

}  // namespace
}  // namespace sizgen
