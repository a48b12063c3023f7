#include "page/page_sections.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "analysis/explanation.h"
#include "analysis/storage.h"
#include "page/page_text.h"
#include "picture/markup.h"

namespace sizgen {
namespace {

constexpr std::size_t kLargestShown = 10;

std::string arrayName(int row) {
  return std::string(trimmedName(catalogRow(row).name));
}

std::string groupOf(int row) {
  const auto* group = std::find_if(kGroups.begin(), kGroups.end(), [row](const Group& g) {
    return row >= g.firstRow && row <= g.lastRow;
  });
  return std::string(trimmedName(group->subroutine));
}

}  // namespace

std::string summarySection(const RunPlan& plan) {
  const std::int64_t total = totalBytes(plan);
  std::string html = R"(<table class="summary" data-ltlabl=")" + std::to_string(plan.LTLABL) +
                     R"(" data-mtot=")" + std::to_string(plan.MTOT) + R"(" data-common-bytes=")" +
                     std::to_string(total) + R"(" data-labcom-bytes=")" +
                     std::to_string(labcomBytes(plan)) + "\">\n";
  html += R"(<tr><td class="name">COMMON storage of the arrays</td>)" +
          element("td", bytesText(total)) + "</tr>\n";
  html += R"(<tr><td class="name">LTLABL (LABCOM, INTEGER*4 words)</td>)" +
          element("td", std::to_string(plan.LTLABL) + " words, " + bytesText(labcomBytes(plan))) +
          "</tr>\n";
  html += R"(<tr><td class="name">MTOT (ROOT10 arrays, INTEGER*4 words)</td>)" +
          element("td", std::to_string(plan.MTOT)) + "</tr>\n";
  return html + "</table>\n";
}

std::string largestArraysSection(const RunPlan& plan) {
  std::vector<int> rows(kCatalogRows);
  std::iota(rows.begin(), rows.end(), 1);
  std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
    return arrayBytes(plan.array(a)) > arrayBytes(plan.array(b));
  });
  const std::int64_t total = totalBytes(plan);
  std::string html =
      "<table class=\"largest\">\n<tr><th class=\"name\">array</th><th>row</th><th "
      R"(class="name">subroutine</th><th class="name">type</th><th>list</th><th>dimension</)"
      "th><th>bytes</th><th>share</th></tr>\n";
  for (std::size_t n = 0; n < std::min(kLargestShown, rows.size()); ++n) {
    const PlannedArray& array = plan.array(rows[n]);
    const std::int64_t bytes = arrayBytes(array);
    if (bytes <= 0) break;
    html +=
        R"(<tr data-row=")" + std::to_string(array.row) + R"(" data-bytes=")" +
        std::to_string(bytes) + R"("><td class="name">)" + escaped(arrayName(array.row)) + "</td>" +
        element("td", std::to_string(array.row)) + R"(<td class="name">)" + groupOf(array.row) +
        R"(</td><td class="name">)" + std::string(declaredTypeName(array.typeCode)) + "</td>" +
        element("td", std::to_string(array.list)) + element("td", std::to_string(array.dimension)) +
        element("td", std::to_string(bytes)) + element("td", shareText(bytes, total)) + "</tr>\n";
  }
  return html + "</table>\n";
}

std::string noStorageList(const RunPlan& plan) {
  std::string items;
  for (int row = 1; row <= kCatalogRows; ++row) {
    const PlannedArray& array = plan.array(row);
    if (arrayBytes(array) > 0) continue;
    items += R"(<li data-row=")" + std::to_string(row) + R"(">)" + escaped(arrayName(row)) +
             " (row " + std::to_string(row) + ", " + groupOf(row) + ", list " +
             std::to_string(array.list) + ", dimension " + std::to_string(array.dimension) +
             ")</li>\n";
  }
  if (items.empty()) return "<p>Every array declares storage.</p>\n";
  return "<ul class=\"no-storage\">\n" + items + "</ul>\n";
}

std::string listsSection(const RunPlan& plan) {
  std::string html =
      "<table class=\"lists\">\n<tr><th>list</th><th class=\"name\">size</th><th "
      "class=\"name\">how it got it</th></tr>\n";
  for (std::size_t k = 1; k <= kLists; ++k) {
    const std::vector<std::string> steps = stepLines(plan, k);
    if (steps.empty()) continue;
    std::string details;
    for (const std::string& step : steps) details += step + "\n";
    html += R"(<tr data-list=")" + std::to_string(k) + R"(" data-size=")" +
            std::to_string(plan.resolved(k)) + R"(">)" + element("td", std::to_string(k)) +
            R"(<td class="name">)" + escaped(sizeHeadline(plan, k)) +
            R"(</td><td class="name"><details><summary>)" + escaped(steps.front()) +
            "</summary><pre>" + escaped(details) + "</pre></details></td></tr>\n";
  }
  return html + "</table>\n";
}

}  // namespace sizgen
