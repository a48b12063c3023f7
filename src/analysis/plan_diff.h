#pragma once

// What changes from one deck to another: the difference of their two
// plans, as text and as one JSON document (docs/json-results.md).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/deck_settings.h"
#include "model/run_plan.h"

namespace sizgen {

// How one generated file of the new deck compares with the old deck's:
// the lines a line-by-line difference removes from the old text and adds.
// The texts are rendered by whoever can render them; this only reports.
struct FileChange {
  std::string_view file;  // "newmods.for"
  bool identical = true;  // the two texts are the same bytes
  std::int64_t removed = 0;
  std::int64_t added = 0;
};

// A value of the deck settings in one plan: its value (none: not in
// force, such as FINMUL without a SCALE card) and the card that gave it.
struct SettingValue {
  std::optional<double> value;
  bool real = false;  // shown as a REAL, else as an integer
  CardOrigin origin;
};

// A setting whose value differs between the two decks: "DEFMUL",
// "LSTNEW(5)".
struct SettingChange {
  std::string setting;
  SettingValue before;
  SettingValue after;
};

// A list whose size differs, with the first step that differs in type or
// result, as --explain words it; none where that plan has no such step.
struct ListChange {
  std::size_t list = 0;
  std::int32_t before = 0;  // the resolved size
  std::int32_t after = 0;
  std::string beforeSeen;  // the sizes as the groups see them
  std::string afterSeen;
  std::optional<std::string> beforeStep;
  std::optional<std::string> afterStep;
};

// An array whose declaration differs.
struct ArrayChange {
  int row = 0;
  PlannedArray before;
  PlannedArray after;
};

// An amount before and after.
struct Amount {
  std::string_view name;
  std::int64_t before = 0;
  std::int64_t after = 0;
  std::int64_t change() const { return after - before; }
};

struct PlanDiff {
  std::vector<SettingChange> settings;
  std::vector<ListChange> lists;
  std::vector<ArrayChange> arrays;
  std::vector<Amount> groups;  // every subroutine's bytes, in generation order
  Amount commonBytes;
  Amount ltlabl;
  Amount labcomBytes;
  std::vector<FileChange> files;

  // Whether every subroutine's storage, LTLABL and LABCOM are the same.
  bool sameStorage() const;
  // Whether the generated files would be the same bytes.
  bool sameFiles() const;
  // Whether the decks give the same lists, arrays, storage and files
  // (their cards may still differ in values that nothing reads).
  bool sameResult() const;
  // Whether nothing at all differs.
  bool none() const { return settings.empty() && sameResult(); }
};

// The difference between the plans of the old and the new deck, with how
// their generated files compare.
PlanDiff diffPlans(const RunPlan& before, const RunPlan& after, std::span<const FileChange> files);

// The difference as text, the decks named as messages name them; one line
// when nothing differs.  Lines end with '\n'.
std::string diffText(const PlanDiff& diff, std::string_view beforeName, std::string_view afterName);

// The difference as one JSON document, ending with '\n'.
std::string diffJson(const PlanDiff& diff, std::string_view beforeName, std::string_view afterName);

}  // namespace sizgen
