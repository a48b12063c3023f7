#include "page/storage_treemap.h"

#include <array>
#include <vector>

#include "analysis/storage.h"
#include "page/page_text.h"
#include "picture/markup.h"

namespace sizgen {
namespace {

// One colour per declared type, in the order of the type codes.
// clang-format off
constexpr std::array<std::string_view, 5> kTypeFills = {
    "#e7ba52",   // CHARACTER*6
    "#d6616b",   // CHARACTER*1
    "#6b6ecf",   // REAL*8
    "#52a3a3",   // INTEGER*4
    "#a55194",   // CHARACTER*80
};
// clang-format on

// The hover text of an array's box.
std::string hoverText(const PlannedArray& array, std::int64_t bytes, std::int64_t total,
                      const std::string& note) {
  const CatalogRow& row = catalogRow(array.row);
  std::string text = std::string(trimmedName(row.name)) + " (row " + std::to_string(array.row) +
                     ", COMMON /" + std::string(row.block) +
                     "/): " + std::string(declaredTypeName(array.typeCode)) + ", dimension " +
                     std::to_string(array.dimension) + ", list " + std::to_string(array.list) +
                     ", " + bytesText(bytes) + ", " + shareText(bytes, total) + " of the total";
  if (!note.empty()) text += "\n" + note;
  return text;
}

}  // namespace

ArrayTint typeTint(const PlannedArray& array) {
  return {std::string(kTypeFills[static_cast<std::size_t>(array.typeCode - 1)]), ""};
}

std::string typeLegend() {
  std::string html = R"(<ul class="legend">)";
  for (const TypeCode& type : kTypeCodes) {
    html += R"(<li><span class="swatch" style="background:)" +
            std::string(kTypeFills[static_cast<std::size_t>(type.code - 1)]) + R"("></span>)" +
            std::string(type.fortranName) + "</li>";
  }
  return html + "</ul>\n";
}

std::string storageTreemap(const RunPlan& plan, const ArrayTinting& tint) {
  const std::int64_t total = totalBytes(plan);
  // The weights of each group: its arrays with storage, in row order.
  std::vector<std::vector<double>> weights(kGroups.size());
  std::vector<std::vector<int>> rows(kGroups.size());
  for (std::size_t g = 0; g < kGroups.size(); ++g) {
    for (int i = kGroups[g].firstRow; i <= kGroups[g].lastRow; ++i) {
      const std::int64_t bytes = arrayBytes(plan.array(i));
      if (bytes <= 0) continue;
      weights[g].push_back(static_cast<double>(bytes));
      rows[g].push_back(i);
    }
  }
  const NestedBoxes boxes = squarifyNested(weights, kTreemapCanvas);

  std::string svg = R"(<svg class="treemap" viewBox="0 0 )" + pixels(kTreemapCanvas.width) + " " +
                    pixels(kTreemapCanvas.height) +
                    R"(" role="img" )"
                    "aria-label=\"COMMON storage by subroutine and array\">\n";
  for (std::size_t g = 0; g < kGroups.size(); ++g) {
    if (rows[g].empty()) continue;
    const std::string group(trimmedName(kGroups[g].subroutine));
    svg += R"(<g data-subroutine=")" + group + "\">\n";
    for (std::size_t n = 0; n < rows[g].size(); ++n) {
      const PlannedArray& array = plan.array(rows[g][n]);
      const std::int64_t bytes = arrayBytes(array);
      const Box box = snapped(boxes.items[g][n]);
      const ArrayTint look = tint(array);
      svg += R"(<rect class="array" x=")" + pixels(box.x) + R"(" y=")" + pixels(box.y) +
             R"(" width=")" + pixels(box.width) + R"(" height=")" + pixels(box.height) +
             R"(" fill=")" + look.fill + R"(" data-array=")" +
             escaped(trimmedName(catalogRow(array.row).name)) + R"(" data-row=")" +
             std::to_string(array.row) + R"(" data-group=")" + group + R"(" data-bytes=")" +
             std::to_string(bytes) + R"("><title>)" +
             escaped(hoverText(array, bytes, total, look.note)) + "</title></rect>\n";
    }
    // The subroutine's outline over its arrays, and its name where it fits.
    const Box outline = snapped(boxes.groups[g]);
    svg += R"(<rect class="group" x=")" + pixels(outline.x) + R"(" y=")" + pixels(outline.y) +
           R"(" width=")" + pixels(outline.width) + R"(" height=")" + pixels(outline.height) +
           "\"/>\n";
    if (outline.width >= 60.0 && outline.height >= 18.0) {
      svg += R"(<text class="group" x=")" + pixels(outline.x + 4.0) + R"(" y=")" +
             pixels(outline.y + 14.0) + R"(">)" + group + "</text>\n";
    }
    svg += "</g>\n";
  }
  return svg + "</svg>\n";
}

}  // namespace sizgen
