#include "analysis/storage.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace sizgen {

std::int64_t arrayBytes(const PlannedArray& array) {
  return array.dimension <= 0 ? 0 : array.dimension * declaredElementBytes(array.typeCode);
}

std::int64_t groupBytes(const RunPlan& plan, const Group& group) {
  std::int64_t bytes = 0;
  for (int i = group.firstRow; i <= group.lastRow; ++i) bytes += arrayBytes(plan.array(i));
  return bytes;
}

std::int64_t totalBytes(const RunPlan& plan) {
  return std::accumulate(
      kGroups.begin(), kGroups.end(), std::int64_t{0},
      [&](std::int64_t bytes, const Group& group) { return bytes + groupBytes(plan, group); });
}

std::int64_t labcomBytes(const RunPlan& plan) {
  return std::int64_t{plan.LTLABL} * 4;
}

std::string bytesText(std::int64_t bytes) {
  std::string text = std::to_string(bytes) + " bytes";
  if (bytes >= 1024 || bytes <= -1024) text += " (" + readableBytes(bytes) + ")";
  return text;
}

std::string readableBytes(std::int64_t bytes) {
  // Up to EiB, so that every 64-bit count has a unit that leaves it below 1024.
  static constexpr std::array<const char*, 6> kUnits = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
  if (bytes > -1024 && bytes < 1024) return std::to_string(bytes) + " bytes";
  auto value = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  std::array<char, 32> text{};
  for (;;) {
    std::snprintf(text.data(), text.size(), "%.1f", value);
    // The unit is chosen after rounding: 1048575 bytes is 1023.999 KiB,
    // which one decimal shows as 1024.0, so it is 1.0 MiB.
    const double shown = std::strtod(text.data(), nullptr);
    if (unit + 1 == kUnits.size() || (shown < 1024 && shown > -1024)) break;
    value /= 1024;
    ++unit;
  }
  return std::string(text.data()) + " " + kUnits[unit];
}

}  // namespace sizgen
