#include "page/diff_page.h"

#include <array>
#include <cmath>

#include "analysis/explanation.h"
#include "analysis/storage.h"
#include "model/card_place.h"
#include "page/page_frame.h"
#include "page/page_sections.h"
#include "page/page_text.h"
#include "page/storage_treemap.h"
#include "picture/markup.h"

namespace sizgen {
namespace {

// The fills of growth, from shrunk by half or more to grown by half or
// more; unchanged arrays are grey.
// clang-format off
constexpr std::array<std::string_view, 6> kGrowthFills = {
    "#1a9850",  // shrank to half or less
    "#91cf60",  // shrank by less than half
    "#fc8d59",  // grew by less than half
    "#e34a33",  // grew by half or more
    "#b30000",  // came from no storage
    "#bdbdbd",  // unchanged
};
// clang-format on

std::string signedBytes(std::int64_t change) {
  return (change > 0 ? "+" : "") + std::to_string(change);
}

ArrayTint growthTint(const RunPlan& before, const PlannedArray& array) {
  const std::int64_t was = arrayBytes(before.array(array.row));
  const std::int64_t now = arrayBytes(array);
  if (was == now) return {std::string(kGrowthFills[5]), "unchanged"};
  const std::string note = "was " + bytesText(was) + ", " + signedBytes(now - was) + " bytes";
  if (was <= 0) return {std::string(kGrowthFills[4]), "came from no storage: " + note};
  const double ratio = static_cast<double>(now) / static_cast<double>(was);
  const std::size_t shade = ratio <= 0.5 ? 0 : ratio < 1.0 ? 1 : ratio < 1.5 ? 2 : 3;
  return {std::string(kGrowthFills[shade]), note};
}

std::string growthLegend() {
  static constexpr std::array<std::string_view, 6> kNames = {
      "shrank to half or less", "shrank",   "grew by less than half", "grew by half or more",
      "came from no storage",   "unchanged"};
  std::string html = R"(<ul class="legend">)";
  for (std::size_t n = 0; n < kNames.size(); ++n) {
    html += R"(<li><span class="swatch" style="background:)" + std::string(kGrowthFills[n]) +
            R"("></span>)" + std::string(kNames[n]) + "</li>";
  }
  return html + "</ul>\n";
}

std::string amountsTable(const PlanDiff& diff) {
  std::string html =
      "<table class=\"amounts\">\n<tr><th class=\"name\"></th><th>before</th><th>after</"
      "th><th>change</th></tr>\n";
  auto row = [&](std::string_view key, const Amount& amount) {
    html += R"(<tr data-amount=")" + std::string(key) + R"(" data-before=")" +
            std::to_string(amount.before) + R"(" data-after=")" + std::to_string(amount.after) +
            R"("><td class="name">)" + escaped(amount.name) + "</td>" +
            element("td", std::to_string(amount.before)) +
            element("td", std::to_string(amount.after)) +
            element("td", signedBytes(amount.change())) + "</tr>\n";
  };
  row("common-bytes", diff.commonBytes);
  row("ltlabl", diff.ltlabl);
  row("labcom-bytes", diff.labcomBytes);
  for (const Amount& group : diff.groups) row(group.name, group);
  return html + "</table>\n";
}

// The arrays whose storage starts or ends at nothing.
std::string storageComesAndGoes(const RunPlan& before, const RunPlan& after) {
  std::string gone;
  std::string come;
  for (int row = 1; row <= kCatalogRows; ++row) {
    const std::int64_t was = arrayBytes(before.array(row));
    const std::int64_t now = arrayBytes(after.array(row));
    const std::string item = R"(<li data-row=")" + std::to_string(row) + R"(">)" +
                             escaped(trimmedName(catalogRow(row).name)) + " (row " +
                             std::to_string(row) + "): ";
    if (was > 0 && now <= 0) gone += item + "was " + escaped(bytesText(was)) + "</li>\n";
    if (was <= 0 && now > 0) come += item + "now " + escaped(bytesText(now)) + "</li>\n";
  }
  std::string html = "<h3>Arrays that went to no storage</h3>\n";
  html += gone.empty() ? "<p>None.</p>\n" : "<ul class=\"went-to-none\">\n" + gone + "</ul>\n";
  html += "<h3>Arrays that came from no storage</h3>\n";
  html += come.empty() ? "<p>None.</p>\n" : "<ul class=\"came-from-none\">\n" + come + "</ul>\n";
  return html;
}

std::string settingValue(const SettingValue& value) {
  if (!value.value) return "not in force";
  std::string text =
      value.real ? realText(*value.value) : std::to_string(static_cast<std::int64_t>(*value.value));
  if (value.origin.card != 0) text += " from " + cardPlaceText(placeOf(value.origin));
  return text;
}

std::string settingsTable(const PlanDiff& diff) {
  if (diff.settings.empty()) return "<p>No setting of the deck changed.</p>\n";
  std::string html =
      "<table class=\"settings\">\n<tr><th class=\"name\">setting</th><th "
      "class=\"name\">before</th><th class=\"name\">after</th></tr>\n";
  for (const SettingChange& change : diff.settings) {
    html += R"(<tr data-setting=")" + escaped(change.setting) + R"("><td class="name">)" +
            escaped(change.setting) + R"(</td><td class="name">)" +
            escaped(settingValue(change.before)) + R"(</td><td class="name">)" +
            escaped(settingValue(change.after)) + "</td></tr>\n";
  }
  return html + "</table>\n";
}

std::string listsTable(const PlanDiff& diff) {
  if (diff.lists.empty()) return "<p>No list changed its size.</p>\n";
  std::string html =
      "<table class=\"list-changes\">\n<tr><th>list</th><th class=\"name\">before</th><th "
      "class=\"name\">after</th><th class=\"name\">first step that differs</th></tr>\n";
  for (const ListChange& change : diff.lists) {
    std::string steps = "before: " + change.beforeStep.value_or("none") +
                        "\nafter: " + change.afterStep.value_or("none");
    html += R"(<tr data-list=")" + std::to_string(change.list) + R"(" data-before=")" +
            std::to_string(change.before) + R"(" data-after=")" + std::to_string(change.after) +
            R"(">)" + element("td", std::to_string(change.list)) + R"(<td class="name">)" +
            escaped(change.beforeSeen) + R"(</td><td class="name">)" + escaped(change.afterSeen) +
            R"(</td><td class="name"><pre>)" + escaped(steps) + "</pre></td></tr>\n";
  }
  return html + "</table>\n";
}

std::string filesTable(const PlanDiff& diff) {
  std::string html =
      "<table class=\"files\">\n<tr><th class=\"name\">file</th><th "
      "class=\"name\">changes</th><th>lines removed</th><th>lines added</th></tr>\n";
  for (const FileChange& file : diff.files) {
    html += R"(<tr data-file=")" + std::string(file.file) + R"(" data-identical=")" +
            (file.identical ? "true" : "false") + R"(">)" + element("td", file.file) +
            element("td", file.identical ? "no" : "yes") +
            element("td", std::to_string(file.removed)) +
            element("td", std::to_string(file.added)) + "</tr>\n";
  }
  return html + "</table>\n";
}

}  // namespace

std::string diffPage(const RunPlan& before, const RunPlan& after, const PlanDiff& diff,
                     std::string_view beforeName, std::string_view afterName) {
  std::string body = "<h1>From " + escaped(beforeName) + " to " + escaped(afterName) + "</h1>\n";
  body += amountsTable(diff);
  body += "<h2>COMMON storage of the new deck, by growth</h2>\n";
  body +=
      "<p>Each box's area is the array's share of the new deck's COMMON storage; its colour "
      "says how much it grew or shrank.</p>\n";
  body += growthLegend() + storageTreemap(after, [&](const PlannedArray& array) {
            return growthTint(before, array);
          });
  body += storageComesAndGoes(before, after);
  body += "<h2>Settings that changed</h2>\n" + settingsTable(diff);
  body += "<h2>Lists that changed</h2>\n" + listsTable(diff);
  body += "<h2>Generated files</h2>\n" + filesTable(diff);
  return htmlDocument("sizgen: " + std::string(beforeName) + " to " + std::string(afterName), body);
}

}  // namespace sizgen
