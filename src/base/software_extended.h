#pragma once

#include <boost/multiprecision/cpp_bin_float.hpp>

namespace sizgen {

// The x87 extended format done in software, for processors whose long
// double is something else: a 64-bit significand, binary exponents from
// -16382 to 16383, every product, quotient, sum and square root rounded to
// nearest (even on ties), conversions from double, float and 64-bit
// integers exact.  It has no subnormal numbers, which no value of a run
// comes near.
//
// Boost 1.74 rounds one case wrongly: the difference of two magnitudes
// whose binary exponents differ by exactly 65 (the smaller is then under
// half a unit of the larger) is taken as a tie.  The differences sizing
// takes are of operands within 30 binary orders of each other: 1040.0625
// and a multiple of 43.5 below 2**37, a square root of at least 0.25 and
// 32.25.
using SoftwareExtended = boost::multiprecision::cpp_bin_float_double_extended;
static_assert(std::numeric_limits<SoftwareExtended>::digits == 64);

}  // namespace sizgen
