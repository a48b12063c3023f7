#include "analysis/storage_report.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "analysis/storage.h"

namespace sizgen {
namespace {

// Width of the bar of an array that holds all the storage: each '#' is
// 4 per cent of the total.
constexpr int kBarWidth = 25;
constexpr std::size_t kLargestShown = 10;

// `text` right-justified in `width` columns (never cut).
std::string right(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string right(std::int64_t value, std::size_t width) {
  return right(std::to_string(value), width);
}

// `text` left-justified in `width` columns.
std::string left(std::string_view text, std::size_t width) {
  std::string padded(text);
  if (padded.size() < width) padded.resize(width, ' ');
  return padded;
}

// Every line of the report ends without blanks.
void addLine(std::string& report, std::string line) {
  line.erase(line.find_last_not_of(' ') + 1);
  report += line;
  report += '\n';
}

// The header of a group's table and of its columns.
void addGroupHeader(std::string& report, const Group& group) {
  const std::string rows =
      group.firstRow == group.lastRow
          ? "row " + std::to_string(group.firstRow)
          : "rows " + std::to_string(group.firstRow) + "-" + std::to_string(group.lastRow);
  addLine(report, std::string(trimmedName(group.subroutine)) + " (" + rows + ")");
  addLine(report,
          "  Row  Array   Block   List  Type              Extent   Dimension         Bytes");
}

void addArray(std::string& report, const PlannedArray& array) {
  const CatalogRow& row = catalogRow(array.row);
  addLine(report, "  " + right(array.row, 3) + "  " + left(trimmedName(row.name), 6) + "  " +
                      left(row.block, 6) + "  " + right(array.list, 4) + "  " +
                      left(declaredTypeName(array.typeCode), 12) + " " + right(array.extent, 11) +
                      " " + right(array.dimension, 11) + " " + right(arrayBytes(array), 13));
}

std::string percent(std::int64_t part, std::int64_t whole) {
  std::array<char, 16> text{};
  const double share =
      whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
  std::snprintf(text.data(), text.size(), "%.1f%%", share);
  return text.data();
}

// A bar of '#' proportional to `part`'s share of `whole`, rounded to the
// nearest column.
std::string bar(std::int64_t part, std::int64_t whole) {
  if (whole <= 0) return {};
  const std::int64_t columns = (part * kBarWidth * 2 + whole) / (whole * 2);
  std::string bars(static_cast<std::size_t>(columns), '#');
  return bars;
}

void addLargest(std::string& report, const RunPlan& plan, std::int64_t total) {
  std::vector<const PlannedArray*> arrays(plan.arrays.size());
  std::transform(plan.arrays.begin(), plan.arrays.end(), arrays.begin(),
                 [](const PlannedArray& array) { return &array; });
  // The largest first; equal sizes in row order.
  std::stable_sort(arrays.begin(), arrays.end(), [](const PlannedArray* a, const PlannedArray* b) {
    return arrayBytes(*a) > arrayBytes(*b);
  });
  arrays.resize(std::min(arrays.size(), kLargestShown));
  addLine(report, "The " + std::to_string(arrays.size()) + " largest arrays");
  addLine(report,
          "  Row  Array   Block   Group          Bytes  Share  (each # is 4% of the total)");
  for (const PlannedArray* array : arrays) {
    const CatalogRow& row = catalogRow(array->row);
    const std::int64_t bytes = arrayBytes(*array);
    addLine(report, "  " + right(array->row, 3) + "  " + left(trimmedName(row.name), 6) + "  " +
                        left(row.block, 6) + "  " +
                        left(trimmedName(groupOfRow(array->row).subroutine), 6) + " " +
                        right(bytes, 13) + " " + right(percent(bytes, total), 6) + "  " +
                        bar(bytes, total));
  }
}

}  // namespace

std::string storageReport(const RunPlan& plan) {
  std::string report;
  addLine(report, "COMMON storage declared by newmods.for");
  for (const Group& group : kGroups) {
    addLine(report, "");
    addGroupHeader(report, group);
    for (int i = group.firstRow; i <= group.lastRow; ++i) addArray(report, plan.array(i));
    const int count = group.lastRow - group.firstRow + 1;
    addLine(report, "  Total of " + std::string(trimmedName(group.subroutine)) + ", " +
                        std::to_string(count) + (count == 1 ? " array: " : " arrays: ") +
                        bytesText(groupBytes(plan, group)));
  }
  const std::int64_t total = totalBytes(plan);
  addLine(report, "");
  addLine(report, "Total COMMON storage of the " + std::to_string(kCatalogRows) +
                      " arrays: " + bytesText(total));
  addLine(report, "LABCOM (not in newmods.for): " + std::to_string(plan.LTLABL) + " words, " +
                      bytesText(labcomBytes(plan)));
  addLine(report, "");
  addLargest(report, plan, total);
  return report;
}

}  // namespace sizgen
