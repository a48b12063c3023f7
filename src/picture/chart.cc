#include "picture/chart.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sizgen {
namespace {

constexpr std::array<double, 3> kSteps = {1.0, 2.0, 5.0};

}  // namespace

std::vector<double> axisTicks(double lo, double hi, int most) {
  if (!(hi > lo)) return {lo};
  const double span = hi - lo;
  // The smallest step 1, 2 or 5 times 10^k that gives at most `most` ticks.
  double power = std::pow(10.0, std::floor(std::log10(span / most)));
  for (;;) {
    for (double factor : kSteps) {
      const double step = factor * power;
      const auto first = static_cast<long long>(std::ceil(lo / step));
      const auto last = static_cast<long long>(std::floor(hi / step));
      if (last - first + 1 <= most) {
        std::vector<double> ticks;
        for (long long n = first; n <= last; ++n) ticks.push_back(static_cast<double>(n) * step);
        return ticks;
      }
    }
    power *= 10.0;
  }
}

double roundedUp(double value) {
  if (!(value > 0.0)) return 1.0;
  double power = std::pow(10.0, std::floor(std::log10(value)));
  for (;;) {
    const auto* const step = std::find_if(kSteps.begin(), kSteps.end(),
                                   [&](double factor) { return factor * power >= value; });
    if (step != kSteps.end()) return *step * power;
    power *= 10.0;
  }
}

}  // namespace sizgen
