#include "analysis/plan_diff.h"

#include <algorithm>
#include <utility>
#include <variant>

#include "analysis/explanation.h"
#include "analysis/storage.h"
#include "model/catalog.h"

namespace sizgen {
namespace {

std::string number(std::int64_t value) {
  return std::to_string(value);
}

// A change with its sign: "+31", "-5", "0".
std::string signedNumber(std::int64_t value) {
  return (value > 0 ? "+" : "") + number(value);
}

std::string indexed(std::string_view name, std::size_t i) {
  return std::string(name) + "(" + number(static_cast<std::int64_t>(i)) + ")";
}

SettingValue realValue(const Recorded<double>& setting) {
  return {setting.value, true, setting.origin};
}

SettingValue integerValue(const Recorded<std::int32_t>& setting) {
  return {setting.value, false, setting.origin};
}

// Every value the cards of a deck can set, named as the explanation names
// it, in the order of DeckSettings.
std::vector<std::pair<std::string, SettingValue>> settingValues(const DeckSettings& settings) {
  std::vector<std::pair<std::string, SettingValue>> values;
  values.emplace_back("DEFMUL", realValue(settings.DEFMUL));
  SettingValue finmul = realValue(settings.FINMUL);
  if (settings.KSCALE != 1) finmul.value.reset();
  values.emplace_back("FINMUL", finmul);
  for (std::size_t k = 1; k <= 32; ++k)
    values.emplace_back(indexed("LSTFIX", k), integerValue(settings.LSTFIX(k)));
  values.emplace_back("SCALE6", realValue(settings.SCALE6));
  values.emplace_back("KRAMTB", integerValue(settings.KRAMTB));
  values.emplace_back("NQUANT", integerValue(settings.NQUANT));
  values.emplace_back("NLISTS", SettingValue{settings.NLISTS, false, {}});
  for (std::size_t i = 1; i <= 7; ++i)
    values.emplace_back(indexed("LSTSUP", i), integerValue(settings.LSTSUP(i)));
  for (std::size_t k = 1; k <= kCardLists; ++k)
    values.emplace_back(indexed("LSTNEW", k), integerValue(settings.LSTNEW(k)));
  return values;
}

// Whether two values differ as a run reads them: by value, whatever card
// gave them.
bool differs(const SettingValue& a, const SettingValue& b) {
  return a.value != b.value;
}

// The first step of list k that differs between the plans in its rule or
// the size it stored: where the two sizes part.
std::pair<std::optional<std::string>, std::optional<std::string>> partingStep(const RunPlan& before,
                                                                              const RunPlan& after,
                                                                              std::size_t k) {
  const std::vector<ListStep>& a = before.history(k);
  const std::vector<ListStep>& b = after.history(k);
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i].rule.index() == b[i].rule.index() &&
         a[i].after == b[i].after)
    ++i;
  // The sizes differ, so the histories part somewhere; if only a group's
  // view differs, the last steps are where to look.
  if (i == a.size() && i == b.size() && i > 0) --i;
  const std::vector<std::string> aLines = stepLines(before, k);
  const std::vector<std::string> bLines = stepLines(after, k);
  auto line = [i](const std::vector<std::string>& lines) -> std::optional<std::string> {
    if (i < lines.size()) return lines[i];
    return std::nullopt;
  };
  return {line(aLines), line(bLines)};
}

bool seenAlike(const RunPlan& before, const RunPlan& after, std::size_t k) {
  return std::equal(
      before.groups.begin(), before.groups.end(), after.groups.begin(),
      [k](const PlannedGroup& a, const PlannedGroup& b) { return a.LSTNEW(k) == b.LSTNEW(k); });
}

// The text of a value and its card: "0.7 from card 1, columns 9-16 (DEFAULT)",
// "none (no card)".
std::string valueText(const SettingValue& value) {
  std::string text = !value.value ? "none"
                     : value.real ? realText(*value.value)
                                  : number(static_cast<std::int64_t>(*value.value));
  return text + (value.origin.card != 0 ? " from " + cardPlaceText(placeOf(value.origin)) : " (no card)");
}

// "a -> b (+c)", or with a unit "a -> b bytes (+c)".
std::string amountText(const Amount& amount, std::string_view unit = "") {
  return number(amount.before) + " -> " + number(amount.after) +
         (unit.empty() ? "" : " " + std::string(unit)) + " (" + signedNumber(amount.change()) + ")";
}

// A line of the storage: "  ROOT10: a -> b bytes (+c)".
std::string storageLine(const Amount& amount, std::string_view unit) {
  return "  " + std::string(amount.name) + ": " + amountText(amount, unit) + "\n";
}

// A step's line under its list, continuation lines indented alike.
std::string stepText(std::string_view which, const std::optional<std::string>& line) {
  std::string text = line ? *line : "no such step";
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
    text.insert(at + 1, 4 + which.size(), ' ');
  return "    " + std::string(which) + ": " + text + "\n";
}

std::string arrayText(const ArrayChange& change) {
  const CatalogRow& row = catalogRow(change.row);
  std::string type(declaredTypeName(change.before.typeCode));
  if (change.after.typeCode != change.before.typeCode)
    type += " -> " + std::string(declaredTypeName(change.after.typeCode));
  const Amount bytes{"", arrayBytes(change.before), arrayBytes(change.after)};
  return "  row " + number(change.row) + " " + std::string(trimmedName(row.name)) + " in " +
         std::string(row.block) + " (" +
         std::string(trimmedName(groupOfRow(change.row).subroutine)) + "), " + type + ": " +
         number(change.before.dimension) + " -> " + number(change.after.dimension) + ", " +
         amountText(bytes, "bytes") + "\n";
}

std::string fileText(const FileChange& file) {
  std::string text = "  " + std::string(file.file) + ": ";
  if (file.identical) return text + "identical\n";
  return text + "differs, " + number(file.removed) + (file.removed == 1 ? " line" : " lines") +
         " removed and " + number(file.added) + " added\n";
}

}  // namespace

bool PlanDiff::sameStorage() const {
  auto same = [](const Amount& amount) { return amount.change() == 0; };
  return std::all_of(groups.begin(), groups.end(), same) && same(commonBytes) && same(ltlabl) &&
         same(labcomBytes);
}

bool PlanDiff::sameFiles() const {
  return std::all_of(files.begin(), files.end(), [](const FileChange& f) { return f.identical; });
}

bool PlanDiff::sameResult() const {
  return lists.empty() && arrays.empty() && sameStorage() && sameFiles();
}

PlanDiff diffPlans(const RunPlan& before, const RunPlan& after, std::span<const FileChange> files) {
  PlanDiff diff;
  const auto beforeValues = settingValues(before.settings);
  const auto afterValues = settingValues(after.settings);
  for (std::size_t i = 0; i < beforeValues.size(); ++i) {
    if (differs(beforeValues[i].second, afterValues[i].second))
      diff.settings.push_back(
          {beforeValues[i].first, beforeValues[i].second, afterValues[i].second});
  }
  for (std::size_t k = 1; k <= kLists; ++k) {
    if (before.resolved(k) == after.resolved(k) && seenAlike(before, after, k)) continue;
    auto [beforeStep, afterStep] = partingStep(before, after, k);
    diff.lists.push_back({k, before.resolved(k), after.resolved(k), sizeHeadline(before, k),
                          sizeHeadline(after, k), std::move(beforeStep), std::move(afterStep)});
  }
  for (int row = 1; row <= kCatalogRows; ++row) {
    const PlannedArray& a = before.array(row);
    const PlannedArray& b = after.array(row);
    if (a.dimension != b.dimension || a.typeCode != b.typeCode) diff.arrays.push_back({row, a, b});
  }
  for (const Group& group : kGroups)
    diff.groups.push_back(
        {trimmedName(group.subroutine), groupBytes(before, group), groupBytes(after, group)});
  diff.commonBytes = {"COMMON storage", totalBytes(before), totalBytes(after)};
  diff.ltlabl = {"LTLABL", before.LTLABL, after.LTLABL};
  diff.labcomBytes = {"LABCOM", labcomBytes(before), labcomBytes(after)};
  diff.files.assign(files.begin(), files.end());
  return diff;
}

std::string diffText(const PlanDiff& diff, std::string_view beforeName,
                     std::string_view afterName) {
  const std::string names = std::string(beforeName) + " and " + std::string(afterName);
  if (diff.none()) return "no difference: " + names + " give the same cards, lists and files\n";
  std::string text = "old: " + std::string(beforeName) + "\nnew: " + std::string(afterName) + "\n";
  if (!diff.settings.empty()) {
    text += "values of the cards that differ (old -> new):\n";
    for (const SettingChange& change : diff.settings)
      text += "  " + change.setting + ": " + valueText(change.before) + " -> " +
              valueText(change.after) + "\n";
  }
  if (diff.sameResult()) return text + "the lists, the storage and the files are the same\n";
  if (!diff.lists.empty()) {
    text += "lists whose size differs (old -> new, change), and the step where they part:\n";
    for (const ListChange& change : diff.lists) {
      text += "  list " + number(static_cast<std::int64_t>(change.list)) + ": " +
              amountText({"", change.before, change.after}) + "\n";
      if (change.beforeSeen.find(',') != std::string::npos ||
          change.afterSeen.find(',') != std::string::npos)
        text += "    as the groups see it: " + change.beforeSeen + " -> " + change.afterSeen + "\n";
      text += stepText("old", change.beforeStep) + stepText("new", change.afterStep);
    }
  }
  if (!diff.arrays.empty()) {
    text += "arrays whose declared dimension differs (old -> new):\n";
    for (const ArrayChange& change : diff.arrays) text += arrayText(change);
  }
  if (diff.sameStorage()) {
    text += "storage: the same, " + number(diff.commonBytes.after) + " bytes of COMMON storage, " +
            "LTLABL " + number(diff.ltlabl.after) + " words\n";
  } else {
    text += "storage (old -> new, change):\n";
    for (const Amount& group : diff.groups) text += storageLine(group, "bytes");
    text += storageLine(diff.commonBytes, "bytes") + storageLine(diff.labcomBytes, "bytes") +
            storageLine(diff.ltlabl, "words");
  }
  if (diff.sameFiles()) return text + "generated files: identical\n";
  text += "generated files:\n";
  for (const FileChange& file : diff.files) text += fileText(file);
  return text;
}

}  // namespace sizgen
