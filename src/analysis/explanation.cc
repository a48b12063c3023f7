#include "analysis/explanation.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <functional>
#include <string_view>
#include <variant>
#include <vector>

#include "analysis/storage.h"
#include "base/error.h"
#include "model/catalog.h"
#include "sizing/list_resolution.h"

namespace sizgen {
namespace {

std::string number(std::int64_t value) {
  return std::to_string(value);
}

// The card and the columns a value was read from: "card 6, columns 33-40
// (2nd list-size card, field 5)", "card 4, columns 9-16 (CARDS)".
std::string cardPlace(const CardOrigin& origin) {
  return cardPlaceText(placeOf(origin));
}

// A card: "card 6 (2nd list-size card)", "card 1 (SCALE)".
std::string cardName(const CardOrigin& origin) {
  return cardPlaceText({.card = origin.card, .kind = origin.what});
}

// The value a field was read as: "3599", or "3599.5 truncated: 3599".
std::string valueRead(const CardOrigin& origin, std::int32_t value) {
  if (origin.readAsReal) return realText(origin.real) + " truncated: " + number(value);
  return number(value);
}

// Where a keyword card's value came from, after the value: " from card 3
// (DEFAULT)", or " (NONE)" when no card gave it.
std::string keywordSource(const CardOrigin& origin, std::string_view none) {
  return origin.card != 0 ? " from " + cardName(origin) : " (" + std::string(none) + ")";
}

// LSTSUP(i) and where it came from: "LSTSUP(2) 70000 (start-up value)",
// "LSTSUP(1) 80000 from card 9, columns 1-8 (supplemental-offsets card,
// field 1): 0, less than 1".
std::string offset(const DeckSettings& settings, std::int32_t index) {
  const auto i = static_cast<std::size_t>(index);
  const CardOrigin& origin = settings.LSTSUP(i).origin;
  std::string text =
      "LSTSUP(" + number(static_cast<std::int64_t>(i)) + ") " + number(settings.LSTSUP(i));
  if (origin.card == 0) return text + " (start-up value)";
  text += " from " + cardPlace(origin);
  if (origin.value != settings.LSTSUP(i)) {
    text += ": " + valueRead(origin, origin.value) + ", less than 1";
  }
  return text;
}

std::string groupName(int group) {
  return std::string(trimmedName(kGroups[static_cast<std::size_t>(group)].subroutine));
}

// Where SCALE6 came from: " from card 2 (NBHDSW)", or " (start-up value)".
std::string scale6Source(const DeckSettings& settings) {
  return keywordSource(settings.SCALE6.origin, "start-up value");
}

// The line of one step of list k, one operator per rule.
class StepLine {
 public:
  StepLine(const RunPlan& plan, std::size_t k, const ListStep& step)
      : settings_(plan.settings),
        k_(k),
        before_(number(step.before)),
        after_(number(step.after)),
        late_("before " + groupName(step.group) + ": ") {}

  std::string operator()(const step::FromCard& /*rule*/) const {
    const CardOrigin& origin = settings_.LSTNEW(k_).origin;
    if (origin.card == 0) return "given as " + after_;  // set without a deck
    return cardPlace(origin) + ": " + valueRead(origin, settings_.LSTNEW(k_));
  }
  std::string operator()(const step::WithoutFourthCard& /*rule*/) const {
    return "no card, default or rule sets list " + number(static_cast<std::int64_t>(k_)) +
           " (there is no 4th list-size card)";
  }
  std::string operator()(const step::FromDefault& rule) const {
    std::string line;
    const CardOrigin& origin = settings_.LSTNEW(k_).origin;
    if (origin.card != 0)
      line = cardPlace(origin) + ": " + valueRead(origin, 0) + ", not given\n  ";
    return line + "default: LSTDEF(" + number(static_cast<std::int64_t>(k_)) + ") " +
           number(rule.LSTDEF) + " x DEFMUL " + realText(rule.DEFMUL) +
           keywordSource(settings_.DEFMUL.origin, "no DEFAULT card") + " = " + after_;
  }
  std::string operator()(const step::FinalMultiplier& rule) const {
    return "final multiplier: " + before_ + " x FINMUL " + realText(rule.FINMUL) +
           keywordSource(settings_.FINMUL.origin, "SCALE card") + " = " + after_;
  }
  std::string operator()(const step::FixedExempt& /*rule*/) const {
    const CardOrigin& origin = settings_.LSTFIX(k_).origin;
    return "no final multiplier: flag " + number(settings_.LSTFIX(k_)) + " on " + cardPlace(origin);
  }
  std::string operator()(const step::FloorAtOne& /*rule*/) const {
    return "at least 1: " + before_ + " becomes " + after_;
  }
  std::string operator()(const step::MultipleOf4& rule) const {
    return "not a multiple of 4: " + before_ + " + " + number(rule.added) + " = " + after_;
  }
  std::string operator()(const step::PlusTwo& rule) const {
    return "plus " + number(rule.added) + ": " + before_ + " + " + number(rule.added) + " = " +
           after_;
  }
  std::string operator()(const step::AtLeast& rule) const {
    return "at least " + number(rule.minimum) + ": " + before_ + " becomes " + after_;
  }
  std::string operator()(const step::MadeEven& rule) const {
    return "odd, made even: " + before_ + " + " + number(rule.added) + " = " + after_;
  }
  std::string operator()(const step::Derived& rule) const {
    return "derived: " + formulaText(*rule.formula) + " = " +
           formulaText(*rule.formula, number(rule.a), number(rule.b),
                       "SCALE6 " + realText(rule.SCALE6) + scale6Source(settings_)) +
           " = " + after_;
  }
  std::string operator()(const step::DerivedWhenL11IsOne& rule) const {
    return "L11 is 1: " + after_ + " instead of " + formulaText(*rule.formula);
  }
  std::string operator()(const step::FirstOffset& rule) const {
    return late_ + "the first supplemental offset " + offset(settings_, rule.offset) + ": " +
           after_;
  }
  std::string operator()(const step::RamTables& /*rule*/) const {
    return late_ + "LTLABL, after " + cardPlace(settings_.KRAMTB.origin) + ": " + after_;
  }
  std::string operator()(const step::PlotList& rule) const {
    return late_ + offset(settings_, rule.offset) +
           (settings_.LSTSUP(static_cast<std::size_t>(rule.offset)).origin.card != 0 ? "," : "") +
           (rule.aboveFloor ? " is greater than " : " is not greater than ") + number(rule.floor) +
           ": " + after_;
  }
  std::string operator()(const step::SquareRootRule& rule) const {
    std::string line = late_ + "square-root rule on " + offset(settings_, rule.offset) + ": root " +
                       number(rule.root) + ", x 0.98 = " + number(rule.reduced);
    if (rule.raised) line += ", at least " + number(rule.minimum);
    line += ", even: " + number(rule.even);
    return rule.plusOne ? line + ", plus 1: " + after_ : line;
  }
  std::string operator()(const step::NeighbourList& rule) const {
    return late_ + "SCALE6 " + realText(rule.SCALE6) + scale6Source(settings_) +
           ", truncated: " + after_;
  }

 private:
  const DeckSettings& settings_;
  std::size_t k_;
  std::string before_;
  std::string after_;
  std::string late_;
};

// What each rule did, in a few words.
struct StepReason {
  std::string operator()(const step::FromCard& rule) const {
    return rule.passedOn ? "as given" : "as given, read by no rule or array";
  }
  std::string operator()(const step::WithoutFourthCard& /*rule*/) const {
    return "no 4th list-size card";
  }
  std::string operator()(const step::FromDefault& /*rule*/) const { return "default x DEFMUL"; }
  std::string operator()(const step::FinalMultiplier& /*rule*/) const { return "x FINMUL"; }
  std::string operator()(const step::FixedExempt& /*rule*/) const { return "FIXED, no FINMUL"; }
  std::string operator()(const step::FloorAtOne& /*rule*/) const { return "at least 1"; }
  std::string operator()(const step::MultipleOf4& /*rule*/) const { return "made a multiple of 4"; }
  std::string operator()(const step::PlusTwo& rule) const { return "plus " + number(rule.added); }
  std::string operator()(const step::AtLeast& rule) const {
    return "at least " + number(rule.minimum);
  }
  std::string operator()(const step::MadeEven& /*rule*/) const { return "made even"; }
  std::string operator()(const step::Derived& rule) const {
    return "derived: " + formulaText(*rule.formula);
  }
  std::string operator()(const step::DerivedWhenL11IsOne& /*rule*/) const { return "L11 is 1"; }
  std::string operator()(const step::FirstOffset& rule) const {
    return "LSTSUP(" + number(rule.offset) + ")";
  }
  std::string operator()(const step::RamTables& /*rule*/) const { return "LTLABL, RAM TABLES"; }
  std::string operator()(const step::PlotList& rule) const {
    return "LSTSUP(" + number(rule.offset) + "), at least " + number(rule.floor);
  }
  std::string operator()(const step::SquareRootRule& rule) const {
    return "square-root rule on LSTSUP(" + number(rule.offset) + ")";
  }
  std::string operator()(const step::NeighbourList& /*rule*/) const { return "SCALE6 truncated"; }
};

// Whether a card gave list k a value that no rule and no array reads.
bool unread(const std::vector<ListStep>& steps) {
  return std::any_of(steps.begin(), steps.end(), [](const ListStep& step) {
    const auto* card = std::get_if<step::FromCard>(&step.rule);
    return card != nullptr && !card->passedOn;
  });
}

// The size of list k in each group, in generation order.
std::vector<std::int32_t> sizesByGroup(const RunPlan& plan, std::size_t k) {
  std::vector<std::int32_t> sizes(plan.groups.size());
  std::transform(plan.groups.begin(), plan.groups.end(), sizes.begin(),
                 [k](const PlannedGroup& group) { return group.LSTNEW(k); });
  return sizes;
}

// "504, then 70000 from ROOT23, then 52 from ROOT25".
std::string headline(const std::vector<std::int32_t>& sizes) {
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
    if (array.rounded) {
      text += ", rounded from " + number(array.extent) + " to quanta of " +
              number(plan.settings.NQUANT) + " bytes" +
              keywordSource(plan.settings.NQUANT.origin, "ROUND UP");
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
  std::string text = "list " + number(static_cast<std::int64_t>(k)) + ": " + headline(sizes) + "\n";
  const std::vector<ListStep>& steps = plan.history(k);
  if (steps.empty())
    text += "  no card, default or rule sets list " + number(static_cast<std::int64_t>(k)) + "\n";
  for (const std::string& line : stepLines(plan, k)) text += "  " + line + "\n";
  if (unread(steps)) {
    text += "  nothing uses list " + number(static_cast<std::int64_t>(k)) +
            ": no rule reads it and no array is dimensioned by it\n";
  }
  if (std::adjacent_find(sizes.begin(), sizes.end(), std::not_equal_to<>()) != sizes.end())
    text += "  " + groupLine(sizes) + "\n";
  return text + arrayLines(plan, k);
}

}  // namespace

std::string realText(double value) {
  std::array<char, 32> text{};
  auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  std::string shown(text.data(), result.ptr);
  if (shown.find_first_of(".eni") == std::string::npos) shown += ".0";
  return shown;
}

std::vector<std::string> stepLines(const RunPlan& plan, std::size_t k) {
  const std::vector<ListStep>& steps = plan.history(k);
  std::vector<std::string> lines(steps.size());
  std::transform(steps.begin(), steps.end(), lines.begin(), [&](const ListStep& step) {
    return std::visit(StepLine(plan, k, step), step.rule);
  });
  return lines;
}

std::string stepReason(const ListStep& step) {
  return std::visit(StepReason{}, step.rule);
}

std::string sizeHeadline(const RunPlan& plan, std::size_t k) {
  return headline(sizesByGroup(plan, k));
}

std::string explainLists(const RunPlan& plan, std::optional<int> list) {
  if (list) {
    if (*list < 1 || *list > static_cast<int>(kLists))
      throw InternalError("no list " + number(*list) + " to explain");
    return explainList(plan, static_cast<std::size_t>(*list));
  }
  std::string text;
  for (std::size_t k = 1; k <= kLists; ++k) text += (k == 1 ? "" : "\n") + explainList(plan, k);
  return text;
}

}  // namespace sizgen
