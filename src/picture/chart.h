#pragma once

// The geometry of a line chart: a linear scale from data to pixels, and
// the round values where an axis puts its ticks.

#include <vector>

namespace sizgen {

// Maps [domainLo, domainHi] linearly onto [rangeLo, rangeHi]; a domain of
// one value maps to rangeLo.
struct LinearScale {
  double domainLo = 0.0;
  double domainHi = 1.0;
  double rangeLo = 0.0;
  double rangeHi = 1.0;

  double operator()(double value) const {
    if (domainHi == domainLo) return rangeLo;
    return rangeLo + (value - domainLo) / (domainHi - domainLo) * (rangeHi - rangeLo);
  }
};

// Tick values for an axis over [lo, hi], lo <= hi: multiples of 1, 2 or 5
// times a power of ten, at most `most` of them (most >= 2), all within
// [lo, hi], ascending; for lo == hi that one value.
std::vector<double> axisTicks(double lo, double hi, int most);

// The least value at or above `value` (>= 0) that is 1, 2 or 5 times a
// power of ten: the top of an axis that starts at 0.  0 gives 1.
double roundedUp(double value);

}  // namespace sizgen
