#include "analysis/explanation.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "analysis/storage.h"
#include "base/error.h"
#include "model/catalog.h"
#include "sizing/list_resolution.h"

namespace sizgen {
namespace {

// Lists 33 to 40 may hold values of the fourth list-size card that no
// rule reads and no array uses.
constexpr std::size_t kLastCardList = 40;
constexpr std::size_t kFirstUnreadList = 33;

std::string number(std::int64_t value) {
  return std::to_string(value);
}

// A REAL as its shortest exact decimal, always with a point: 0.7, 1.0.
std::string real(double value) {
  std::array<char, 32> text{};
  auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  std::string shown(text.data(), result.ptr);
  if (shown.find_first_of(".eni") == std::string::npos) shown += ".0";
  return shown;
}

// A card: "card 6 (2nd list-size card)", or for a keyword card "SCALE card 1".
std::string cardName(const CardOrigin& origin) {
  if (origin.what.ends_with(" card")) {
    return "card " + number(origin.card) + " (" + std::string(origin.what) + ")";
  }
  return std::string(origin.what) + " card " + number(origin.card);
}

// The card and the columns a value was read from: "card 6 (2nd list-size
// card), field 5, columns 33-40"; "CARDS card 4, columns 9-16".
std::string place(const CardOrigin& origin) {
  std::string text = cardName(origin);
  if (origin.field > 0) text += ", field " + number(origin.field);
  if (origin.firstColumn > 0) {
    text += ", columns " + number(origin.firstColumn) + "-" + number(origin.lastColumn);
  }
  return text;
}

// The value a field was read as: "3599", or "3599.5 truncated: 3599".
std::string valueRead(const CardOrigin& origin, std::int32_t value) {
  if (origin.readAsReal) return real(origin.real) + " truncated: " + number(value);
  return number(value);
}

// Where a keyword card's value came from: "DEFAULT card 3", or `none`.
std::string keywordSource(const CardOrigin& origin, std::string_view none) {
  return origin.card != 0 ? cardName(origin) : std::string(none);
}

// LSTSUP(i) and where it came from: "LSTSUP(2) 70000 (start-up value)",
// "LSTSUP(1) 80000 from card 9 (supplemental-offsets card), field 1,
// columns 1-8: 0, less than 1".
std::string offset(const DeckSettings& settings, std::size_t i) {
  const CardOrigin& origin = settings.origins.LSTSUP(i);
  std::string text =
      "LSTSUP(" + number(static_cast<std::int64_t>(i)) + ") " + number(settings.LSTSUP(i));
  if (origin.card == 0) return text + " (start-up value)";
  text += " from " + place(origin);
  if (origin.value != settings.LSTSUP(i)) {
    text += ": " + valueRead(origin, origin.value) + ", less than 1";
  }
  return text;
}

const DerivedFormula& derivedFormula(std::size_t list) {
  const auto* formula = std::find_if(
      kDerivedLists.begin(), kDerivedLists.end(),
      [list](const DerivedFormula& f) { return static_cast<std::size_t>(f.list) == list; });
  if (formula != kDerivedLists.end()) return *formula;
  throw InternalError("list " + number(static_cast<std::int64_t>(list)) + " is not derived");
}

// The formula with the operands' values: "3 x 252 + 2".
std::string derivedValues(const DerivedFormula& formula, const ListStep& step,
                          const DeckSettings& settings) {
  return formulaText(formula, number(step.a), number(step.b),
                     real(step.factor) + " (SCALE6, " +
                         keywordSource(settings.origins.SCALE6, "start-up value") + ")");
}

std::string groupName(int group) {
  return std::string(trimmedName(kGroups[static_cast<std::size_t>(group)].subroutine));
}

// One line for one step of list k.
std::string stepLine(const RunPlan& plan, std::size_t k, const ListStep& step) {
  const DeckSettings& settings = plan.settings;
  const std::string before = number(step.before);
  const std::string after = number(step.after);
  const std::string late = "before " + groupName(step.group) + ": ";
  switch (step.kind) {
    case ListStepKind::FromCard: {
      const CardOrigin& origin = settings.origins.LSTNEW(k);
      if (origin.card == 0) return "given as " + after;  // set without a deck
      return place(origin) + ": " + valueRead(origin, step.after);
    }
    case ListStepKind::FromDefault: {
      std::string line;
      const CardOrigin& origin = settings.origins.LSTNEW(k);
      if (origin.card != 0) line = place(origin) + ": " + valueRead(origin, 0) + ", not given\n  ";
      return line + "default: LSTDEF(" + number(static_cast<std::int64_t>(k)) + ") " +
             number(step.a) + " x DEFMUL " + real(step.factor) + " (" +
             keywordSource(settings.origins.DEFMUL, "no DEFAULT card") + ") = " + after;
    }
    case ListStepKind::FinalMultiplier:
      return "final multiplier: " + before + " x FINMUL " + real(step.factor) + " (" +
             keywordSource(settings.origins.FINMUL, "SCALE card") + ") = " + after;
    case ListStepKind::FixedExempt: {
      const CardOrigin& origin = settings.origins.LSTFIX(k);
      return "no final multiplier: flag " + number(origin.value) + " on " + place(origin);
    }
    case ListStepKind::FloorAtOne:
      return "at least 1: " + before + " becomes 1";
    case ListStepKind::MultipleOf4:
      return "not a multiple of 4: " + before + " + 2 = " + after;
    case ListStepKind::PlusTwo:
      return "plus 2: " + before + " + 2 = " + after;
    case ListStepKind::AtLeast:
      return "at least " + number(step.a) + ": " + before + " becomes " + after;
    case ListStepKind::MadeEven:
      return "odd, made even: " + before + " + 1 = " + after;
    case ListStepKind::Derived: {
      const DerivedFormula& formula = derivedFormula(k);
      return "derived: " + formulaText(formula) + " = " + derivedValues(formula, step, settings) +
             " = " + after;
    }
    case ListStepKind::DerivedWhenL11IsOne:
      return "L11 is 1: " + after + " instead of " + formulaText(derivedFormula(k));
    case ListStepKind::FirstOffset:
      return late + "the first supplemental offset " + offset(settings, 1) + ": " + after;
    case ListStepKind::RamTables:
      return late + "LTLABL, after " + place(settings.origins.KRAMTB) + ": " + after;
    case ListStepKind::PlotList:
      return late + offset(settings, 2) + (settings.origins.LSTSUP(2).card != 0 ? "," : "") +
             (settings.LSTSUP(2) > 500 ? " is greater than 500: " : " is not greater than 500: ") +
             after;
    case ListStepKind::SquareRootRule: {
      std::string line = late + "square-root rule on " +
                         offset(settings, static_cast<std::size_t>(step.offset)) + ": root " +
                         number(step.b) + ", x 0.98 = " + number(step.reduced);
      if (step.reduced <= 1) line += ", at least 2";
      // List 71 is the even value, list 73 one more.
      if (k == 73) return line + ", even: " + number(step.after - 1) + ", plus 1: " + after;
      return line + ", even: " + after;
    }
    case ListStepKind::NeighbourList:
      return late + "SCALE6 " + real(step.factor) + " (" +
             keywordSource(settings.origins.SCALE6, "start-up value") + ") truncated: " + after;
  }
  return {};
}

// The size of list k in each group, in generation order.
std::vector<std::int32_t> sizesByGroup(const RunPlan& plan, std::size_t k) {
  std::vector<std::int32_t> sizes(plan.groups.size());
  std::transform(plan.groups.begin(), plan.groups.end(), sizes.begin(),
                 [k](const PlannedGroup& group) { return group.LSTNEW(k); });
  return sizes;
}

// "504, then 70000 from ROOT23, then 52 from ROOT25".
std::string sizeHeadline(const std::vector<std::int32_t>& sizes) {
  std::string text = number(sizes[0]);
  for (std::size_t g = 1; g < sizes.size(); ++g) {
    if (sizes[g] != sizes[g - 1])
      text += ", then " + number(sizes[g]) + " from " + groupName(static_cast<int>(g));
  }
  return text;
}

std::string groupLine(const std::vector<std::int32_t>& sizes) {
  std::string text = "seen by:";
  for (std::size_t g = 0; g < sizes.size(); ++g) {
    text += (g == 0 ? " " : ", ") + groupName(static_cast<int>(g)) + " " + number(sizes[g]);
  }
  return text;
}

// The arrays list k dimensions, one line each, and their total.
std::string arrayLines(const RunPlan& plan, std::size_t k) {
  std::string text;
  std::int64_t total = 0;
  int count = 0;
  for (const PlannedArray& array : plan.arrays) {
    if (static_cast<std::size_t>(array.list) != k) continue;
    const CatalogRow& row = catalogRow(array.row);
    const std::int64_t bytes = arrayBytes(array);
    text += "  dimensions: row " + number(array.row) + " " + std::string(trimmedName(row.name)) +
            " in " + std::string(row.block) + " (" +
            std::string(trimmedName(groupOfRow(array.row).subroutine)) + "), " +
            std::string(declaredTypeName(array.typeCode)) + " (" + number(array.dimension) + "), " +
            number(bytes) + " bytes";
    if (array.row <= kLastRoundedRow && plan.settings.NQUANT > 0) {
      text += ", rounded from " + number(array.extent) + " to quanta of " +
              number(plan.settings.NQUANT) + " bytes (" +
              keywordSource(plan.settings.origins.NQUANT, "ROUND UP") + ")";
    }
    text += "\n";
    total += bytes;
    ++count;
  }
  if (count == 0) return "  dimensions: no array\n";
  return text + "  total: " + number(count) + (count == 1 ? " array, " : " arrays, ") +
         number(total) + " bytes\n";
}

std::string explainList(const RunPlan& plan, std::size_t k) {
  const std::vector<std::int32_t> sizes = sizesByGroup(plan, k);
  std::string text =
      "list " + number(static_cast<std::int64_t>(k)) + ": " + sizeHeadline(sizes) + "\n";
  const std::vector<ListStep>& steps = plan.history(k);
  if (steps.empty()) {
    text += "  no card, default or rule sets list " + number(static_cast<std::int64_t>(k));
    if (k == 32) text += " (there is no 4th list-size card)";
    text += "\n";
  }
  for (const ListStep& step : steps) text += "  " + stepLine(plan, k, step) + "\n";
  if (!steps.empty() && k >= kFirstUnreadList && k <= kLastCardList) {
    text += "  nothing uses list " + number(static_cast<std::int64_t>(k)) +
            ": no rule reads it and no array is dimensioned by it\n";
  }
  if (std::adjacent_find(sizes.begin(), sizes.end(), std::not_equal_to<>()) != sizes.end())
    text += "  " + groupLine(sizes) + "\n";
  return text + arrayLines(plan, k);
}

}  // namespace

std::string explainLists(const RunPlan& plan, std::optional<int> list) {
  if (list) {
    if (*list < 1 || *list > 99) throw InternalError("no list " + number(*list) + " to explain");
    return explainList(plan, static_cast<std::size_t>(*list));
  }
  std::string text;
  for (std::size_t k = 1; k <= 99; ++k) text += (k == 1 ? "" : "\n") + explainList(plan, k);
  return text;
}

}  // namespace sizgen
