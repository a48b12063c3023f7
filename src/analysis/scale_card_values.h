#pragma once

// The values the SCALE card can hold in its 8 columns, in order, for a
// search over the final multiplier.

#include <cstdint>
#include <string>

namespace sizgen {

struct ScaleValue {
  std::string value;        // columns 9-16 as printed, without blanks: "3.4"
  double multiplier = 0.0;  // the value the card reader reads from them
};

// The value at position `index` of the ordered values (0 is the smallest),
// and how many there are.
ScaleValue scaleValue(std::int64_t index);
std::int64_t scaleValueCount();
// The position of the largest of them at most `multiplier` (0 below them all).
std::int64_t scaleValueIndex(double multiplier);

// The largest value the 8 columns hold that the card reader reads as a
// finite number: "1797+305", 1.797E308 ("1798+305" is beyond the largest
// double).  Above the last of the ordered values every list that the
// multiplier scales leaves the 32-bit range unless it is FIXED or 0, so
// this value only ever gives the storage of the last of them.
ScaleValue largestScaleValue();

// The SCALE card as it goes in the deck: the keyword, then the value
// right-justified in columns 9-16.
std::string scaleCard(const ScaleValue& card);

}  // namespace sizgen
